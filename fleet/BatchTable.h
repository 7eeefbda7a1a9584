#pragma once

// The columns of a fleet CSV file and of the file the batch writes from it.
//
// The header row names the columns in any order; names are compared without case and without the
// blanks around them. Known columns: dtu, phone, type, mode, ip, domain, port, apn, other_apn. Any
// other column is carried through untouched. A known column named twice is an error, since either
// choice would silently drop the other's values; so is a header without any known column (a file
// whose header row is missing would otherwise give the settings file's command on every row).
//
// A data row gives, per known column, the cell as a plain UTF-8 string, or nothing when the column is
// absent or the cell is empty or only blanks: nothing means "take the field from the settings file".
// Turning the strings into settings fields (and refusing bad values) is the caller's job.
// A row shorter than the header has empty cells at its end (spreadsheet programs drop trailing
// empty cells); a row longer than the header is fine when its extra cells are all empty, and a row
// problem otherwise (the row is not to be composed, and its status says why).
//
// The output has the input's columns in their order, then command, parts, status and, when
// sending, sent, reply and modem (which modem sent the row); one row per input row, its input cells
// as they were read.

#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/MessageError.h"

namespace fleet {

enum class BatchColumn { Dtu, Phone, Type, Mode, Ip, Domain, Port, Apn, OtherApn };
inline constexpr std::size_t kBatchColumnCount = 9;

// "dtu", "phone", "type", "mode", "ip", "domain", "port", "apn", "other_apn".
std::string_view ColumnName(BatchColumn column);

// The header cannot be used (no known column, a known column twice). The message says why, naming
// columns by their 1-based position.
class BatchError : public base::MessageError {
public:
    using base::MessageError::MessageError;
};

struct BatchRow {
    std::size_t number = 0;              // 1-based among the data rows
    std::size_t line = 0;                // where the row began in the input
    std::vector<std::string> cells;      // the input cells, exactly as many as the header has
    std::optional<std::string> problem;  // set when the row cannot be composed at all
    // Every cell is empty or blanks: a blank spreadsheet row, which is skipped rather than composed
    // from the settings file alone.
    bool empty = false;
    // Per known column, the index of its cell when the column is present and the cell not blank.
    std::array<std::optional<std::size_t>, kBatchColumnCount> known;

    // The cell of a known column, or nothing: take the field from the settings file.
    std::optional<std::string_view> Cell(BatchColumn column) const {
        const std::optional<std::size_t>& index = known[static_cast<std::size_t>(column)];
        return index ? std::optional<std::string_view>(cells[*index]) : std::nullopt;
    }
};

// What the batch made of one row. `sent` and `reply` are written only when sending.
struct BatchResult {
    std::string command;
    std::string parts;
    std::string status;  // "ok" or why not
    std::string sent;    // the message references (see FormatSentReferences), or the error
    std::string reply;
    std::string modem;  // the modem that sent the row; empty when none did
};

inline constexpr std::string_view kStatusOk = "ok";
inline constexpr std::string_view kStatusEmptyRow = "skipped: empty row";

class BatchTable final {
public:
    // Throws BatchError.
    explicit BatchTable(std::vector<std::string> header);

    const std::vector<std::string>& InputHeader() const { return header_; }
    bool Has(BatchColumn column) const { return index_[static_cast<std::size_t>(column)].has_value(); }

    std::vector<std::string> OutputHeader(bool sending) const;

    // The row read from `cells` (record `number` of the data, beginning at `line`).
    BatchRow Row(const std::vector<std::string>& cells, std::size_t number, std::size_t line) const;
    // The same, taking the cells' strings instead of copying them: a reader that hands each record over
    // and takes the output row back (see OutputRow) reads the next record into strings that already
    // have their room.
    BatchRow Row(std::vector<std::string>&& cells, std::size_t number, std::size_t line) const;

    // The output record of a row: its input cells, then the result's columns (the reply made safe
    // for spreadsheets, see FormulaSafe). Both are taken by value, so that a caller done with them
    // moves them in instead of copying every cell.
    std::vector<std::string> OutputRow(BatchRow row, BatchResult result, bool sending) const;

private:
    std::string TooManyCells(std::size_t count) const;

    std::vector<std::string> header_;
    std::array<std::optional<std::size_t>, kBatchColumnCount> index_;
};

// The `sent` cell of a row that went out: the references of its parts, in decimal, separated by
// one space ("17" or "17 18 19"); a part sent through ModemManager is named by its message's object
// path ("/org/freedesktop/ModemManager1/SMS/4"). Anything else in that cell is an error text.
std::string FormatSentReferences(const std::vector<int>& references);

// `text` with a ' in front when it begins with =, +, -, @, a tab or a carriage return, so that a
// spreadsheet opening the output shows it as text instead of running it as a formula. The reply
// column holds whatever anyone sent to the SIM.
std::string FormulaSafe(std::string text);

// Whether `header` is `sendingHeader` without its last column, `modem`: an output (or a journal) of
// a sending run that drove one modem and did not name it. Its rows are read with that cell empty.
bool LacksModemColumn(const std::vector<std::string>& header, const std::vector<std::string>& sendingHeader);
std::string FormatSentReferences(const std::vector<std::string>& references);
bool IsSentReferences(std::string_view cell);

}  // namespace fleet
