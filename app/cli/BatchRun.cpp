#include "app/cli/BatchRun.h"

#include <algorithm>
#include <chrono>
#include <ostream>
#include <utility>

#include "app/cli/CliFiles.h"
#include "app/cli/Interrupt.h"
#include "app/cli/ModemPlugin.h"
#include "app/cli/TransportChoice.h"
#include "base/Placeholders.h"
#include "base/Translate.h"
#include "qr/QrCode.h"
#include "qr/QrImage.h"

namespace app {
namespace {

// Rows read ahead of the first row not yet written, per modem of the pool: enough that no modem waits
// for a row, few enough that a slow row holds up little.
constexpr std::size_t kWindowPerMember = 8;
// A modem whose sends the network refused this many times in a row is taken out of the pool: it is
// most likely not registered, or its SIM may not send.
constexpr int kRefusalsToLeave = 3;

// Whether a modem may go on after a send that ended with `kind`.
bool MemberStays(modem::ErrorKind kind, int& refusals) {
    switch (kind) {
        case modem::ErrorKind::None:
        case modem::ErrorKind::NoReply:
            refusals = 0;
            return true;
        case modem::ErrorKind::InvalidRequest:  // the row's fault, not the modem's
        case modem::ErrorKind::Cancelled:
            return true;
        case modem::ErrorKind::Refused:
            return ++refusals < kRefusalsToLeave;
        default:
            return false;
    }
}

}  // namespace

BatchRun::BatchRun(const CliRequest& request, const CliOutput& output, const fleet::BatchTable& table,
                   const BatchComposer& composer, std::vector<PoolMember> pool, fleet::ResumeLedger& ledger,
                   const fleet::JournalState& recorded, fleet::BatchJournal* journal)
    : request_(request),
      output_(output),
      table_(table),
      composer_(composer),
      members_(std::move(pool)),
      ledger_(ledger),
      recorded_(recorded),
      journal_(journal),
      sendingNow_(members_.size(), nullptr),
      refusals_(members_.size(), 0) {}

std::string BatchRun::DoubtStatus(const CliOutput& output) {
    return Say(output,
               "in doubt: the modem took the message but its confirmation was not recorded, so it may "
               "have been sent (--resume --resend-doubtful sends it again)",
               {});
}

void BatchRun::OnTransportProgress(std::size_t member, const modem::Progress& progress) {
    if (progress.stage != modem::Stage::Sending || journal_ == nullptr || member >= sendingNow_.size() ||
        sendingNow_[member] == nullptr) {
        return;
    }
    const Slot& slot = *sendingNow_[member];
    const std::lock_guard lock(journalMutex_);
    if (journalFailure_) {
        members_[member].transport->Cancel();
        return;
    }
    try {
        journal_->Handed(slot.journalRow, slot.row.cells, progress.part, progress.parts,
                         ModemShown(members_[member].name));
    } catch (const fleet::OutputError& error) {
        journalFailure_ = error;
        members_[member].transport->Cancel();
    }
}

bool BatchRun::JournalFailed() {
    const std::lock_guard lock(journalMutex_);
    return journalFailure_.has_value();
}

std::optional<std::vector<std::string>> BatchRun::Earlier(const fleet::BatchRow& row, std::size_t occurrence,
                                                          bool& doubt) {
    doubt = false;
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
    doubt = true;
    if (!recorded->outputRow.empty()) {
        return recorded->outputRow;
    }
    // Handed over, then the run died: the row as it would have been written, marked in doubt.
    BatchComposition composed = composer_.Compose(row);
    composed.result.status = DoubtStatus(output_);
    return table_.OutputRow(row, std::move(composed.result), true);
}

std::unique_ptr<BatchRun::Slot> BatchRun::Prepare(std::vector<std::string>&& cells, std::size_t number,
                                                  std::size_t line) {
    const bool sending = request_.batch.send;
    auto slot = std::make_unique<Slot>();
    slot->number = number;
    fleet::BatchRow row = table_.Row(std::move(cells), number, line);
    slot->journalRow = fleet::JournalRow{number, sending ? occurrences_.Next(row.cells) : 0};
    if (request_.batch.resume) {
        if (std::optional<std::vector<std::string>> earlier =
                Earlier(row, slot->journalRow.occurrence, slot->doubt)) {
            slot->record = std::move(*earlier);
            // A row kept in doubt is not ok; the summary counts it with the failed ones.
            slot->ok = !slot->doubt;
            slot->done = true;
            return slot;
        }
    }
    slot->composed = composer_.Compose(row);
    slot->skipped = slot->composed.skipped;
    slot->ok = slot->composed.ok && (!request_.batch.qrDirectory || WriteQrCode(slot->composed, number));
    slot->row = std::move(row);
    if (slot->ok && sending) {
        return slot;
    }
    Finish(*slot, fleet::JournalOutcome::Unsent, {});
    return slot;
}

void BatchRun::Finish(Slot& slot, fleet::JournalOutcome outcome, const std::string& modem) {
    std::vector<std::string> record =
        table_.OutputRow(std::move(slot.row), std::move(slot.composed.result), request_.batch.send);
    if (journal_ != nullptr) {
        const std::lock_guard lock(journalMutex_);
        if (!journalFailure_) {
            try {
                journal_->Finished(slot.journalRow, outcome, modem, record);
            } catch (const fleet::OutputError& error) {
                journalFailure_ = error;
            }
        }
    }
    {
        const std::lock_guard lock(slotsMutex_);
        slot.record = std::move(record);
        slot.done = true;
    }
    slotDone_.notify_all();
}

bool BatchRun::SendSlot(Slot& slot, std::size_t member) {
    sendingNow_[member] = &slot;
    modem::SendResult result;
    const Sending sent = Send(slot.composed, member, result);
    sendingNow_[member] = nullptr;
    slot.ok = sent.ok;
    slot.doubt = sent.outcome == fleet::JournalOutcome::Doubt;
    Finish(slot, sent.outcome, sent.modem);
    return MemberStays(result.error.kind, refusals_[member]);
}

void BatchRun::Orphan(Slot& slot) {
    slot.ok = false;
    slot.composed.result.sent =
        Say(output_, "not sent: every modem of the pool failed (--resume sends it later)", {});
    Finish(slot, fleet::JournalOutcome::Unsent, {});
}

void BatchRun::WriteDone(std::deque<std::unique_ptr<Slot>>& window, fleet::CsvWriter& writer,
                         BatchOutcome& outcome, fleet::ProgressReporter& progress) {
    for (;;) {
        std::unique_ptr<Slot> slot;
        {
            const std::lock_guard lock(slotsMutex_);
            if (window.empty() || !window.front()->done) {
                return;
            }
            slot = std::move(window.front());
            window.pop_front();
        }
        writer.Write(slot->record);
        ++outcome.rows;
        outcome.allOk = outcome.allOk && (slot->ok || slot->skipped);
        outcome.ok += slot->ok ? 1 : 0;
        outcome.skipped += slot->skipped ? 1 : 0;
        outcome.doubtful += slot->doubt ? 1 : 0;
        progress.Update(slot->number);
    }
}

void BatchRun::WaitForFront(const std::deque<std::unique_ptr<Slot>>& window) {
    std::unique_lock lock(slotsMutex_);
    slotDone_.wait_for(lock, std::chrono::milliseconds(100),
                       [&window] { return window.empty() || window.front()->done; });
}

void BatchRun::ShowPool(const SendPool& pool, fleet::ProgressReporter& progress) const {
    if (pool.members().size() < 2) {
        return;
    }
    const std::size_t failed = pool.Failed();
    std::string note =
        Say(output_, "%d of %d modems at work",
            {static_cast<long long>(pool.Busy()), static_cast<long long>(pool.members().size() - failed)});
    if (failed > 0) {
        note += Say(output_, ", %d out of the pool", {static_cast<long long>(failed)});
    }
    progress.SetNote(std::move(note));
}

BatchOutcome BatchRun::Rows(fleet::CsvInput& input, fleet::CsvWriter& writer,
                            fleet::ProgressReporter& progress) {
    BatchOutcome outcome;
    const bool sending = request_.batch.send;
    std::size_t number = 0;
    try {
        // Declared before the pool, whose threads use the slots until it is destroyed.
        std::deque<std::unique_ptr<Slot>> window;
        std::optional<SendPool> pool;
        if (sending) {
            pool.emplace(members_, request_.modem.ratePerMinute.value_or(0), &InterruptScope::Interrupted);
        }
        const std::size_t windowSize = kWindowPerMember * std::max<std::size_t>(1, members_.size());
        auto stopping = [&] { return InterruptScope::Interrupted() || JournalFailed(); };
        writer.Write(table_.OutputHeader(sending));
        // A broken input ends the reading like its end would: the rows already handed to the pool
        // are still sent and written, as they were before the fault was found.
        auto next = [&](std::vector<std::string>& record) {
            try {
                return input.Next(record);
            } catch (const fleet::CsvError& error) {
                outcome.inputError = Say(output_, "%s is not a CSV file this program can read: %s",
                                         {request_.batch.inputPath, error.Text(output_.translate)});
                return false;
            }
        };
        std::vector<std::string> record;
        while (!stopping() && next(record)) {
            std::unique_ptr<Slot> slot = Prepare(std::move(record), ++number, input.RecordLine());
            record = {};
            Slot* raw = slot.get();
            const bool toSend = !slot->done;
            {
                const std::lock_guard lock(slotsMutex_);
                window.push_back(std::move(slot));
            }
            if (toSend) {
                pool->Push(PoolJob{[this, raw](std::size_t member) { return SendSlot(*raw, member); },
                                   [this, raw] { Orphan(*raw); }});
            }
            WriteDone(window, writer, outcome, progress);
            while (window.size() >= windowSize && !stopping()) {
                WaitForFront(window);
                if (pool) {
                    ShowPool(*pool, progress);
                }
                WriteDone(window, writer, outcome, progress);
            }
        }
        if (pool) {
            pool->Close();
            while (!window.empty() && !pool->Ended()) {
                if (stopping()) {
                    pool->Stop();
                }
                WaitForFront(window);
                ShowPool(*pool, progress);
                WriteDone(window, writer, outcome, progress);
            }
            pool->Join();
        }
        // After a stop, the rows no modem took are left out: a resumed run sends them.
        WriteDone(window, writer, outcome, progress);
        const std::lock_guard lock(journalMutex_);
        if (journalFailure_) {
            throw *journalFailure_;
        }
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

BatchRun::Sending BatchRun::Send(BatchComposition& row, std::size_t member, modem::SendResult& result) {
    modem::SendRequest send;
    send.modem = members_[member].name;
    send.number = row.phone;
    send.text = row.result.command;
    send.smsc = request_.modem.smsc;
    send.replyTimeoutSeconds = request_.modem.waitReplySeconds.value_or(0);
    result = members_[member].transport->Send(send);
    const std::string references = fleet::FormatSentReferences(result.references);
    const bool everyPartSent =
        result.parts > 0 && result.references.size() == static_cast<std::size_t>(result.parts);
    Sending sending;
    // A gateway's URL is recorded and shown without its user and password.
    sending.modem = ModemShown(result.modem.empty() ? send.modem : result.modem);
    row.result.modem = sending.modem;
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
