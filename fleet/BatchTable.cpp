#include "fleet/BatchTable.h"

#include <algorithm>

#include "base/AsciiText.h"

namespace fleet {
namespace {

constexpr std::array<std::string_view, kBatchColumnCount> kNames = {
    "dtu", "phone", "type", "mode", "ip", "domain", "port", "apn", "other_apn"};

constexpr std::array<std::string_view, 6> kResultNames = {"command", "parts", "status",
                                                          "sent",    "reply", "modem"};

}  // namespace

std::string_view ColumnName(BatchColumn column) {
    return kNames[static_cast<std::size_t>(column)];
}

BatchTable::BatchTable(std::vector<std::string> header) : header_(std::move(header)) {
    if (header_.empty() || (header_.size() == 1 && base::TrimBlanks(header_[0]).empty())) {
        throw BatchError("the file has no header row naming its columns");
    }
    for (std::size_t i = 0; i < header_.size(); ++i) {
        const std::string name = base::LowerCaseAscii(base::TrimBlanks(header_[i]));
        const auto* const known = std::find(kNames.begin(), kNames.end(), name);
        if (known == kNames.end()) {
            continue;
        }
        std::optional<std::size_t>& slot = index_[static_cast<std::size_t>(known - kNames.begin())];
        if (slot) {
            throw BatchError("columns %d and %d are both named \"%s\"",
                             {static_cast<long long>(*slot + 1), static_cast<long long>(i + 1), name});
        }
        slot = i;
    }
    // Without a single known column every row would be the settings file's command over again: the
    // header row is missing or misspelt, and composing from it would only hide that.
    if (std::none_of(index_.begin(), index_.end(), [](const auto& slot) { return slot.has_value(); })) {
        throw BatchError(
            "the first row names none of the columns dtu, phone, type, mode, ip, domain, port, apn, "
            "other_apn (is the header row missing?)");
    }
}

std::vector<std::string> BatchTable::OutputHeader(bool sending) const {
    std::vector<std::string> out = header_;
    out.insert(out.end(), kResultNames.begin(), kResultNames.begin() + (sending ? kResultNames.size() : 3));
    return out;
}

BatchRow BatchTable::Row(const std::vector<std::string>& cells, std::size_t number, std::size_t line) const {
    const auto width = static_cast<std::ptrdiff_t>(std::min(cells.size(), header_.size()));
    std::vector<std::string> copy;
    // Room for the result columns too, so that OutputRow appends them without moving the cells.
    copy.reserve(header_.size() + kResultNames.size());
    copy.assign(cells.begin(), cells.begin() + width);
    BatchRow row = Row(std::move(copy), number, line);
    if (cells.size() > header_.size()) {
        const bool extraEmpty = std::all_of(cells.begin() + width, cells.end(), [](const std::string& cell) {
            return base::TrimBlanks(cell).empty();
        });
        if (!extraEmpty) {
            row.problem = TooManyCells(cells.size());
            row.empty = false;
        }
    }
    return row;
}

BatchRow BatchTable::Row(std::vector<std::string>&& cells, std::size_t number, std::size_t line) const {
    BatchRow row;
    row.number = number;
    row.line = line;
    if (cells.size() > header_.size()) {
        const bool extraEmpty =
            std::all_of(cells.begin() + static_cast<std::ptrdiff_t>(header_.size()), cells.end(),
                        [](const std::string& cell) { return base::TrimBlanks(cell).empty(); });
        if (!extraEmpty) {
            row.problem = TooManyCells(cells.size());
        }
    }
    row.empty = !row.problem && std::all_of(cells.begin(), cells.end(), [](const std::string& cell) {
        return base::TrimBlanks(cell).empty();
    });
    row.cells = std::move(cells);
    row.cells.reserve(header_.size() + kResultNames.size());
    row.cells.resize(header_.size());
    for (std::size_t k = 0; k < kBatchColumnCount; ++k) {
        if (index_[k] && !base::TrimBlanks(row.cells[*index_[k]]).empty()) {
            row.known[k] = index_[k];
        }
    }
    return row;
}

std::string BatchTable::TooManyCells(std::size_t count) const {
    return "the row has " + std::to_string(count) + " cells but the header names " +
           std::to_string(header_.size()) + " columns";
}

std::vector<std::string> BatchTable::OutputRow(BatchRow row, BatchResult result, bool sending) const {
    std::vector<std::string> out = std::move(row.cells);
    out.resize(header_.size());
    out.push_back(std::move(result.command));
    out.push_back(std::move(result.parts));
    out.push_back(std::move(result.status));
    if (sending) {
        out.push_back(std::move(result.sent));
        out.push_back(FormulaSafe(std::move(result.reply)));
        out.push_back(std::move(result.modem));
    }
    return out;
}

bool LacksModemColumn(const std::vector<std::string>& header, const std::vector<std::string>& sendingHeader) {
    return !sendingHeader.empty() && sendingHeader.back() == "modem" &&
           header.size() + 1 == sendingHeader.size() &&
           std::equal(header.begin(), header.end(), sendingHeader.begin());
}

std::string FormatSentReferences(const std::vector<std::string>& references) {
    std::string out;
    for (const std::string& reference : references) {
        out += out.empty() ? "" : " ";
        out += reference;
    }
    return out;
}

std::string FormatSentReferences(const std::vector<int>& references) {
    std::string out;
    for (const int reference : references) {
        if (!out.empty()) {
            out += ' ';
        }
        out += std::to_string(reference);
    }
    return out;
}

bool IsSentReferences(std::string_view cell) {
    if (cell.empty()) {
        return false;
    }
    // A ModemManager message is known by its object path, which ends in its number.
    constexpr std::string_view kSmsPath = "/org/freedesktop/ModemManager1/SMS/";
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(cell.find(' ', start), cell.size());
        std::string_view token = cell.substr(start, end - start);
        if (token.starts_with(kSmsPath)) {
            token.remove_prefix(kSmsPath.size());
        }
        if (token.empty() ||
            !std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            return false;
        }
        if (end == cell.size()) {
            return true;
        }
        start = end + 1;
    }
}

}  // namespace fleet

namespace fleet {

std::string FormulaSafe(std::string text) {
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
        text.insert(text.begin(), '\'');
    }
    return text;
}

}  // namespace fleet
