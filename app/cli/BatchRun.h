#pragma once

// The rows of a batch: each composed (app/cli/BatchComposer.h), its QR code written and its SMS sent
// when asked for, and its output row written, one at a time so that memory stays bounded whatever the
// file's length. A bad row never stops the others; a Ctrl-C stops between rows.
//
// When sending to an output file, every row's outcome, and before it every part handed to the modem,
// is appended to the batch's journal (fleet/BatchJournal.h), on disk before the batch goes on. A
// resumed run takes a row the journal (or the earlier output) records as sent as it stands, never
// sends a row the journal has in doubt unless asked to (--resend-doubtful), and sends the rest.

#include <cstddef>
#include <optional>
#include <string>

#include "app/cli/BatchComposer.h"
#include "app/cli/CliOptions.h"
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
    // `transport` is used only when the request sends; `ledger` holds the rows sent by an earlier run
    // and `recorded` what its journal holds; `journal` (null: none is kept) records this run's rows.
    // All must outlive this object.
    BatchRun(const CliRequest& request, const CliOutput& output, const fleet::BatchTable& table,
             const BatchComposer& composer, modem::SmsTransport* transport, fleet::ResumeLedger& ledger,
             const fleet::JournalState& recorded, fleet::BatchJournal* journal);

    // Reads the data rows of `input` (its header already read) and writes the header and a row per
    // row to `writer`, without finishing it. Never throws for the input's or the output's faults:
    // they end the rows and are in the outcome.
    BatchOutcome Rows(fleet::CsvInput& input, fleet::CsvWriter& writer, fleet::ProgressReporter& progress);

    // The transport's progress (TransportOptions::onProgress): a part about to be handed to the modem
    // is journaled first. When the journal cannot be written the transport is cancelled, so that
    // nothing goes out unrecorded.
    void OnTransportProgress(const modem::Progress& progress);

    // "in doubt: ..." in the output's language: the status of a row that may have been sent.
    static std::string DoubtStatus(const CliOutput& output);

private:
    // How a row's sending went.
    struct Sending {
        bool ok = false;
        fleet::JournalOutcome outcome = fleet::JournalOutcome::Unsent;
        std::string modem;
    };

    // The output row of a row that an earlier run may have sent, or nothing when it is to be sent now.
    std::optional<std::vector<std::string>> Earlier(const fleet::BatchRow& row, std::size_t occurrence,
                                                    BatchOutcome& outcome);
    // Writes the row as an earlier run left it, when it did; false when the row is to be done now.
    bool WroteEarlier(const fleet::BatchRow& row, std::size_t occurrence, fleet::CsvWriter& writer,
                      BatchOutcome& outcome);
    // Sends a composed row, its hand-over journaled; a journal that could not be written ends the
    // rows (throws its error).
    Sending SendRecorded(const fleet::BatchRow& row, const fleet::JournalRow& journalRow,
                         BatchComposition& composed);
    bool WriteQrCode(BatchComposition& row, std::size_t number);
    Sending Send(BatchComposition& row);

    const CliRequest& request_;
    const CliOutput& output_;
    const fleet::BatchTable& table_;
    const BatchComposer& composer_;
    modem::SmsTransport* transport_;
    fleet::ResumeLedger& ledger_;
    const fleet::JournalState& recorded_;
    fleet::BatchJournal* journal_;
    fleet::QrFileNames qrNames_;
    fleet::RowOccurrences occurrences_;
    // The row being sent, for OnTransportProgress.
    const std::vector<std::string>* sendingCells_ = nullptr;
    fleet::JournalRow sendingRow_;
    std::optional<fleet::OutputError> journalFailure_;
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
