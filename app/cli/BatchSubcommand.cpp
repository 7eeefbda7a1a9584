// dtusms batch: the SMS command for every row of a CSV file, written as CSV with the command, its
// number of parts and a status per row; with --qr-dir a QR code picture per row, with --send each
// row sent through the modem (and --resume to go on where an earlier run stopped).

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>

#include "app/cli/BatchComposer.h"
#include "app/cli/BatchRun.h"
#include "app/cli/CliFields.h"
#include "app/cli/CliFiles.h"
#include "app/cli/Interrupt.h"
#include "app/cli/ModemPlugin.h"
#include "app/cli/Subcommands.h"
#include "app/cli/Terminal.h"
#include "app/cli/TransportChoice.h"
#include "base/Placeholders.h"
#include "base/StrayTemporaries.h"
#include "base/Translate.h"
#include "base/Utf8Path.h"
#include "base/WholeFile.h"
#include "fleet/BatchJournal.h"
#include "fleet/CsvInput.h"
#include "fleet/CsvWriter.h"
#include "fleet/Progress.h"
#include "fleet/ResumeLedger.h"
#include "modem/GatewayHub.h"
#include "modem/KannelProtocol.h"
#include "modem/SharedReplies.h"

namespace app {
namespace {

using Transports = std::vector<std::unique_ptr<modem::SmsTransport>>;

// The transports to cancel at Ctrl-C, once they are all made. A lock-free atomic, so the handler may
// read it; the list is never changed while it is published.
using CancelTarget = std::atomic<const Transports*>;
static_assert(CancelTarget::is_always_lock_free);

void CancelSending(void* target) noexcept {
    if (const Transports* transports = static_cast<CancelTarget*>(target)->load()) {
        for (const std::unique_ptr<modem::SmsTransport>& transport : *transports) {
            transport->Cancel();
        }
    }
}

std::unique_ptr<fleet::CsvInput> OpenInput(const CliRequest& request) {
    const CliBatchOptions& batch = request.batch;
    if (batch.inputPath == "-") {
        return std::make_unique<fleet::CsvInput>(std::cin, batch.encoding);
    }
    return std::make_unique<fleet::CsvInput>(batch.inputPath, batch.encoding);
}

fleet::EncodingChoice ChoiceOf(fleet::TextEncoding encoding) {
    return encoding == fleet::TextEncoding::Utf8 ? fleet::EncodingChoice::Utf8
                                                 : fleet::EncodingChoice::Gb18030;
}

// What the batch says about an input that cannot be read: the file named with the system's reason
// when it cannot be opened, else the CSV fault with its line.
std::string InputErrorMessage(const CliRequest& request, const CliOutput& output,
                              const fleet::CsvError& error) {
    if (error.kind() == fleet::CsvError::Kind::CannotOpen) {
        return "dtusms: " + error.Text(output.translate);
    }
    return Say(output, "%s is not a CSV file this program can read: %s",
               {request.batch.inputPath, error.Text(output.translate)});
}

// The rows of the input file, read once more in its encoding, for the progress total. Standard input
// cannot be read twice: its total stays unknown (0). Throws CsvError: the whole file is read here
// before any row is composed or sent.
std::size_t CountRows(const CliRequest& request, fleet::TextEncoding encoding) {
    if (request.batch.inputPath == "-") {
        return 0;
    }
    fleet::CsvInput input(request.batch.inputPath, ChoiceOf(encoding));
    std::vector<std::string> record;
    std::size_t rows = 0;
    while (input.Next(record)) {
        ++rows;
    }
    return rows > 0 ? rows - 1 : 0;
}

// The part of the batch before the rows: input, header, earlier results, output, journal and modem.
struct BatchSetUp {
    std::unique_ptr<fleet::CsvInput> input;
    std::optional<fleet::BatchTable> table;
    fleet::ResumeLedger ledger;
    fleet::JournalState recorded;
    std::unique_ptr<fleet::CsvWriter> writer;
    std::unique_ptr<fleet::BatchJournal> journal;
    // The replies the modems of the pool share, and the one receiver of every gateway among them
    // (with --gateway-listen); both outlive the transports.
    modem::SharedReplies replies;
    std::unique_ptr<modem::gateway::GatewayHub> gatewayHub;
    // One transport per modem of the pool, each used by one thread; `modems` names them.
    Transports transports;
    std::vector<std::string> modems;
};

// Every usable modem that `lister` finds, for "--modem all".
std::vector<std::string> UsableModems(modem::SmsTransport& lister) {
    std::vector<std::string> found;
    for (const modem::ModemInfo& info : lister.ListModems()) {
        if (info.usable && info.kind != modem::ModemKind::Automatic) {
            found.push_back(info.id);
        }
    }
    return found;
}

// A transport for every modem of the pool (a Kannel gateway for a URL), each reporting its progress
// as member `i`. Returns an exit status when the modems cannot be reached.
std::optional<int> MakeTransports(const CliRequest& request, const CliOutput& output,
                                  const std::function<modem::TransportOptions(std::size_t)>& optionsFor,
                                  BatchSetUp& setUp) {
    std::string reason;
    const auto fails = [&](const std::string& line) {
        output.err << line << '\n';
        return kExitFailed;
    };
    const std::vector<std::string>& named = request.modem.modems;
    if (!named.empty() && named.front() == "all") {
        std::unique_ptr<modem::SmsTransport> lister = LoadModemTransport(optionsFor(0), reason);
        if (!lister) {
            return fails(ModemUnavailableMessage(output, reason));
        }
        setUp.modems = UsableModems(*lister);
        if (setUp.modems.empty()) {
            return fails(Say(output, "No usable modem was found for --modem all.", {}));
        }
        setUp.transports.push_back(std::move(lister));
    } else {
        setUp.modems = named.empty() ? std::vector<std::string>{request.modem.modem} : named;
    }
    const std::optional<modem::gateway::ListenAddress> listen =
        request.modem.gatewayListen ? modem::gateway::ParseListenAddress(*request.modem.gatewayListen)
                                    : std::nullopt;
    if (listen && std::any_of(setUp.modems.begin(), setUp.modems.end(), modem::gateway::IsGatewayUrl)) {
        try {
            setUp.gatewayHub = std::make_unique<modem::gateway::GatewayHub>(*listen, setUp.replies);
        } catch (const modem::gateway::ReceiverError& failure) {
            return fails(Say(output, failure.Format(), failure.Args()));
        }
    }
    while (setUp.transports.size() < setUp.modems.size()) {
        CliModemOptions choice = request.modem;
        choice.modem = setUp.modems[setUp.transports.size()];
        std::unique_ptr<modem::SmsTransport> next = OpenTransport(choice, optionsFor(setUp.transports.size()),
                                                                  output, reason, setUp.gatewayHub.get());
        if (!next) {
            return fails(reason);
        }
        setUp.transports.push_back(std::move(next));
    }
    return std::nullopt;
}

// What the journal of an earlier sending run recorded; nothing when there is no journal.
// Throws ResumeError.
fleet::JournalState LoadJournal(const std::string& path, const fleet::BatchTable& table) {
    std::error_code missing;
    if (!std::filesystem::exists(base::Utf8Path(path), missing)) {
        return {};
    }
    const base::WholeFile file = base::ReadWholeFile(path);
    if (!file.ok()) {
        throw fleet::ResumeError("its journal %s cannot be read", {path});
    }
    return fleet::JournalState::Read(file.bytes, table.OutputHeader(true), table.InputHeader().size());
}

// What the earlier output and journal (--resume) hold, checked against the whole input before
// anything is sent. Throws ResumeError or CsvError.
void LoadEarlierRuns(const CliRequest& request, const fleet::BatchTable& table, fleet::TextEncoding encoding,
                     BatchSetUp& setUp) {
    const std::string& outputPath = *request.outputPath;
    if (request.batch.send) {
        setUp.recorded = LoadJournal(fleet::JournalPathFor(outputPath), table);
    }
    std::error_code missing;
    if (std::filesystem::exists(base::Utf8Path(outputPath), missing)) {
        fleet::CsvInput earlier(outputPath, fleet::EncodingChoice::Utf8);
        setUp.ledger = fleet::ResumeLedger::Load(earlier, table.OutputHeader(true), table.OutputHeader(false),
                                                 table.InputHeader().size());
    }
    fleet::CsvInput input(request.batch.inputPath, ChoiceOf(encoding));
    std::vector<std::string> record;
    input.Next(record);
    std::size_t number = 0;
    fleet::RowOccurrences occurrences;
    setUp.ledger.Check([&](std::vector<std::string>& cells) {
        if (!input.Next(record)) {
            return false;
        }
        cells = table.Row(record, ++number, input.RecordLine()).cells;
        if (!setUp.recorded.empty()) {
            setUp.recorded.Claim(cells, occurrences.Next(cells));
        }
        return true;
    });
    setUp.recorded.CheckClaimed();
}

// Sets up the batch; returns an exit status when it cannot start.
std::optional<int> SetUp(const CliRequest& request, const CliOutput& output,
                         const std::function<modem::TransportOptions(std::size_t)>& transportOptions,
                         BatchSetUp& setUp) {
    std::vector<std::string> header;
    try {
        setUp.input = OpenInput(request);
        if (!setUp.input->Next(header)) {
            output.err << Say(output, "%s: the file is empty; its first row must name the columns",
                              {request.batch.inputPath})
                       << '\n';
            return kExitUsage;
        }
        setUp.table.emplace(header);
    } catch (const fleet::CsvError& error) {
        // A read broken by Ctrl-C: the caller reports the interrupt.
        if (InterruptScope::Interrupted()) {
            return kExitFailed;
        }
        output.err << InputErrorMessage(request, output, error) << '\n';
        return kExitUsage;
    } catch (const fleet::BatchError& error) {
        output.err << request.batch.inputPath << ": " << Say(output, error.Format(), error.Args()) << '\n';
        return kExitUsage;
    }
    const fleet::TextEncoding encoding = setUp.input->encoding();
    try {
        if (request.batch.resume) {
            LoadEarlierRuns(request, *setUp.table, encoding, setUp);
        }
    } catch (const fleet::ResumeError& error) {
        output.err << Say(output, "Cannot resume from %s: %s",
                          {*request.outputPath, Say(output, error.Format(), error.Args())})
                   << '\n';
        return kExitFailed;
    } catch (const std::runtime_error& error) {
        output.err << Say(output, "Cannot resume from %s: %s",
                          {*request.outputPath, std::string(error.what())})
                   << '\n';
        return kExitFailed;
    }
    // A spreadsheet program reads UTF-8 without a byte-order mark as the system's code page, so an
    // input that came from one (it had a mark, or was GB18030) gets the mark back.
    const bool byteOrderMark = setUp.input->HadUtf8ByteOrderMark() || setUp.input->WasUtf16() ||
                               encoding == fleet::TextEncoding::Gb18030;
    try {
        if (!request.outputPath) {
            // The CSV carries its own CR LF line ends.
            WriteStandardOutputAsIs(output.out);
        } else {
            base::RemoveStrayTemporaries(*request.outputPath);
        }
        // Rows sent to standard output cannot be resumed, so only a file output gets a journal.
        if (request.batch.send && request.outputPath) {
            setUp.journal = std::make_unique<fleet::BatchJournal>(fleet::JournalPathFor(*request.outputPath),
                                                                  setUp.table->OutputHeader(true),
                                                                  setUp.recorded.wholeBytes());
        }
        setUp.writer = request.outputPath
                           ? std::make_unique<fleet::CsvWriter>(*request.outputPath, byteOrderMark)
                           : std::make_unique<fleet::CsvWriter>(output.out, byteOrderMark);
    } catch (const fleet::OutputError& error) {
        output.err << UnableToWriteMessage(output, error.path(), error.reason()) << '\n';
        return kExitFailed;
    }
    if (request.batch.send) {
        return MakeTransports(request, output, transportOptions, setUp);
    }
    return std::nullopt;
}

// `translate` for several threads: each call holds `lock`. Empty (English) stays empty.
base::TranslateFn OneAtATime(base::TranslateFn translate, std::mutex& lock) {
    if (!translate) {
        return {};
    }
    return [translate = std::move(translate), &lock](const std::string& english) {
        const std::lock_guard hold(lock);
        return translate(english);
    };
}

}  // namespace

namespace {

// The batch, with an output whose translation several threads may call.
int Batch(const CliRequest& request, const CliOutput& output) {
    // From the start: a Ctrl-C while the input is opened or the modem support loaded must not leave
    // the output's temporary file behind.
    CancelTarget cancelTarget{nullptr};
    const InterruptScope interrupt(CancelSending, &cancelTarget);
    // Set before any pool thread starts and cleared after they all ended.
    BatchRun* running = nullptr;
    BatchSetUp setUp;
    auto transportOptions = [&running, &setUp](std::size_t member) {
        modem::TransportOptions options;
        options.replies = &setUp.replies;
        options.onProgress = [&running, member](const modem::Progress& progress) {
            if (running != nullptr) {
                running->OnTransportProgress(member, progress);
            }
        };
        return options;
    };
    if (const std::optional<int> status = SetUp(request, output, transportOptions, setUp)) {
        if (InterruptScope::Interrupted()) {
            BatchOutcome interrupted;
            interrupted.interrupted = true;
            return FinishBatch(interrupted, setUp.writer.get(), request, output);
        }
        return *status;
    }
    std::vector<PoolMember> pool;
    for (std::size_t i = 0; i < setUp.transports.size(); ++i) {
        pool.push_back(PoolMember{setUp.modems[i], setUp.transports[i].get()});
    }
    const CliBatchOptions& options = request.batch;
    if (options.qrDirectory) {
        std::error_code error;
        std::filesystem::create_directories(base::Utf8Path(*options.qrDirectory), error);
        if (error) {
            output.err << UnableToWriteMessage(output, *options.qrDirectory, error.message()) << '\n';
            return kExitFailed;
        }
        base::RemoveStrayTemporariesIn(*options.qrDirectory);
    }
    const fleet::ProgressMode mode = fleet::ChooseProgressMode(options.quiet, output.errIsTerminal);
    std::size_t total = 0;
    try {
        total = mode == fleet::ProgressMode::Quiet ? 0 : CountRows(request, setUp.input->encoding());
    } catch (const fleet::CsvError& error) {
        BatchOutcome broken;
        broken.interrupted = InterruptScope::Interrupted();
        broken.inputError = InputErrorMessage(request, output, error);
        return FinishBatch(broken, setUp.writer.get(), request, output);
    }
    fleet::ProgressReporter progress(output.err, mode, total, fleet::ProgressReporter::Clock::now,
                                     output.translate);

    const BatchComposer composer(LoadFields(request, true), options.qrDirectory || options.send,
                                 output.translate);
    BatchRun run(request, output, *setUp.table, composer, std::move(pool), setUp.ledger, setUp.recorded,
                 setUp.journal.get());
    running = &run;
    // Only while the rows run: every return before or after leaves the transports unreachable from
    // the handler before they are destroyed.
    cancelTarget.store(&setUp.transports);
    const BatchOutcome outcome = run.Rows(*setUp.input, *setUp.writer, progress);
    running = nullptr;
    cancelTarget.store(nullptr);
    const int status = FinishBatch(outcome, setUp.writer.get(), request, output);
    if (status == kExitDone && setUp.journal) {
        // Every row is ok and in the output now, which holds all the journal knew.
        const std::string journal = setUp.journal->path();
        setUp.journal.reset();
        fleet::RemoveJournalFile(journal);
    }
    return status;
}

}  // namespace

int RunBatch(const CliRequest& request, const CliOutput& output) {
    // The modems' threads write statuses in the output's language beside the main thread, and the
    // translation engine opens its catalogs on first use: one translation at a time.
    std::mutex translating;
    return Batch(request, CliOutput{output.out, output.err, OneAtATime(output.translate, translating),
                                    output.errIsTerminal, output.outIsTerminal});
}

}  // namespace app
