#include "tests/windows/ProfileApi.h"

#include <windows.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace winprofile {
namespace {

class ProfileApiTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("dtusms-profile-api-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    Answer Ask(const std::string& content, const Question& question) {
        const std::filesystem::path file = folder_ / ("case-" + std::to_string(++files_) + ".ini");
        WriteBinaryFile(file, content);
        return AskProfileApi(question, file, FileCodePage(file));
    }

    std::filesystem::path folder_;
    int files_ = 0;
};

struct Row {
    const char* name;
    std::string content;
    Question question;
    Answer expected;  // only the count of `units` is compared
};

// What the differential check relies on: whether a key exists is told apart from a value that
// equals the default; answers come back as the file's own bytes in either encoding; the cut.
TEST_F(ProfileApiTest, AnswersCarryTheFileBytesAndWhetherTheKeyExists) {
    const Row rows[] = {
        {"a value", "[Main]\r\nPort=6000\r\n", {"Main", "Port", "d", 5}, {u"xxxx", "6000", 6000, true}},
        {"a value equal to the default",
         "[Main]\r\nK=dflt\r\n",
         {"main", "k", "dflt", 5},
         {u"xxxx", "dflt", 0, true}},
        {"an empty value", "[Main]\r\nK=\r\n", {"Main", "K", "", 5}, {u"", "", 5, true}},
        {"a missing key", "[Main]\r\nK=1\r\n", {"Main", "Port", "dflt  ", 5}, {u"xxxx", "dflt", 5, false}},
        {"a missing key, empty default", "[Main]\r\n", {"Main", "Port", "", -1}, {u"", "", -1, false}},
        {"code page 1252 bytes",
         "[Main]\r\nK=\xE9\x80\x81\xFF\r\n",
         {"Main", "K", "", 5},
         {u"xxxx", "\xE9\x80\x81\xFF", 0, true}},
        {"names in code page 1252",
         "[M\xE9]\r\n\xC4\x81=v\r\n",
         {"M\xE9", "\xC4\x81", "", 5},
         {u"x", "v", 0, true}},
        {"UTF-8 file",
         "\xEF\xBB\xBF[\xE8\xAE\xBE\xE7\xBD\xAE]\r\nK=\xE7\xAB\xAF\xE5\x8F\xA3\r\n",
         {"\xE8\xAE\xBE\xE7\xBD\xAE", "K", "", 5},
         {u"xx", "\xE7\xAB\xAF\xE5\x8F\xA3", 0, true}},
        {"a long value",
         "[Main]\r\nK=" + std::string(3000, 'a') + "\r\n",
         {"Main", "K", "", 5},
         {std::u16string(2047, u'x'), std::string(2047, 'a'), 0, true}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Answer answer = Ask(row.content, row.question);
        EXPECT_EQ(answer.units.size(), row.expected.units.size());
        EXPECT_EQ(answer.bytes, row.expected.bytes);
        EXPECT_EQ(answer.integer, row.expected.integer);
        EXPECT_EQ(answer.found, row.expected.found);
    }
}

// The Wine tests run with code page 1252, which maps every byte to one character and back.
TEST(ProfileApiCodePageTest, AnsiCodePageMapsEveryByte) {
    EXPECT_EQ(GetACP(), 1252u);
    EXPECT_TRUE(AnsiCodePageRoundTrips());
}

TEST_F(ProfileApiTest, UnreadableFilesAreReported) {
    EXPECT_THROW(FileCodePage(folder_ / "missing.ini"), std::runtime_error);
    EXPECT_THROW(AnswerFile(CaseFile{"missing.ini", {Question{"Main", "Port", "", 0}}}, folder_),
                 std::runtime_error);
}

}  // namespace
}  // namespace winprofile
