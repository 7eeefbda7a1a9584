// Fuzzes the CSV reader and the encoding detection on arbitrary bytes. The first byte chooses the
// encoding (detect, UTF-8, GB18030) and whether small limits apply; the rest is the file. Whatever
// the bytes, reading ends in records or in a CsvError, never in a crash. Records that were read are
// UTF-8, and written by the writer and read again they come back the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "fleet/CsvInput.h"
#include "fleet/CsvWriter.h"
#include "fleet/TextEncoding.h"

namespace {

[[noreturn]] void Violation() {
    std::abort();
}

using Records = std::vector<std::vector<std::string>>;

// Every record, or false when the input is refused.
bool ReadAll(const std::string& bytes, fleet::EncodingChoice choice, fleet::CsvLimits limits,
             Records& records) {
    std::istringstream in(bytes);
    try {
        fleet::CsvInput input(in, choice, limits);
        std::vector<std::string> fields;
        while (input.Next(fields)) {
            if (fields.empty() || fields.size() > limits.maxFields) {
                Violation();
            }
            records.push_back(fields);
        }
    } catch (const fleet::CsvError& error) {
        if (error.kind() == fleet::CsvError::Kind::ReadFailed) {
            Violation();  // an in-memory stream never fails to read
        }
        return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const unsigned selector = data[0];
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const fleet::EncodingChoice choice = selector % 3 == 0   ? fleet::EncodingChoice::Detect
                                         : selector % 3 == 1 ? fleet::EncodingChoice::Utf8
                                                             : fleet::EncodingChoice::Gb18030;
    fleet::CsvLimits limits;
    if ((selector & 0x80) != 0) {
        limits.maxFieldBytes = 16;
        limits.maxFields = 4;
        limits.maxRecordBytes = 40;
    }

    // Detection agrees with a plain check of the whole text.
    std::istringstream whole(bytes);
    const fleet::TextEncoding detected = fleet::DetectEncoding(whole);
    const bool utf8 = bytes.starts_with("\xEF\xBB\xBF") || fleet::IsValidUtf8(bytes);
    if (detected != (utf8 ? fleet::TextEncoding::Utf8 : fleet::TextEncoding::Gb18030)) {
        Violation();
    }

    Records records;
    if (!ReadAll(bytes, choice, limits, records)) {
        return 0;
    }
    std::string written;
    for (std::size_t i = 0; i < records.size(); ++i) {
        for (const std::string& field : records[i]) {
            if (!fleet::IsValidUtf8(field)) {
                Violation();
            }
        }
        fleet::AppendCsvRecord(written, records[i], i == 0);
    }
    // Conversion from GB18030 can make fields longer; the limits only guard against runaway input.
    Records again;
    if (!ReadAll(written, fleet::EncodingChoice::Utf8, fleet::CsvLimits{}, again) || again != records) {
        Violation();
    }
    return 0;
}
