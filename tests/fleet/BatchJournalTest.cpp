#include "fleet/BatchJournal.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fleet/JournalRecords.h"
#include "fleet/ResumeLedger.h"
#include "tests/sms/TempDir.h"

namespace fleet {
namespace {

using sms::testing::ReadBytes;
using sms::testing::TempDir;
using sms::testing::WriteBytes;

const std::vector<JournalFields> kRecords = {
    {"dtusms batch journal", "1", "dtu"},
    {"plain", "", "two\ttabs\tand\na line", "back\\slash \\t not an escape", "cr\r\nlf"},
    {""},
    {"\xE5\x8C\x97\xE4\xBA\xAC-01", "last"},
};

std::string Encoded(const std::vector<JournalFields>& records) {
    std::string bytes;
    for (const JournalFields& fields : records) {
        bytes += EncodeJournalRecord(fields);
    }
    return bytes;
}

TEST(JournalRecordsTest, FieldsComeBackExactlyAndTheCrcIsTheStandardOne) {
    const JournalRecords read = DecodeJournalRecords(Encoded(kRecords));
    EXPECT_EQ(read.records, kRecords);
    EXPECT_EQ(read.wholeBytes, Encoded(kRecords).size());
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926U);
}

// A journal cut at any byte (the process died while appending) is read up to its last whole record,
// and a byte changed anywhere ends the reading at the record that holds it.
TEST(JournalRecordsTest, ACutOrScribbledJournalIsReadUpToItsLastWholeRecord) {
    const std::string bytes = Encoded(kRecords);
    std::vector<std::size_t> ends;
    for (std::size_t n = 1; n <= kRecords.size(); ++n) {
        ends.push_back(Encoded({kRecords.begin(), kRecords.begin() + static_cast<std::ptrdiff_t>(n)}).size());
    }
    auto wholeBefore = [&](std::size_t at) {
        std::size_t whole = 0;
        while (whole < ends.size() && ends[whole] <= at) {
            ++whole;
        }
        return whole;
    };
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
        const JournalRecords read = DecodeJournalRecords(std::string_view(bytes).substr(0, cut));
        const std::size_t whole = wholeBefore(cut);
        ASSERT_EQ(read.records.size(), whole) << "cut at " << cut;
        EXPECT_EQ(read.wholeBytes, whole == 0 ? 0 : ends[whole - 1]) << "cut at " << cut;
    }
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        for (const char scribble : {'\0', 'x', '\t', '\n', '\\'}) {
            std::string changed = bytes;
            if (changed[at] == scribble) {
                continue;
            }
            changed[at] = scribble;
            const JournalRecords read = DecodeJournalRecords(changed);
            const std::size_t intact = wholeBefore(at);
            ASSERT_LE(read.records.size(), intact) << "byte " << at << " changed to " << int(scribble);
            EXPECT_EQ(read.records, std::vector<JournalFields>(
                                        kRecords.begin(),
                                        kRecords.begin() + static_cast<std::ptrdiff_t>(read.records.size())));
        }
    }
}

const std::vector<std::string> kHeader = {"dtu", "phone", "command", "parts", "status", "sent", "reply"};
const std::vector<std::string> kCellsA = {"TQ-1", "13800138001"};
const std::vector<std::string> kCellsB = {"TQ-2", "13800138002"};

std::vector<std::string> OutputRow(const std::vector<std::string>& cells, const std::string& sent) {
    std::vector<std::string> row = cells;
    row.insert(row.end(), {"(A55A#s)", "1", "ok", sent, ""});
    return row;
}

class BatchJournalTest : public ::testing::Test {
protected:
    JournalState Read() const { return JournalState::Read(ReadBytes(path_), kHeader, 2); }

    TempDir dir_;
    std::string path_ = JournalPathFor(dir_.File("out.csv"));
};

TEST_F(BatchJournalTest, TheLastRecordOfARowDecidesWhatAResumeDoes) {
    {
        BatchJournal journal(path_, kHeader);
        journal.Handed({1, 0}, kCellsA, 1, 1, "/dev/ttyUSB2");
        journal.Finished({1, 0}, JournalOutcome::Sent, "/dev/ttyUSB2", OutputRow(kCellsA, "17"));
        journal.Finished({2, 0}, JournalOutcome::Unsent, "/dev/ttyUSB2", OutputRow(kCellsB, "Cancelled"));
        journal.Handed({3, 1}, kCellsB, 1, 2, "/dev/ttyUSB2");  // same cells, second occurrence
        journal.Handed({4, 2}, kCellsB, 1, 1, "/dev/ttyUSB2");
        journal.Finished({4, 2}, JournalOutcome::Doubt, "/dev/ttyUSB2", OutputRow(kCellsB, "unconfirmed"));
    }
    const JournalState state = Read();
    struct Case {
        const std::vector<std::string>* cells;
        std::size_t occurrence;
        bool recorded;
        JournalOutcome outcome;
        std::vector<std::string> outputRow;
    };
    const Case cases[] = {
        {&kCellsA, 0, true, JournalOutcome::Sent, OutputRow(kCellsA, "17")},
        {&kCellsB, 0, true, JournalOutcome::Unsent, OutputRow(kCellsB, "Cancelled")},
        {&kCellsB, 1, true, JournalOutcome::Doubt, {}},
        {&kCellsB, 2, true, JournalOutcome::Doubt, OutputRow(kCellsB, "unconfirmed")},
        {&kCellsA, 1, false, {}, {}},
    };
    for (const Case& row : cases) {
        const JournalEntry* entry = state.Find(*row.cells, row.occurrence);
        ASSERT_EQ(entry != nullptr, row.recorded) << (*row.cells)[0] << " #" << row.occurrence;
        if (entry != nullptr) {
            EXPECT_EQ(entry->outcome, row.outcome) << (*row.cells)[0] << " #" << row.occurrence;
            EXPECT_EQ(entry->outputRow, row.outputRow) << (*row.cells)[0] << " #" << row.occurrence;
        }
    }
}

