#include "app/cli/BatchRun.h"

#include <ostream>

#include "app/cli/CliFiles.h"
#include "app/cli/Interrupt.h"
#include "app/cli/ModemPlugin.h"
#include "app/cli/TransportChoice.h"
#include "base/Placeholders.h"
#include "base/Translate.h"
#include "qr/QrCode.h"
#include "qr/QrImage.h"

namespace app {
BatchRun::BatchRun(const CliRequest& request, const CliOutput& output, const fleet::BatchTable& table,
                   const BatchComposer& composer, modem::SmsTransport* transport, fleet::ResumeLedger& ledger,
                   const fleet::JournalState& recorded, fleet::BatchJournal* journal)
    : request_(request),
      output_(output),
      table_(table),
      composer_(composer),
      transport_(transport),
      ledger_(ledger),
      recorded_(recorded),
      journal_(journal) {}

std::string BatchRun::DoubtStatus(const CliOutput& output) {
    return Say(output,
               "in doubt: the modem took the message but its confirmation was not recorded, so it may "
               "have been sent (--resume --resend-doubtful sends it again)",
               {});
}

void BatchRun::OnTransportProgress(const modem::Progress& progress) {
    if (progress.stage != modem::Stage::Sending || journal_ == nullptr || sendingCells_ == nullptr ||
        journalFailure_) {
        return;
    }
    try {
        journal_->Handed(sendingRow_, *sendingCells_, progress.part, progress.parts,
                         ModemShown(request_.modem.modem));
    } catch (const fleet::OutputError& error) {
        journalFailure_ = error;
        transport_->Cancel();
    }
}

std::optional<std::vector<std::string>> BatchRun::Earlier(const fleet::BatchRow& row, std::size_t occurrence,
                                                          BatchOutcome& outcome) {
    // Taken even when the journal decides, so that later rows with the same cells find their own.
    std::optional<std::vector<std::string>> earlier = ledger_.Take(row.cells);
    const fleet::JournalEntry* recorded = recorded_.Find(row.cells, occurrence);
    if (recorded == nullptr) {
        return earlier;
    }
    // The journal is never older than the output, which is written after the rows it records.
    switch (recorded->outcome) {
        case fleet::JournalOutcome::Sent:
            return recorded->outputRow;
        case fleet::JournalOutcome::Unsent:
            return std::nullopt;
        case fleet::JournalOutcome::Doubt:
            break;
    }
    if (request_.batch.resendDoubtful) {
        return std::nullopt;
    }
    outcome.allOk = false;
    ++outcome.doubtful;
    if (!recorded->outputRow.empty()) {
        return recorded->outputRow;
    }
    // Handed over, then the run died: the row as it would have been written, marked in doubt.
    BatchComposition composed = composer_.Compose(row);
    composed.result.status = DoubtStatus(output_);
    return table_.OutputRow(row, std::move(composed.result), true);
}

bool BatchRun::WroteEarlier(const fleet::BatchRow& row, std::size_t occurrence, fleet::CsvWriter& writer,
                            BatchOutcome& outcome) {
    const std::size_t doubtfulBefore = outcome.doubtful;
    const std::optional<std::vector<std::string>> earlier = Earlier(row, occurrence, outcome);
    if (!earlier) {
        return false;
    }
    writer.Write(*earlier);
    ++outcome.rows;
    // A row kept in doubt is not ok; the summary counts it with the failed ones.
    outcome.ok += outcome.doubtful == doubtfulBefore ? 1 : 0;
    return true;
}

BatchRun::Sending BatchRun::SendRecorded(const fleet::BatchRow& row, const fleet::JournalRow& journalRow,
                                         BatchComposition& composed) {
    sendingCells_ = &row.cells;
    sendingRow_ = journalRow;
    Sending sent = Send(composed);
    sendingCells_ = nullptr;
    if (journalFailure_) {
        throw *journalFailure_;
    }
    return sent;
}

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
            const fleet::JournalRow journalRow{number, sending ? occurrences_.Next(row.cells) : 0};
            if (request_.batch.resume && WroteEarlier(row, journalRow.occurrence, writer, outcome)) {
                progress.Update(number);
                record = std::move(row.cells);
                continue;
            }
            BatchComposition composed = composer_.Compose(row);
            bool ok = composed.ok;
            ok = ok && (!request_.batch.qrDirectory || WriteQrCode(composed, number));
            Sending sent;
            if (ok && sending) {
                sent = SendRecorded(row, journalRow, composed);
                ok = sent.ok;
            }
            outcome.allOk = outcome.allOk && (ok || composed.skipped);
            outcome.ok += ok ? 1 : 0;
            outcome.skipped += composed.skipped ? 1 : 0;
            if (sent.outcome == fleet::JournalOutcome::Doubt) {
                ++outcome.doubtful;
            }
            record = table_.OutputRow(std::move(row), std::move(composed.result), sending);
            if (journal_ != nullptr) {
                journal_->Finished(journalRow, sent.outcome, sent.modem, record);
            }
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
    try {
        failure = WriteWholeFile(
            path, qr::RenderPng(qr::QrCode::Encode(qr::SmsToPayload(row.phone, row.result.command))),
            output_);
    } catch (const qr::QrError&) {
        failure = Say(output_, "The command is too long for a QR code", {});
    }
    if (failure.empty()) {
        return true;
    }
    row.result.status = failure;
    return false;
}

BatchRun::Sending BatchRun::Send(BatchComposition& row) {
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
    Sending sending;
    sending.modem = result.modem.empty() ? send.modem : result.modem;
    if (result.error.kind == modem::ErrorKind::None) {
        row.result.sent = references;
        row.result.reply = result.reply.value_or("");
        sending.ok = true;
        sending.outcome = fleet::JournalOutcome::Sent;
        return sending;
    }
    const std::string error = RenderForOutput(result.error.message, output_);
    if (everyPartSent) {
        // Sent, but the reply did not come: the references must stay, or --resume would send it again.
        row.result.sent = references;
        row.result.reply = error;
        sending.outcome = fleet::JournalOutcome::Sent;
        return sending;
    }
    row.result.sent = references.empty() ? error : references + ": " + error;
    if (result.error.kind == modem::ErrorKind::Unconfirmed) {
        // A part went to the modem and its confirmation never came: sending it again could deliver
        // it twice.
        row.result.status = DoubtStatus(output_);
        sending.outcome = fleet::JournalOutcome::Doubt;
    }
    return sending;
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
    if (outcome.doubtful > 0) {
        output.err << Say(output,
                          "%d rows may have been sent: the modem took them but did not confirm them (see "
                          "the status column); --resume --resend-doubtful sends them again.",
                          {static_cast<long long>(outcome.doubtful)})
                   << '\n';
    }
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
