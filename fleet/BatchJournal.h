#pragma once

// The journal of a sending batch: beside the output, every step that matters for not sending a row
// twice is appended and flushed to disk before the batch goes on, so that a run killed at any
// instant (a power cut, SIGKILL) can be resumed safely. Two steps are recorded per row:
//
//   handed  part k of n of the row's message goes to the modem (written before the modem sees it);
//   row     the row is finished: its output row and whether its message went out (sent), surely did
//           not (unsent), or may have (doubt: handed over, never confirmed).
//
// A row that was handed over but has no later "row" record was in the modem's hands when the run
// died: it is in doubt, never to be sent again without the user's say.
//
// Rows are named by their input cells and their occurrence (how many earlier rows of the input have
// the same cells), as the earlier output is matched (fleet/ResumeLedger.h), so that rows inserted,
// removed or reordered between runs still find their records. Each record also holds the row's
// number and the modem used, for people reading the journal and for batches that send through more
// than one modem.
//
// The file starts with a header record naming the format and the output's columns; a journal whose
// columns are not those of the present input was written from another file. Records are in the format
// of fleet/JournalRecords.h.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "fleet/JournalFile.h"

namespace fleet {

enum class JournalOutcome { Sent, Unsent, Doubt };

// Which row: its 1-based number in this run's input and its occurrence among rows with its cells.
struct JournalRow {
    std::size_t number = 0;
    std::size_t occurrence = 0;
};

// Counts the rows seen per list of input cells. Only a hash of the cells is kept per distinct row,
// so a long input costs a few dozen bytes per row.
class RowOccurrences final {
public:
    // How many rows with these cells came before this one.
    std::size_t Next(const std::vector<std::string>& cells);

private:
    std::unordered_map<std::uint64_t, std::size_t> seen_;
};

class BatchJournal final {
public:
    // Starts a journal at `path` afresh, for an output with the columns `outputHeader` (those of a
    // sending batch). Throws OutputError.
    BatchJournal(const std::string& path, const std::vector<std::string>& outputHeader);
    // Goes on with the journal at `path` after its first `wholeBytes` bytes (JournalState::wholeBytes);
    // with 0 it starts afresh as above. Throws OutputError.
    BatchJournal(const std::string& path, const std::vector<std::string>& outputHeader,
                 std::size_t wholeBytes);

    // Records that part `part` of `parts` of the row with `cells` goes to `modem` now. Throws OutputError.
    void Handed(const JournalRow& row, const std::vector<std::string>& cells, int part, int parts,
                const std::string& modem);
    // Records the row's outcome and its output row (the input cells first). Throws OutputError.
    void Finished(const JournalRow& row, JournalOutcome outcome, const std::string& modem,
                  const std::vector<std::string>& outputRow);

    const std::string& path() const { return file_.path(); }

private:
    JournalFile file_;
};

// What a journal says of one row.
struct JournalEntry {
    JournalOutcome outcome = JournalOutcome::Unsent;
    std::vector<std::string> outputRow;  // as finished; empty when the row was only handed over
    std::size_t number = 0;              // the row's number in the run that recorded it
};

// A journal read back, for resuming.
class JournalState final {
public:
    // Nothing recorded.
    JournalState() = default;

    // Reads the journal's bytes. A last record cut short (the run died while appending it) is left
    // out, and appending goes on before it; a journal without a whole header counts as empty, since
    // its header is on disk before any row is sent. `outputHeader` are the columns of a sending batch
    // of the present input, whose first `inputColumns` are the input's; a journal written for those
    // columns without the last, `modem` (see LacksModemColumn), is read with an empty modem cell. Throws
    // ResumeError when the journal's columns differ, and when a bad record has more lines after it (the file
    // was damaged: nothing past the bad record is trusted, and going on would overwrite it).
    static JournalState Read(std::string_view bytes, const std::vector<std::string>& outputHeader,
                             std::size_t inputColumns);

    // The length of the part that was read (where appending goes on).
    std::size_t wholeBytes() const { return wholeBytes_; }
    bool empty() const { return entries_.empty(); }

    // The last record of the row with these input cells and this occurrence, if any.
    const JournalEntry* Find(const std::vector<std::string>& cells, std::size_t occurrence) const;

    // For checking an input before anything is sent: Claim every row of the input, then
    // CheckClaimed throws ResumeError naming the first row that went out (or may have) and that no
    // input row claimed, since resuming would drop the record of it from the output.
    void Claim(const std::vector<std::string>& cells, std::size_t occurrence);
    void CheckClaimed() const;

private:
    struct Slot {
        JournalEntry entry;
        bool claimed = false;
    };

    static std::string Key(const std::vector<std::string>& cells, std::size_t occurrence);

    std::unordered_map<std::string, Slot> entries_;
    std::size_t wholeBytes_ = 0;
};

// The name of the journal of the output file `outputPath`.
std::string JournalPathFor(const std::string& outputPath);

}  // namespace fleet
