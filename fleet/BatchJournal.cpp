#include "fleet/BatchJournal.h"

#include <charconv>
#include <functional>
#include <limits>

#include "fleet/BatchTable.h"
#include "fleet/JournalRecords.h"
#include "fleet/ResumeLedger.h"

namespace fleet {
namespace {

constexpr std::string_view kFormat = "dtusms batch journal";
constexpr std::string_view kVersion = "1";
constexpr std::string_view kHanded = "handed";
constexpr std::string_view kFinished = "row";
constexpr std::size_t kHandedCellsAt = 6;  // handed, number, occurrence, part, parts, modem
constexpr std::size_t kFinishedRowAt = 5;  // row, number, occurrence, outcome, modem

constexpr std::string_view kOutcomeNames[] = {"sent", "unsent", "doubt"};

std::string_view OutcomeName(JournalOutcome outcome) {
    return kOutcomeNames[static_cast<std::size_t>(outcome)];
}

std::optional<JournalOutcome> ParseOutcome(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kOutcomeNames); ++i) {
        if (kOutcomeNames[i] == name) {
            return static_cast<JournalOutcome>(i);
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> ParseCount(std::string_view text) {
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

JournalFields HeaderRecord(const std::vector<std::string>& outputHeader) {
    JournalFields fields{std::string(kFormat), std::string(kVersion)};
    fields.insert(fields.end(), outputHeader.begin(), outputHeader.end());
    return fields;
}

// Whether the journal's header record names the output's columns but the last, `modem`: a journal
// of a run that did not name its modem, whose rows have one column less (an empty modem), while
// the rows a later run appended to it have every column. Throws ResumeError when it names other
// columns.
bool WithoutModemColumn(const JournalFields& record, const std::vector<std::string>& sendingHeader) {
    if (record == HeaderRecord(sendingHeader)) {
        return false;
    }
    const std::vector<std::string> header(sendingHeader.begin(),
                                          sendingHeader.end() - (sendingHeader.empty() ? 0 : 1));
    if (!LacksModemColumn(header, sendingHeader) || record != HeaderRecord(header)) {
        throw ResumeError(
            "its journal was written for other columns, so from another file; resuming would lose what "
            "it records (choose another output file)");
    }
    return true;
}

ResumeError Damaged(std::size_t wholeRecords) {
    return ResumeError(
        "its journal is damaged after its first %d records, so what it says of later rows cannot be trusted; "
        "compare it with the modem's sent messages and remove it or choose another output file",
        {static_cast<long long>(wholeRecords)});
}

}  // namespace

std::size_t RowOccurrences::Next(const std::vector<std::string>& cells) {
    std::uint64_t hash = 0;
    for (const std::string& cell : cells) {
        // The cell's length goes in too, so that moving text between neighbouring cells changes it.
        hash = hash * 1099511628211U ^ std::hash<std::string>{}(cell) ^ cell.size();
    }
    return seen_[hash]++;
}

BatchJournal::BatchJournal(const std::string& path, const std::vector<std::string>& outputHeader)
    : BatchJournal(path, outputHeader, 0) {}

BatchJournal::BatchJournal(const std::string& path, const std::vector<std::string>& outputHeader,
                           std::size_t wholeBytes)
    : file_(path, wholeBytes) {
    if (wholeBytes == 0) {
        file_.Append(EncodeJournalRecord(HeaderRecord(outputHeader)));
    }
}

void BatchJournal::Handed(const JournalRow& row, const std::vector<std::string>& cells, int part, int parts,
                          const std::string& modem) {
    JournalFields fields{std::string(kHanded), std::to_string(row.number), std::to_string(row.occurrence),
                         std::to_string(part), std::to_string(parts),      modem};
    fields.insert(fields.end(), cells.begin(), cells.end());
    file_.Append(EncodeJournalRecord(fields));
}

void BatchJournal::Finished(const JournalRow& row, JournalOutcome outcome, const std::string& modem,
                            const std::vector<std::string>& outputRow) {
    JournalFields fields{std::string(kFinished), std::to_string(row.number), std::to_string(row.occurrence),
                         std::string(OutcomeName(outcome)), modem};
    fields.insert(fields.end(), outputRow.begin(), outputRow.end());
    file_.Append(EncodeJournalRecord(fields));
}

std::string JournalState::Key(const std::vector<std::string>& cells, std::size_t occurrence) {
    std::string key = std::to_string(occurrence);
    for (const std::string& cell : cells) {
        key += ';';
        key += std::to_string(cell.size());
        key += ':';
        key += cell;
    }
    return key;
}

JournalState JournalState::Read(std::string_view bytes, const std::vector<std::string>& outputHeader,
                                std::size_t inputColumns) {
    JournalRecords read = DecodeJournalRecords(bytes);
    JournalState state;
    // Only a record cut short by a crash ends a journal without a line end after it; a bad record
    // followed by more lines means the file was damaged, and what follows may matter.
    if (bytes.find('\n', read.wholeBytes) != std::string_view::npos) {
        throw Damaged(read.records.size());
    }
    if (read.records.empty()) {
        // Cut before its header was whole: nothing had been sent. The next run starts it afresh.
        return state;
    }
    if (read.records.front().size() < 2 || read.records.front()[0] != kFormat ||
        read.records.front()[1] != kVersion) {
        throw Damaged(0);
    }
    const bool withoutModem = WithoutModemColumn(read.records.front(), outputHeader);
    state.wholeBytes_ = read.wholeBytes;
    const std::size_t outputColumns = outputHeader.size();
    for (std::size_t i = 1; i < read.records.size(); ++i) {
        JournalFields& fields = read.records[i];
        const bool handed = fields[0] == kHanded && fields.size() == kHandedCellsAt + inputColumns;
        const bool finished =
            fields[0] == kFinished && (fields.size() == kFinishedRowAt + outputColumns ||
                                       (withoutModem && fields.size() + 1 == kFinishedRowAt + outputColumns));
        const std::optional<std::size_t> number = fields.size() > 2 ? ParseCount(fields[1]) : std::nullopt;
        const std::optional<std::size_t> occurrence =
            fields.size() > 2 ? ParseCount(fields[2]) : std::nullopt;
        const std::optional<JournalOutcome> outcome = finished ? ParseOutcome(fields[3]) : std::nullopt;
        if (!number || !occurrence || !(handed || (finished && outcome))) {
            throw Damaged(i);
        }
        const std::size_t cellsAt = handed ? kHandedCellsAt : kFinishedRowAt;
        const std::vector<std::string> cells(
            fields.begin() + static_cast<std::ptrdiff_t>(cellsAt),
            fields.begin() + static_cast<std::ptrdiff_t>(cellsAt + inputColumns));
        Slot& slot = state.entries_[Key(cells, *occurrence)];
        slot.entry.number = *number;
        if (handed) {
            slot.entry.outcome = JournalOutcome::Doubt;
            slot.entry.outputRow.clear();
        } else {
            slot.entry.outcome = *outcome;
            slot.entry.outputRow.assign(
                std::make_move_iterator(fields.begin() + static_cast<std::ptrdiff_t>(cellsAt)),
                std::make_move_iterator(fields.end()));
            slot.entry.outputRow.resize(outputColumns);
        }
    }
    return state;
}

const JournalEntry* JournalState::Find(const std::vector<std::string>& cells, std::size_t occurrence) const {
    const auto found = entries_.find(Key(cells, occurrence));
    return found == entries_.end() ? nullptr : &found->second.entry;
}

void JournalState::Claim(const std::vector<std::string>& cells, std::size_t occurrence) {
    const auto found = entries_.find(Key(cells, occurrence));
    if (found != entries_.end()) {
        found->second.claimed = true;
    }
}

void JournalState::CheckClaimed() const {
    std::size_t first = std::numeric_limits<std::size_t>::max();
    for (const auto& [key, slot] : entries_) {
        if (!slot.claimed && slot.entry.outcome != JournalOutcome::Unsent) {
            first = std::min(first, slot.entry.number);
        }
    }
    if (first != std::numeric_limits<std::size_t>::max()) {
        throw ResumeError(
            "its journal records an SMS that went out (or may have) for row %d, which the input no longer "
            "has; resuming would lose that record (choose another output file)",
            {static_cast<long long>(first)});
    }
}

std::string JournalPathFor(const std::string& outputPath) {
    return outputPath + ".journal";
}

}  // namespace fleet
