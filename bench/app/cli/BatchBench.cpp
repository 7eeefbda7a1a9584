// dtusms batch on 10,000 rows without QR codes or sending, beside a loop that only composes the same
// rows: the difference is what reading, decoding, mapping and writing the CSV cost. The batch runs
// the command's own row loop (BatchRun) on a file in memory; BM_BatchProgram runs the whole program on
// a file, start-up and the output's flush to disk included.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <stdlib.h>

#include "app/cli/BatchComposer.h"
#include "app/cli/BatchRun.h"
#include "bench/FleetCsv.h"
#include "bench/StreamBuffers.h"
#include "bench/app/ProcessLaunch.h"
#include "fleet/BatchJournal.h"
#include "fleet/CsvInput.h"
#include "fleet/CsvWriter.h"
#include "fleet/Progress.h"

namespace {

constexpr int kRows = bench::kFleetRows;

sms::TGPRSInfo Settings() {
    sms::TGPRSInfo settings;
    settings.SMSCommandType = 0;
    settings.ServerAddressMode = 0;
    settings.StaticIP = "192.168.1.100";
    settings.Port = 6000;
    settings.ServiceNetwork = 0;
    settings.DTUNumber = "TQ-GP000001";
    return settings;
}

void BM_ComposeLoop(benchmark::State& state) {
    const std::string text = bench::TypicalFleetCsv();
    bench::TextBuffer buffer(text);
    std::istream in(&buffer);
    fleet::CsvInput input(in, fleet::EncodingChoice::Utf8);
    std::vector<std::string> record;
    input.Next(record);
    const fleet::BatchTable table(record);
    std::vector<fleet::BatchRow> rows;
    while (input.Next(record)) {
        rows.push_back(table.Row(record, rows.size() + 1, input.RecordLine()));
    }
    const app::BatchComposer composer(Settings(), false, {});
    for (auto _ : state) {
        for (const fleet::BatchRow& row : rows) {
            app::BatchComposition composed = composer.Compose(row);
            benchmark::DoNotOptimize(composed);
        }
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ComposeLoop)->Unit(benchmark::kMillisecond);

void BM_BatchInMemory(benchmark::State& state) {
    const std::string text = bench::TypicalFleetCsv();
    app::CliRequest request;
    request.command = app::CliCommand::Batch;
    request.batch.inputPath = "fleet.csv";
    std::ostringstream messages;
    const app::CliOutput output{messages, messages, {}, false, false};
    const app::BatchComposer composer(Settings(), false, {});
    fleet::ResumeLedger ledger;
    const fleet::JournalState recorded;
    for (auto _ : state) {
        bench::TextBuffer buffer(text);
        std::istream in(&buffer);
        bench::CountingBuffer counter;
        std::ostream out(&counter);
        // Detect, as the command does by default: the text is checked whole before it is read.
        fleet::CsvInput input(in, fleet::EncodingChoice::Detect);
        std::vector<std::string> header;
        input.Next(header);
        const fleet::BatchTable table(header);
        fleet::CsvWriter writer(out);
        fleet::ProgressReporter progress(messages, fleet::ProgressMode::Quiet, 0);
        app::BatchRun run(request, output, table, composer, {}, ledger, recorded, nullptr);
        const app::BatchOutcome outcome = run.Rows(input, writer, progress);
        writer.Finish();
        benchmark::DoNotOptimize(outcome.rows);
        benchmark::DoNotOptimize(counter.bytes);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_BatchInMemory)->Unit(benchmark::kMillisecond);

// The program itself: `dtusms batch fleet.csv --output out.csv --quiet`, from its start to its exit.
void BM_BatchProgram(benchmark::State& state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "dtusms-batch-bench-XXXXXX").string();
    const std::filesystem::path folder = ::mkdtemp(pattern.data());
    const std::string input = (folder / "fleet.csv").string();
    const std::string settings = (folder / "GPRSInfo.ini").string();
    std::ofstream(input, std::ios::binary) << bench::TypicalFleetCsv();
    std::ofstream(settings, std::ios::binary) << "[Main]\r\nStatic IP=192.168.1.100\r\nPort=6000\r\n";
    const std::vector<std::string> arguments{
        DTUSMS_PROGRAM, "batch", input, "--settings", settings, "--output", (folder / "out.csv").string(),
        "--quiet"};
    for (auto _ : state) {
        const bench::Run run = bench::Launch(arguments);
        if (run.seconds == 0) {
            state.SkipWithError("dtusms batch failed");
            break;
        }
        state.SetIterationTime(run.seconds);
        state.counters["peak_rss_kb"] = run.maxRssKb;
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_BatchProgram)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