TEST_F(BatchJournalTest, AppendingGoesOnAfterATornRecordSoThatNewRecordsAreRead) {
    {
        BatchJournal journal(path_, kHeader);
        journal.Finished({1, 0}, JournalOutcome::Sent, "m", OutputRow(kCellsA, "17"));
    }
    const std::string whole = ReadBytes(path_);
    WriteBytes(path_, whole + "handed\t2\t0\t1\t1\tm\tTQ-2\t1380");  // died while appending
    const JournalState torn = Read();
    EXPECT_EQ(torn.wholeBytes(), whole.size());
    {
        BatchJournal journal(path_, kHeader, torn.wholeBytes());
        journal.Handed({2, 0}, kCellsB, 1, 1, "m");
    }
    const JournalState resumed = Read();
    ASSERT_NE(resumed.Find(kCellsB, 0), nullptr);
    EXPECT_EQ(resumed.Find(kCellsB, 0)->outcome, JournalOutcome::Doubt);
    ASSERT_NE(resumed.Find(kCellsA, 0), nullptr);
    EXPECT_EQ(resumed.Find(kCellsA, 0)->outcome, JournalOutcome::Sent);
}

TEST_F(BatchJournalTest, AJournalOfOtherColumnsDamagedOrWithRowsTheInputLostIsRefused) {
    {
        BatchJournal journal(path_, kHeader);
        journal.Finished({1, 0}, JournalOutcome::Sent, "m", OutputRow(kCellsA, "17"));
        journal.Finished({2, 0}, JournalOutcome::Unsent, "m", OutputRow(kCellsB, "Cancelled"));
    }
    std::vector<std::string> otherHeader = kHeader;
    otherHeader[1] = "site";
    EXPECT_THROW(JournalState::Read(ReadBytes(path_), otherHeader, 2), ResumeError);

    JournalState claimedBoth = Read();
    claimedBoth.Claim(kCellsA, 0);
    EXPECT_NO_THROW(claimedBoth.CheckClaimed());
    JournalState lostTheSentRow = Read();
    lostTheSentRow.Claim(kCellsB, 0);
    lostTheSentRow.Claim(kCellsA, 1);
    EXPECT_THROW(lostTheSentRow.CheckClaimed(), ResumeError);

    // A record damaged with more after it: nothing past it is trusted, and the resume stops.
    std::string damaged = ReadBytes(path_);
    damaged[damaged.find("TQ-1")] = 'X';
    EXPECT_THROW(JournalState::Read(damaged, kHeader, 2), ResumeError);

    // A header cut short means nothing was sent yet: the journal counts as empty.
    WriteBytes(path_, ReadBytes(path_).substr(0, 10));
    EXPECT_TRUE(Read().empty());
    EXPECT_EQ(Read().wholeBytes(), 0U);
}

TEST(RowOccurrencesTest, CountsEachListOfCellsOnItsOwn) {
    RowOccurrences occurrences;
    EXPECT_EQ(occurrences.Next({"a", "b"}), 0U);
    EXPECT_EQ(occurrences.Next({"ab", ""}), 0U);
    EXPECT_EQ(occurrences.Next({"a", "b"}), 1U);
    EXPECT_EQ(occurrences.Next({"", "ab"}), 0U);
    EXPECT_EQ(occurrences.Next({"a", "b"}), 2U);
}

// A journal begun by a run that wrote no modem column, then continued by one that does: both kinds of
// row are read, the older ones with an empty modem cell, so the resume keeps them as sent.
TEST_F(BatchJournalTest, AJournalWithoutTheModemColumnIsReadAndContinued) {
    std::vector<std::string> withModem = kHeader;
    withModem.emplace_back("modem");
    {
        BatchJournal journal(path_, kHeader);
        journal.Finished({1, 0}, JournalOutcome::Sent, "m", OutputRow(kCellsA, "17"));
    }
    const JournalState older = JournalState::Read(ReadBytes(path_), withModem, 2);
    std::vector<std::string> rowWithModem = OutputRow(kCellsB, "18");
    rowWithModem.emplace_back("/dev/ttyUSB1");
    {
        BatchJournal journal(path_, withModem, older.wholeBytes());
        journal.Finished({2, 0}, JournalOutcome::Sent, "/dev/ttyUSB1", rowWithModem);
    }
    const JournalState both = JournalState::Read(ReadBytes(path_), withModem, 2);
    ASSERT_NE(both.Find(kCellsA, 0), nullptr);
    std::vector<std::string> olderRow = OutputRow(kCellsA, "17");
    olderRow.emplace_back();
    EXPECT_EQ(both.Find(kCellsA, 0)->outputRow, olderRow);
    ASSERT_NE(both.Find(kCellsB, 0), nullptr);
    EXPECT_EQ(both.Find(kCellsB, 0)->outputRow, rowWithModem);

    // A journal with every column takes no row that lacks one.
    WriteBytes(path_, "");
    {
        BatchJournal journal(path_, withModem);
        journal.Finished({1, 0}, JournalOutcome::Sent, "m", OutputRow(kCellsA, "17"));
    }
    EXPECT_THROW(JournalState::Read(ReadBytes(path_), withModem, 2), ResumeError);
}

}  // namespace
}  // namespace fleet
