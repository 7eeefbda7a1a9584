#include "fleet/ResumeLedger.h"

#include <algorithm>
#include <limits>

#include "fleet/BatchTable.h"

namespace fleet {

std::string ResumeLedger::Key(const std::vector<std::string>& cells) {
    // Each cell with its length in front, so that no two lists of cells give the same key.
    std::string key;
    for (const std::string& cell : cells) {
        key += std::to_string(cell.size());
        key += ':';
        key += cell;
    }
    return key;
}

ResumeLedger ResumeLedger::Load(CsvInput& earlier, const std::vector<std::string>& sendingHeader,
                                const std::vector<std::string>& composingHeader, std::size_t inputColumns) {
    ResumeLedger ledger;
    std::vector<std::string> record;
    if (!earlier.Next(record)) {
        return ledger;
    }
    if (record == composingHeader) {
        return ledger;
    }
    if (record != sendingHeader && !LacksModemColumn(record, sendingHeader)) {
        throw ResumeError(
            "the output file's columns are not those this input gives, so it was written from another "
            "file; resuming would overwrite its results (choose another output file)");
    }
    const std::size_t status = inputColumns + 2;
    const std::size_t sent = inputColumns + 3;
    while (earlier.Next(record)) {
        record.resize(sendingHeader.size());
        if (record[status] != kStatusOk || !IsSentReferences(record[sent])) {
            continue;
        }
        const std::vector<std::string> cells(record.begin(),
                                             record.begin() + static_cast<std::ptrdiff_t>(inputColumns));
        ledger.sent_[Key(cells)].push_back(Sent{earlier.RecordLine(), std::move(record)});
        ++ledger.sentRows_;
        record = {};
    }
    return ledger;
}

std::optional<std::vector<std::string>> ResumeLedger::Take(const std::vector<std::string>& inputCells) {
    const auto found = sent_.find(Key(inputCells));
    if (found == sent_.end()) {
        return std::nullopt;
    }
    std::vector<std::string> row = std::move(found->second.front().row);
    found->second.pop_front();
    if (found->second.empty()) {
        sent_.erase(found);
    }
    --sentRows_;
    return row;
}

void ResumeLedger::Check(const std::function<bool(std::vector<std::string>&)>& nextCells) const {
    // Only the count per key matters here, which spares copying the kept rows.
    std::unordered_map<std::string, std::size_t> claims;
    std::vector<std::string> cells;
    while (nextCells(cells)) {
        const auto found = sent_.find(Key(cells));
        if (found != sent_.end()) {
            ++claims[found->first];
        }
    }
    std::size_t firstLine = std::numeric_limits<std::size_t>::max();
    for (const auto& [key, rows] : sent_) {
        const std::size_t claimed = claims.contains(key) ? claims.at(key) : 0;
        for (std::size_t i = claimed; i < rows.size(); ++i) {
            firstLine = std::min(firstLine, rows[i].line);
        }
    }
    if (firstLine != std::numeric_limits<std::size_t>::max()) {
        throw ResumeError(
            "line %d of the output file records a sent SMS for a row the input no longer has; resuming would "
            "lose that record (choose another output file)",
            {static_cast<long long>(firstLine)});
    }
}

}  // namespace fleet
