// What the journal of a sending batch costs per row, on the disk the output goes to: a part handed
// to the modem and the row's outcome, each appended and flushed to disk (fdatasync) before the batch
// goes on, and reading 10,000 rows back to resume. The modem's own answers take seconds per SMS; the
// journal is to add at most 5 ms per row to that.
//
// The journal is written in the current folder unless DTUSMS_BENCH_DIR names another (a folder on
// tmpfs would hide the cost of flushing).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/WholeFile.h"
#include "fleet/BatchJournal.h"
#include "fleet/JournalRecords.h"

namespace {

const std::vector<std::string> kHeader = {"dtu",  "phone",   "ip",    "port",   "apn",  "other_apn",
                                          "site", "command", "parts", "status", "sent", "reply"};

std::vector<std::string> Cells(std::size_t row) {
    return {"TQ-GP" + std::to_string(100000 + row),
            "+86 138 0013 " + std::to_string(8000 + row % 1000),
            "203.0.113.10",
            "6000",
            "cmnet",
            "",
            "Pier " + std::to_string(row) + ", north gate"};
}

std::vector<std::string> OutputRow(std::size_t row) {
    std::vector<std::string> output = Cells(row);
    output.insert(output.end(),
                  {"(A55A#1*203.0.113.10*6000#3*CMNET#4*TQ-GP" + std::to_string(100000 + row) + ")", "1",
                   "ok", std::to_string(17 + row % 200), ""});
    return output;
}

std::string JournalPath() {
    const char* folder = std::getenv("DTUSMS_BENCH_DIR");
    return (std::filesystem::path(folder != nullptr ? folder : ".") / "journal-bench.csv.journal").string();
}

// One row as a sending batch journals it: the part handed over, then the row's outcome.
void BM_JournalPerRow(benchmark::State& state) {
    const std::string path = JournalPath();
    fleet::BatchJournal journal(path, kHeader);
    std::size_t row = 0;
    for (auto _ : state) {
        const std::vector<std::string> cells = Cells(row);
        const fleet::JournalRow id{row + 1, 0};
        journal.Handed(id, cells, 1, 1, "/dev/ttyUSB2");
        journal.Finished(id, fleet::JournalOutcome::Sent, "/dev/ttyUSB2", OutputRow(row));
        ++row;
    }
    state.SetItemsProcessed(state.iterations());
    std::filesystem::remove(path);
}
BENCHMARK(BM_JournalPerRow)->Unit(benchmark::kMillisecond)->UseRealTime();

// A resumed run reads the journal of 10,000 rows and looks each row up.
void BM_ResumeFromJournal(benchmark::State& state) {
    constexpr std::size_t kRows = 10000;
    const std::string path = JournalPath();
    { const fleet::BatchJournal header(path, kHeader); }
    // The rows are encoded in memory: flushing each would make the fixture take a minute, and only
    // the reading is measured here.
    std::string bytes = base::ReadWholeFile(path).bytes;
    for (std::size_t row = 0; row < kRows; ++row) {
        std::vector<std::string> fields{"row", std::to_string(row + 1), "0", "sent", "/dev/ttyUSB2"};
        const std::vector<std::string> output = OutputRow(row);
        fields.insert(fields.end(), output.begin(), output.end());
        bytes += fleet::EncodeJournalRecord(fields);
    }
    std::filesystem::remove(path);
    for (auto _ : state) {
        const fleet::JournalState resumed = fleet::JournalState::Read(bytes, kHeader, 7);
        std::size_t found = 0;
        for (std::size_t row = 0; row < kRows; ++row) {
            found += resumed.Find(Cells(row), 0) != nullptr ? 1 : 0;
        }
        if (found != kRows) {
            state.SkipWithError("a row was not found");
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kRows));
}
BENCHMARK(BM_ResumeFromJournal)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
