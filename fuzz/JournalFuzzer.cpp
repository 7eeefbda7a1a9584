// Fuzzes the batch journal's reader on arbitrary bytes: a journal cut at any byte or scribbled over.
// Whatever the bytes, reading gives the records of a whole prefix and nothing past it: that prefix is
// exactly the records written again, reading it alone gives the same records, and what follows it
// does not start with a whole record that the reader skipped. Resuming from the bytes ends in a
// state or a ResumeError, never in a crash.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fleet/BatchJournal.h"
#include "fleet/JournalRecords.h"
#include "fleet/ResumeLedger.h"

namespace {

[[noreturn]] void Violation() {
    std::abort();
}

const std::vector<std::string> kHeader = {"dtu", "phone", "command", "parts", "status", "sent", "reply"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const fleet::JournalRecords read = fleet::DecodeJournalRecords(bytes);
    if (read.wholeBytes > bytes.size()) {
        Violation();
    }
    std::string again;
    for (const fleet::JournalFields& fields : read.records) {
        if (fields.empty()) {
            Violation();
        }
        again += fleet::EncodeJournalRecord(fields);
    }
    if (again != bytes.substr(0, read.wholeBytes)) {
        Violation();
    }
    if (fleet::DecodeJournalRecords(again).records != read.records) {
        Violation();
    }
    if (!fleet::DecodeJournalRecords(bytes.substr(read.wholeBytes)).records.empty()) {
        Violation();
    }

    try {
        const fleet::JournalState state = fleet::JournalState::Read(bytes, kHeader, 2);
        if (state.wholeBytes() > read.wholeBytes) {
            Violation();
        }
        (void)state.Find({"TQ-1", "13800138001"}, 0);
    } catch (const fleet::ResumeError&) {
    }
    return 0;
}
