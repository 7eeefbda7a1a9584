#pragma once

// What an earlier batch run already sent, read back from its output file, so that a resumed run
// sends only the rest and keeps the earlier results.
//
// A row of the earlier output counts as sent when its status is "ok" and its sent cell holds
// message references (IsSentReferences). Rows are matched by their input cells, not by position
// alone: the k-th input row with given cells takes the k-th sent row of the earlier output with
// the same cells. For an unchanged input that is exactly matching by position; when rows were
// inserted, removed or reordered, every sent row still finds its row, and an edited row is no
// longer the row that was sent, so it is sent again. The earlier output may hold fewer rows than
// the input (a run that was stopped and wrote the rows it had done): the rest are simply not sent.
//
// Safety: a sent row that no input row claims would vanish from the new output, and with it the
// record that its SMS went out. Call Check before sending anything: it walks the input once and
// throws ResumeError naming the line of the first such earlier row.
//
// Memory: the earlier output's sent rows are held whole (a few hundred bytes per row); unsent rows
// are not kept.

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/MessageError.h"
#include "fleet/CsvInput.h"

namespace fleet {

// The earlier output cannot be resumed from; the message says why.
class ResumeError : public base::MessageError {
public:
    using base::MessageError::MessageError;
};

class ResumeLedger final {
public:
    // An empty ledger: nothing was sent (no earlier output).
    ResumeLedger() = default;

    // Reads the earlier output. Its header must be `sendingHeader` (then its sent rows are
    // taken), that header without its last column `modem` (a run of one modem that did not name it:
    // its rows get an empty modem cell), or `composingHeader` (a run without sending: nothing was
    // sent); anything else means
    // it was written from another input, and is a ResumeError. `inputColumns` is the number of
    // input columns at the front of both headers. An empty file counts as no earlier output.
    // Throws CsvError when the earlier output is no readable CSV (the batch writes UTF-8, so read it
    // with EncodingChoice::Utf8).
    static ResumeLedger Load(CsvInput& earlier, const std::vector<std::string>& sendingHeader,
                             const std::vector<std::string>& composingHeader, std::size_t inputColumns);

    // The earlier output row of an input row with these cells (exactly the header's width) when
    // that row was sent; nullopt when it is to be sent now. Each sent row is given out once.
    std::optional<std::vector<std::string>> Take(const std::vector<std::string>& inputCells);

    // Claims, as Take would but without changing this ledger, a row for every list of cells that
    // `nextCells` gives (as BatchRow::cells; it returns false at the end), and throws ResumeError
    // when a sent row is left unclaimed.
    void Check(const std::function<bool(std::vector<std::string>&)>& nextCells) const;

    // The sent rows that Take has not given out yet.
    std::size_t SentRows() const { return sentRows_; }

private:
    struct Sent {
        std::size_t line;
        std::vector<std::string> row;
    };

    static std::string Key(const std::vector<std::string>& cells);

    std::unordered_map<std::string, std::deque<Sent>> sent_;
    std::size_t sentRows_ = 0;
};

}  // namespace fleet
