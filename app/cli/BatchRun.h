#pragma once

// The rows of a batch: each composed (app/cli/BatchComposer.h), its QR code written and its SMS sent
// when asked for, and its output row written in input order. Sending goes through a pool of modems
// (app/cli/SendPool.h), each taking the next row as soon as it is free, so a few rows at most wait
// between reading and writing and memory stays bounded whatever the file's length. A bad row never
// stops the others; a Ctrl-C stops taking rows, and the rows under way end as cancelled.
//
// A modem that fails (it vanished, does not answer, has no usable SIM, or refuses several rows in a
// row) leaves the pool after its row is written as failed; the rows left when none remains are
// written as not sent.
//
// When sending to an output file, every row's outcome, and before it every part handed to the modem,
// is appended to the batch's journal (fleet/BatchJournal.h), on disk before the batch goes on. A
// resumed run takes a row the journal (or the earlier output) records as sent as it stands, never
// sends a row the journal has in doubt unless asked to (--resend-doubtful), and sends the rest.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/BatchComposer.h"
#include "app/cli/CliOptions.h"
#include "app/cli/SendPool.h"
#include "app/cli/Subcommands.h"
#include "fleet/BatchJournal.h"
#include "fleet/BatchTable.h"
#include "fleet/CsvInput.h"
#include "fleet/CsvWriter.h"
#include "fleet/Progress.h"
#include "fleet/QrFileNames.h"
#include "fleet/ResumeLedger.h"
#include "modem/SmsTransport.h"

namespace app {

// How the rows went.
struct BatchOutcome {
    std::size_t rows = 0;      // output rows written (resumed ones included)
    bool allOk = true;         // every row written is ok (and sent, when sending) or skipped
    std::size_t ok = 0;        // rows ok, resumed ones included
    std::size_t skipped = 0;   // empty rows
    std::size_t doubtful = 0;  // rows written as possibly sent
    bool interrupted = false;
    std::optional<std::string> inputError;   // the input turned out not to be CSV (exit 2)
    std::optional<std::string> outputError;  // the output could not be written
};

class BatchRun final {
public:
    // `pool` (the modems and how fast each may send) is used only when the request sends; `ledger`
    // holds the rows sent by an earlier run and `recorded` what its journal holds; `journal` (null:
    // none is kept) records this run's rows. All must outlive this object.
    BatchRun(const CliRequest& request, const CliOutput& output, const fleet::BatchTable& table,
             const BatchComposer& composer, std::vector<PoolMember> pool, fleet::ResumeLedger& ledger,
             const fleet::JournalState& recorded, fleet::BatchJournal* journal);

    // Reads the data rows of `input` (its header already read) and writes the header and a row per
    // row to `writer`, without finishing it. Never throws for the input's or the output's faults:
    // they end the rows and are in the outcome.
    BatchOutcome Rows(fleet::CsvInput& input, fleet::CsvWriter& writer, fleet::ProgressReporter& progress);

    // The progress of the transport of pool member `member`, on that member's thread
    // (TransportOptions::onProgress): a part about to be handed to the modem is journaled first. When
    // the journal cannot be written the transport is cancelled, so that nothing goes out unrecorded.
    void OnTransportProgress(std::size_t member, const modem::Progress& progress);

    // "in doubt: ..." in the output's language: the status of a row that may have been sent.
    static std::string DoubtStatus(const CliOutput& output);

private:
    // How a row's sending went.
    struct Sending {
        bool ok = false;
        fleet::JournalOutcome outcome = fleet::JournalOutcome::Unsent;
        std::string modem;
    };

    // A row between its reading and its writing.
    struct Slot {
        std::size_t number = 0;
        fleet::JournalRow journalRow;
        fleet::BatchRow row;  // until sent
        BatchComposition composed;
        std::vector<std::string> record;  // the output row, once done
        bool done = false;                // guarded by slotsMutex_
        bool ok = false;
        bool skipped = false;
        bool doubt = false;
    };

    // The output row of a row that an earlier run may have sent, or nothing when it is to be sent now;
    // `doubt` tells whether it is kept in doubt.
    std::optional<std::vector<std::string>> Earlier(const fleet::BatchRow& row, std::size_t occurrence,
                                                    bool& doubt);
    // The slot of a row just read: done unless it is to be sent.
    std::unique_ptr<Slot> Prepare(std::vector<std::string>&& cells, std::size_t number, std::size_t line);
    bool WriteQrCode(BatchComposition& row, std::size_t number);
    // Sends the slot's row through pool member `member` (on its thread); false when the member failed.
    bool SendSlot(Slot& slot, std::size_t member);
    // Ends a slot that no modem is left to send.
    void Orphan(Slot& slot);
    // Journals the slot's outcome and marks it done.
    void Finish(Slot& slot, fleet::JournalOutcome outcome, const std::string& modem);
    Sending Send(BatchComposition& row, std::size_t member, modem::SendResult& result);
    // Writes the slots done at the front of `window` and counts them in `outcome`.
    void WriteDone(std::deque<std::unique_ptr<Slot>>& window, fleet::CsvWriter& writer, BatchOutcome& outcome,
                   fleet::ProgressReporter& progress);
    // Waits a moment for the front slot to be done.
    void WaitForFront(const std::deque<std::unique_ptr<Slot>>& window);
    void ShowPool(const SendPool& pool, fleet::ProgressReporter& progress) const;
    bool JournalFailed();

    const CliRequest& request_;
    const CliOutput& output_;
    const fleet::BatchTable& table_;
    const BatchComposer& composer_;
    std::vector<PoolMember> members_;
    fleet::ResumeLedger& ledger_;
    const fleet::JournalState& recorded_;
    fleet::BatchJournal* journal_;
    fleet::QrFileNames qrNames_;
    fleet::RowOccurrences occurrences_;
    // Per pool member, the slot it is sending (touched on that member's thread only) and how many
    // of its rows in a row the network refused.
    std::vector<Slot*> sendingNow_;
    std::vector<int> refusals_;

    std::mutex journalMutex_;  // the journal and journalFailure_
    std::optional<fleet::OutputError> journalFailure_;
    std::mutex slotsMutex_;
    std::condition_variable slotDone_;
};

// Ends the batch: commits the output when every row was done, and also after an interrupt or an
// input fault when rows were sent (so that the record of what went out is kept for --resume);
// otherwise a file output stays as it was. Writes what happened to `output.err` (after a whole run,
// unless --quiet, one line that counts the rows ok, skipped and failed) and returns the
// exit status: 0 every row ok, 1 a row not ok, an interrupt or an output fault, 2 an input fault.
// `writer` is null when the batch was interrupted before its output was opened.
// "20 rows: 17 ok, 1 skipped, 2 failed — see the status column", the counts that are not 0 after
// the first two.
std::string BatchSummary(const BatchOutcome& outcome, const CliOutput& output);

int FinishBatch(const BatchOutcome& outcome, fleet::CsvWriter* writer, const CliRequest& request,
                const CliOutput& output);

}  // namespace app
