#include "tests/windows/ProfileCases.h"

#include <climits>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace winprofile {
namespace {

std::string EveryByte() {
    std::string bytes;
    for (int byte = 0; byte < 256; ++byte) {
        bytes += static_cast<char>(byte);
    }
    return bytes;
}

std::vector<CaseFile> SampleCases() {
    return {
        CaseFile{
            "case-0001.ini",
            {Question{"Main", "Port", "", 6000}, Question{" [Ma in] ", "a=b\r\n;#\"'", "dflt  ", INT_MIN},
             Question{EveryByte(), "", EveryByte(), INT_MAX}}},
        CaseFile{"empty.ini", {}},
        CaseFile{"case-0002.ini", {Question{"\xEF\xBB\xBF", "\xE5\x9B\xBA\xE5\xAE\x9A", "\xC3\x28", -1}}},
    };
}

Answers SampleAnswers() {
    return {1252,
            true,
            {Answer{u"", "", 0, false}, Answer{u"\xFFFD\xD800\xDC00 x", EveryByte(), -2147483647 - 1, true},
             Answer{u"6000", "6000", 6000, true}}};
}

std::string FormatAnswers(const Answers& answers) {
    std::string text = FormatAnswersHeader(answers.codePage, answers.codePageRoundTrips);
    for (const Answer& answer : answers.answers) {
        text += FormatAnswer(answer);
    }
    return text;
}

void ExpectSameAnswers(const Answers& actual, const Answers& expected) {
    EXPECT_EQ(actual.codePage, expected.codePage);
    EXPECT_EQ(actual.codePageRoundTrips, expected.codePageRoundTrips);
    EXPECT_EQ(actual.answers, expected.answers);
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return out;
}

class ProfileCasesFileTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("dtusms-cases-" + std::to_string(testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path folder_;
};

TEST(ProfileCasesTest, CaseListCarriesEveryByteOfNamesAndDefaults) {
    const std::vector<CaseFile> cases = SampleCases();
    EXPECT_EQ(ParseCaseList(FormatCaseList(cases)), cases);
    // A Windows program writing in text mode turns each "\n" into "\r\n".
    EXPECT_EQ(ParseCaseList(WithCrLf(FormatCaseList(cases))), cases);
    EXPECT_EQ(ParseCaseList(""), std::vector<CaseFile>{});
}

TEST(ProfileCasesTest, AnswersCarryEveryUnitAndByte) {
    const Answers answers = SampleAnswers();
    ExpectSameAnswers(ParseAnswers(FormatAnswers(answers)), answers);
    ExpectSameAnswers(ParseAnswers(WithCrLf(FormatAnswers(answers))), answers);
    ExpectSameAnswers(ParseAnswers(FormatAnswersHeader(936, false)), Answers{936, false, {}});
}

struct MalformedRow {
    const char* text;
    const char* message;
};

TEST(ProfileCasesTest, MalformedRecordsAreRefusedWithTheirLine) {
    const MalformedRow caseLists[] = {
        {"Q x x x 0\n", "line 1: question before any file"},
        {"F a\nQ x1 x x 0\n", "line 2: expected a byte string"},
        {"F a\nQ xzz x x 0\n", "line 2: bad hex digit"},
        {"F a\nQ xAB x x 0\n", "line 2: bad hex digit"},
        {"F a\nQ x x x\n", "line 2: expected 5 fields"},
        {"F a\nQ x x x 1.5\n", "line 2: expected a number"},
        {"F a\nQ x x x 99999999999\n", "line 2: expected a number"},
        {"F a\n\nQ x x x 0\n", "line 2: unknown record"},
        {"F \n", "line 1: empty file name"},
        {"F a b\n", "line 1: expected 2 fields"},
    };
    for (const MalformedRow& row : caseLists) {
        SCOPED_TRACE(row.text);
        try {
            ParseCaseList(row.text);
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), row.message);
        }
    }
    const MalformedRow answerFiles[] = {
        {"", "answers without a header"},
        {"A u x 0 1\n", "line 1: answer before the header"},
        {"C 1252 2\n", "line 1: expected 0 or 1"},
        {"C 1252 1\nC 1252 1\n", "line 2: second header"},
        {"C 1252 1\nA u123 x 0 1\n", "line 2: expected UTF-16 text"},
        {"C 1252 1\nA x x 0 1\n", "line 2: expected UTF-16 text"},
        {"C 1252 1\nA u x 0\n", "line 2: expected 5 fields"},
        {"C 1252 1\nA u x 0 yes\n", "line 2: expected 0 or 1"},
        {"C -1 1\n", "line 1: expected a number"},
    };
    for (const MalformedRow& row : answerFiles) {
        SCOPED_TRACE(row.text);
        try {
            ParseAnswers(row.text);
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), row.message);
        }
    }
}

// Wide paths on Windows: a folder and file named in Chinese are written and read back byte for byte.
TEST_F(ProfileCasesFileTest, FilesKeepEveryByteUnderAnyName) {
    const std::filesystem::path folder = folder_ / std::filesystem::path(u8"设置");
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / std::filesystem::path(u8"配置\u00e9.list");
    const std::string bytes = EveryByte() + "\r\n\n\r" + FormatCaseList(SampleCases());
    WriteBinaryFile(file, bytes);
    EXPECT_EQ(ReadBinaryFile(file), bytes);
    WriteBinaryFile(file, "");
    EXPECT_EQ(ReadBinaryFile(file), "");
}

TEST_F(ProfileCasesFileTest, MissingFilesAndFoldersAreReported) {
    EXPECT_THROW(ReadBinaryFile(folder_ / "missing.list"), std::runtime_error);
    EXPECT_THROW(WriteBinaryFile(folder_ / "no-such-folder" / "answers.txt", "x"), std::runtime_error);
}

}  // namespace
}  // namespace winprofile
