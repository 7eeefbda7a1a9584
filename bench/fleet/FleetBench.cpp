// A batch of 10,000 rows from CSV text to CSV text, beside a loop that only composes the same rows:
// the difference is what reading, decoding, mapping and writing the CSV cost.

#include <benchmark/benchmark.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <stdlib.h>
#include <sys/resource.h>

#include "bench/FleetCsv.h"
#include "bench/StreamBuffers.h"
#include "fleet/BatchTable.h"
#include "fleet/CsvInput.h"
#include "fleet/CsvWriter.h"
#include "settings/Settings.h"
#include "sms/SmsCommand.h"

namespace {

constexpr int kRows = bench::kFleetRows;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x - 'A' + 'a' : x) == y;
           });
}

// Stands in for the command line's conversion of a row into settings fields and its composition:
// the cells override the settings, then the command is generated or the first missing field named.
fleet::BatchResult Compose(const fleet::BatchRow& row, const sms::TGPRSInfo& settings) {
    using fleet::BatchColumn;
    sms::TGPRSInfo info = settings;
    fleet::BatchResult result;
    if (const auto dtu = row.Cell(BatchColumn::Dtu)) {
        info.DTUNumber = *dtu;
    }
    if (const auto ip = row.Cell(BatchColumn::Ip)) {
        info.StaticIP = *ip;
    }
    if (const auto port = row.Cell(BatchColumn::Port)) {
        int value = 0;
        const auto [end, error] = std::from_chars(port->data(), port->data() + port->size(), value);
        if (error != std::errc() || end != port->data() + port->size() || value < 1000 || value > 99999) {
            result.status = "--port takes 1000 to 99999";
            return result;
        }
        info.Port = value;
    }
    if (const auto apn = row.Cell(BatchColumn::Apn)) {
        constexpr std::string_view kApns[] = {"cmnet", "cmwap", "uninet", "other"};
        info.ServiceNetwork = -1;
        for (int i = 0; i < 4; ++i) {
            if (EqualsIgnoringCase(*apn, kApns[i])) {
                info.ServiceNetwork = i;
            }
        }
    }
    const sms::SmsCommandResult composed = sms::GenerateSMSCommand(info);
    if (!composed.ok) {
        result.status =
            sms::FormatValidationMessage([](const std::string& text) { return text; }, composed.failedLabel);
        return result;
    }
    result.command = composed.command;
    result.parts = "1";
    result.status = fleet::kStatusOk;
    return result;
}

sms::TGPRSInfo Settings() {
    sms::TGPRSInfo settings;
    settings.StaticIP = "192.168.1.100";
    return settings;
}

// The whole batch without QR codes or sending: read, map, compose, write.
void RunBatch(fleet::CsvInput& input, fleet::CsvWriter& writer, const sms::TGPRSInfo& settings) {
    std::vector<std::string> record;
    input.Next(record);
    const fleet::BatchTable table(record);
    writer.Write(table.OutputHeader(false));
    for (std::size_t number = 1; input.Next(record); ++number) {
        fleet::BatchRow row = table.Row(record, number, input.RecordLine());
        fleet::BatchResult result = Compose(row, settings);
        writer.Write(table.OutputRow(std::move(row), std::move(result), false));
    }
    writer.Finish();
}

void BM_ComposeOnly(benchmark::State& state) {
    const sms::TGPRSInfo settings = Settings();
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
    for (auto _ : state) {
        for (const fleet::BatchRow& row : rows) {
            fleet::BatchResult result = Compose(row, settings);
            benchmark::DoNotOptimize(result);
        }
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ComposeOnly)->Unit(benchmark::kMillisecond);

void BM_BatchInMemory(benchmark::State& state) {
    const sms::TGPRSInfo settings = Settings();
    const std::string text = bench::TypicalFleetCsv();
    for (auto _ : state) {
        bench::TextBuffer buffer(text);
        std::istream in(&buffer);
        bench::CountingBuffer counter;
        std::ostream out(&counter);
        // Detect, as the command does by default: the text is checked whole before it is read.
        fleet::CsvInput input(in, fleet::EncodingChoice::Detect);
        fleet::CsvWriter writer(out);
        RunBatch(input, writer, settings);
        benchmark::DoNotOptimize(counter.bytes);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_BatchInMemory)->Unit(benchmark::kMillisecond);

// The parts on their own: reading (with the encoding check) and writing.
void BM_ReadOnly(benchmark::State& state) {
    const std::string text = bench::TypicalFleetCsv();
    for (auto _ : state) {
        bench::TextBuffer buffer(text);
        std::istream in(&buffer);
        fleet::CsvInput input(in, fleet::EncodingChoice::Detect);
        std::vector<std::string> record;
        std::size_t fields = 0;
        while (input.Next(record)) {
            fields += record.size();
        }
        benchmark::DoNotOptimize(fields);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ReadOnly)->Unit(benchmark::kMillisecond);

void BM_WriteOnly(benchmark::State& state) {
    const std::string text = bench::TypicalFleetCsv();
    bench::TextBuffer buffer(text);
    std::istream in(&buffer);
    fleet::CsvInput input(in, fleet::EncodingChoice::Utf8);
    std::vector<std::vector<std::string>> records;
    for (std::vector<std::string> record; input.Next(record);) {
        record.insert(record.end(), {"(A55A#1*10.0.0.1*6000#3*CMNET#4*TQ-GP000001)", "1", "ok"});
        records.push_back(record);
    }
    for (auto _ : state) {
        bench::CountingBuffer counter;
        std::ostream out(&counter);
        fleet::CsvWriter writer(out);
        for (const auto& record : records) {
            writer.Write(record);
        }
        writer.Finish();
        benchmark::DoNotOptimize(counter.bytes);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_WriteOnly)->Unit(benchmark::kMillisecond);

// From a file to a file, with the output's flush to disk and rename.
void BM_BatchFiles(benchmark::State& state) {
    const sms::TGPRSInfo settings = Settings();
    std::string pattern = (std::filesystem::temp_directory_path() / "dtusms-fleet-bench-XXXXXX").string();
    const std::filesystem::path folder = ::mkdtemp(pattern.data());
    const std::string inputPath = (folder / "fleet.csv").string();
    const std::string outputPath = (folder / "out.csv").string();
    std::ofstream(inputPath, std::ios::binary) << bench::TypicalFleetCsv();
    for (auto _ : state) {
        fleet::CsvInput input(inputPath, fleet::EncodingChoice::Detect);
        fleet::CsvWriter writer(outputPath);
        RunBatch(input, writer, settings);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_BatchFiles)->Unit(benchmark::kMillisecond);

// A 100 MB file read through (both passes of the encoding check): the time, and the process's peak
// memory, which stays near that of an empty run because records are read one at a time.
void BM_Read100MegabyteFile(benchmark::State& state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "dtusms-fleet-bench-XXXXXX").string();
    const std::filesystem::path folder = ::mkdtemp(pattern.data());
    const std::string path = (folder / "large.csv").string();
    {
        const std::string chunk = bench::TypicalFleetCsv();
        std::ofstream out(path, std::ios::binary);
        for (std::size_t written = 0; written < 100'000'000; written += chunk.size()) {
            out << chunk;
        }
    }
    for (auto _ : state) {
        fleet::CsvInput input(path, fleet::EncodingChoice::Detect);
        std::vector<std::string> record;
        std::size_t records = 0;
        while (input.Next(record)) {
            ++records;
        }
        benchmark::DoNotOptimize(records);
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(path)));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_Read100MegabyteFile)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
