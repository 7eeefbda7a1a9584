#include "fleet/FleetBoard.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "base/AsciiText.h"

namespace fleet {
namespace {

std::optional<std::size_t> FindColumn(const std::vector<std::string>& header, std::string_view name) {
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (base::LowerCaseAscii(base::TrimBlanks(header[i])) == name) {
            return i;
        }
    }
    return std::nullopt;
}

// The column named `name` in `header`, appended when there is none.
std::size_t ColumnOf(std::vector<std::string>& header, std::string_view name) {
    if (const std::optional<std::size_t> column = FindColumn(header, name)) {
        return *column;
    }
    header.emplace_back(name);
    return header.size() - 1;
}

// The spellings by which a DTU number is recognised: its UTF-8 text and, when it is not ASCII, its
// GB18030 bytes (left out when this system cannot convert them).
std::vector<std::string> SpellingsOf(const std::string& number) {
    std::vector<std::string> spellings{number};
    if (!IsAscii(number)) {
        try {
            if (std::optional<std::string> gbk = Utf8ToGb18030(number)) {
                spellings.push_back(std::move(*gbk));
            }
        } catch (const EncodingUnavailable&) {
        }
    }
    return spellings;
}

}  // namespace

FleetBoard::FleetBoard(std::vector<std::string> header, std::vector<std::vector<std::string>> rows)
    : header_(std::move(header)), rows_(std::move(rows)) {
    const std::optional<std::size_t> dtuColumn = FindColumn(header_, "dtu");
    if (!dtuColumn) {
        throw BoardError("the fleet file has no dtu column");
    }
    std::unordered_map<std::string, std::size_t> known;
    rowDtu_.reserve(rows_.size());
    for (const std::vector<std::string>& row : rows_) {
        const std::string number(*dtuColumn < row.size() ? base::TrimBlanks(row[*dtuColumn]) : "");
        if (number.empty()) {
            rowDtu_.emplace_back();
            continue;
        }
        const auto [place, added] = known.emplace(number, dtus_.size());
        if (added) {
            for (const std::string& spelling : SpellingsOf(number)) {
                matcher_.Add(spelling, dtus_.size());
            }
            dtus_.push_back(Dtu{number, false, {}, {}});
        }
        rowDtu_.emplace_back(place->second);
    }
    if (dtus_.empty()) {
        throw BoardError("the fleet file has no DTU number in its dtu column");
    }
    inputColumns_ = header_.size();
    const bool earlierBoard = FindColumn(header_, kOnlineColumn).has_value();
    onlineColumn_ = ColumnOf(header_, kOnlineColumn);
    firstSeenColumn_ = ColumnOf(header_, kFirstSeenColumn);
    peerColumn_ = ColumnOf(header_, kPeerColumn);
    if (earlierBoard) {
        CarryOverEarlierArrivals();
    }
}

void FleetBoard::CarryOverEarlierArrivals() {
    const auto cell = [this](std::size_t row, std::size_t column) {
        return column < rows_[row].size() ? std::string(base::TrimBlanks(rows_[row][column])) : std::string();
    };
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (!rowDtu_[row] || base::LowerCaseAscii(cell(row, onlineColumn_)) != "yes") {
            continue;
        }
        Dtu& dtu = dtus_[*rowDtu_[row]];
        if (!dtu.online) {
            dtu.online = true;
            dtu.seenAt = cell(row, firstSeenColumn_);
            dtu.peer = cell(row, peerColumn_);
            ++online_;
        }
    }
}

FleetBoard FleetBoard::Read(CsvInput& input) {
    std::vector<std::string> header;
    if (!input.Next(header)) {
        throw BoardError("the fleet file is empty");
    }
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> record;
    while (input.Next(record)) {
        rows.push_back(std::move(record));
        record.clear();
    }
    return {std::move(header), std::move(rows)};
}

std::optional<std::size_t> FleetBoard::Arrive(std::string_view firstBytes, const std::string& seenAt,
                                              const std::string& peer) {
    const std::optional<std::size_t> index = matcher_.Find(firstBytes);
    if (!index || dtus_[*index].online) {
        return std::nullopt;
    }
    Dtu& dtu = dtus_[*index];
    dtu.online = true;
    dtu.seenAt = seenAt;
    dtu.peer = peer;
    ++online_;
    return index;
}

std::vector<std::string> FleetBoard::Missing(std::size_t limit) const {
    std::vector<std::string> missing;
    for (const Dtu& dtu : dtus_) {
        if (missing.size() >= limit) {
            break;
        }
        if (!dtu.online) {
            missing.push_back(dtu.number);
        }
    }
    return missing;
}

void FleetBoard::Write(CsvWriter& writer) const {
    writer.Write(header_);
    std::vector<std::string> record;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        // Cells past the header's (spreadsheets keep some) go after the board's own columns.
        const std::vector<std::string>& row = rows_[i];
        const std::size_t kept = std::min(row.size(), inputColumns_);
        record.assign(row.begin(), row.begin() + static_cast<std::ptrdiff_t>(kept));
        record.resize(header_.size());
        record.insert(record.end(), row.begin() + static_cast<std::ptrdiff_t>(kept), row.end());
        while (record.size() > header_.size() && base::TrimBlanks(record.back()).empty()) {
            record.pop_back();
        }
        if (rowDtu_[i]) {
            const Dtu& dtu = dtus_[*rowDtu_[i]];
            record[onlineColumn_] = dtu.online ? "yes" : "no";
            record[firstSeenColumn_] = dtu.seenAt;
            record[peerColumn_] = dtu.peer;
        } else {
            record[onlineColumn_].clear();
            record[firstSeenColumn_].clear();
            record[peerColumn_].clear();
        }
        writer.Write(record);
    }
}

}  // namespace fleet
