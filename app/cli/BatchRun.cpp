#include "app/cli/BatchRun.h"

#include <ostream>

#include "app/cli/CliFiles.h"
#include "app/cli/Interrupt.h"
#include "app/cli/ModemPlugin.h"
#include "app/cli/QrAvailability.h"
#include "base/Placeholders.h"
#include "base/Translate.h"
#if DTUSMS_QR_BUILT
#include "qr/QrCode.h"
#include "qr/QrImage.h"
#endif

namespace app {
BatchRun::BatchRun(const CliRequest& request, const CliOutput& output, const fleet::BatchTable& table,
                   const BatchComposer& composer, modem::SmsTransport* transport, fleet::ResumeLedger& ledger)
    : request_(request),
      output_(output),
      table_(table),
      composer_(composer),
      transport_(transport),
      ledger_(ledger) {}

BatchOutcome BatchRun::Rows(fleet::CsvInput& input, fleet::CsvWriter& writer,
                            fleet::ProgressReporter& progress) {
    BatchOutcome outcome;
    const bool sending = request_.batch.send;
    std::size_t number = 0;
    try {
        writer.Write(table_.OutputHeader(sending));
        // One vector of strings goes round: read into, taken by the row, written, read into again,
        // so that the cells' strings keep their room from row to row.
        std::vector<std::string> record;
        while (!InterruptScope::Interrupted() && input.Next(record)) {
            fleet::BatchRow row = table_.Row(std::move(record), ++number, input.RecordLine());
            if (request_.batch.resume) {
                if (std::optional<std::vector<std::string>> earlier = ledger_.Take(row.cells)) {
                    writer.Write(*earlier);
                    ++outcome.rows;
                    ++outcome.ok;
                    progress.Update(number);
                    record = std::move(row.cells);
                    continue;
                }
            }
            BatchComposition composed = composer_.Compose(row);
            bool ok = composed.ok;
            ok = ok && (!request_.batch.qrDirectory || WriteQrCode(composed, number));
            ok = ok && (!sending || Send(composed));
            outcome.allOk = outcome.allOk && (ok || composed.skipped);
            outcome.ok += ok ? 1 : 0;
            outcome.skipped += composed.skipped ? 1 : 0;
            record = table_.OutputRow(std::move(row), std::move(composed.result), sending);
            writer.Write(record);
            ++outcome.rows;
            progress.Update(number);
        }
    } catch (const fleet::CsvError& error) {
        outcome.inputError = Say(output_, "%s is not a CSV file this program can read: %s",
                                 {request_.batch.inputPath, std::string(error.what())});
    } catch (const fleet::OutputError& error) {
        outcome.outputError = UnableToWriteMessage(output_, error.path(), error.reason());
    }
    outcome.interrupted = InterruptScope::Interrupted();
    progress.Finish(number);
    return outcome;
}

bool BatchRun::WriteQrCode(BatchComposition& row, std::size_t number) {
    const std::string path = *request_.batch.qrDirectory + "/" + qrNames_.Next(row.dtuNumber, number);
    std::string failure;
#if DTUSMS_QR_BUILT
    try {
        failure = WriteWholeFile(
            path, qr::RenderPng(qr::QrCode::Encode(qr::SmsToPayload(row.phone, row.result.command))),
            output_);
    } catch (const qr::QrError&) {
        failure = Say(output_, "The command is too long for a QR code", {});
    }
#else
    // RunBatch refuses --qr-dir in a build without QR codes; a row never gets here.
    failure = kNoQrMessage;
#endif
    if (failure.empty()) {
        return true;
    }
    row.result.status = failure;
    return false;
}

bool BatchRun::Send(BatchComposition& row) {
    modem::SendRequest send;
    send.modem = request_.modem.modem;
    send.number = row.phone;
    send.text = row.result.command;
    send.smsc = request_.modem.smsc;
    send.replyTimeoutSeconds = request_.modem.waitReplySeconds.value_or(0);
    const modem::SendResult result = transport_->Send(send);
    const std::string references = fleet::FormatSentReferences(result.references);
    const bool everyPartSent =
        result.parts > 0 && result.references.size() == static_cast<std::size_t>(result.parts);
    if (result.error.kind == modem::ErrorKind::None) {
        row.result.sent = references;
        row.result.reply = result.reply.value_or("");
        return true;
    }
    const std::string error = RenderForOutput(result.error.message, output_);
    if (everyPartSent) {
        // Sent, but the reply did not come: the references must stay, or --resume would send it again.
        row.result.sent = references;
        row.result.reply = error;
    } else {
        row.result.sent = references.empty() ? error : references + ": " + error;
    }
    return false;
}

std::string BatchSummary(const BatchOutcome& outcome, const CliOutput& output) {
    const std::size_t failed = outcome.rows - outcome.ok - outcome.skipped;
    std::string summary = Say(output, "%d rows: %d ok",
                              {static_cast<long long>(outcome.rows), static_cast<long long>(outcome.ok)});
    if (outcome.skipped > 0) {
        summary += Say(output, ", %d skipped", {static_cast<long long>(outcome.skipped)});
    }
    if (failed > 0) {
        summary += Say(output, ", %d failed \u2014 see the status column", {static_cast<long long>(failed)});
    }
    return summary;
}

int FinishBatch(const BatchOutcome& outcome, fleet::CsvWriter* writer, const CliRequest& request,
                const CliOutput& output) {
    if (outcome.outputError) {
        output.err << *outcome.outputError << '\n';
        return kExitFailed;
    }
    const bool sending = request.batch.send;
    const bool complete = !outcome.inputError && !outcome.interrupted;
    if (writer != nullptr && (complete || (sending && outcome.rows > 0))) {
        try {
            writer->Finish();
        } catch (const fleet::OutputError& error) {
            output.err << UnableToWriteMessage(output, error.path(), error.reason()) << '\n';
            return kExitFailed;
        }
    }
    const std::string where = request.outputPath.value_or(Say(output, "standard output", {}));
    // An interrupt can break a read of the input as well; it is then the interrupt that is reported.
    if (outcome.interrupted) {
        if (sending) {
            output.err
                << Say(output,
                       "Interrupted: %d rows were written to %s; run again with --resume to send the rest.",
                       {static_cast<long long>(outcome.rows), where})
                << '\n';
        } else if (request.outputPath) {
            output.err << Say(output, "Interrupted: %s was not written.", {*request.outputPath}) << '\n';
        } else {
            output.err << Say(output, "Interrupted.", {}) << '\n';
        }
        return kExitFailed;
    }
    if (outcome.inputError) {
        output.err << *outcome.inputError << '\n';
        if (sending && outcome.rows > 0) {
            output.err << Say(output, "The %d rows before it were written to %s.",
                              {static_cast<long long>(outcome.rows), where})
                       << '\n';
        }
        return kExitUsage;
    }
    if (!request.batch.quiet) {
        output.err << BatchSummary(outcome, output) << '\n';
    }
    return outcome.allOk ? kExitDone : kExitFailed;
}

}  // namespace app
