// The command line in the user's language: --lang in the parser, the language chosen by --lang or by
// the settings file's "nLanguageID", and the program's own engine start-up.

#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "app/cli/CliOptions.h"
#include "app/cli/CommandLine.h"
#include "base/ProgramPath.h"
#include "i18n/EngineStartup.h"
#include "tests/app/cli/ProgramRunner.h"
#include "tests/i18n/TestSupport.h"
#include "tests/sms/TempDir.h"

namespace app {
namespace {

using sms::testing::ReadBytes;
using sms::testing::TempDir;
using sms::testing::WriteBytes;
using testing::Outcome;
using testing::RunProgram;

TEST(CliLanguageTest, ParserKeepsTheLanguageCodeAsWritten) {
    const struct {
        std::vector<std::string> args;
        std::optional<std::string> language;
    } rows[] = {
        {{"sms"}, std::nullopt},
        {{"sms", "--lang", "zh_cn"}, "zh_cn"},
        {{"sms", "--lang=zh_TW"}, "zh_TW"},
        {{"--lang", "en_US", "check-port"}, "en_US"},
        {{"judge-mapping", "--lang="}, ""},
        {{"wan-ip", "--lang", ""}, ""},
        {{"sms", "--lang", "en", "--lang", "C"}, "C"},
    };
    for (const auto& row : rows) {
        const CliParseResult result = ParseCommandLine(row.args);
        const auto* request = std::get_if<CliRequest>(&result);
        ASSERT_NE(request, nullptr) << row.args.size();
        EXPECT_EQ(request->language, row.language);
    }
    const CliParseResult missing = ParseCommandLine({"sms", "--lang"});
    const auto* error = std::get_if<CliUsageError>(&missing);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(base::FillPlaceholders(error->format, error->arguments),
              "--lang needs a language code such as en, zh_cn or zh_tw (\"\" for automatic)");
}

class CliLanguageInProcess : public ::testing::Test {
protected:
    void SetUp() override {
        locale_.Lang = "en";
        i18n::StartEngine(base::ProgramFilePath(), locale_, sink_);
    }
    void TearDown() override { i18n::ShutdownEngine(); }

    TempDir dir_;
    std::string settings_ = dir_.File("GPRSInfo.ini");
    i18n::test::FakeLocale locale_;
    i18n::test::RecordingSink sink_;
};

TEST_F(CliLanguageInProcess, LangFlagOrTheSavedNumberChoosesTheLanguage) {
    const struct {
        const char* name;
        const char* file;
        std::vector<std::string> extra;
        const char* lang;
        const char* expected;
    } rows[] = {
        {"--lang zh_cn", "", {"--lang", "zh_cn"}, "en", "请输入有效 \"固定IP\""},
        {"--lang zh_TW beats the file", "nLanguageID=2", {"--lang", "zh_TW"}, "en", "請輸入有效 \"固定IP\""},
        {"--lang en_US beats LANG", "", {"--lang=en_US"}, "zh_CN", "Please enter valid \"Static IP\""},
        {"--lang \"\" is automatic", "nLanguageID=3", {"--lang", ""}, "zh_CN", "请输入有效 \"固定IP\""},
        {"file 2", "nLanguageID=2", {}, "en", "请输入有效 \"固定IP\""},
        {"file 3", "nLanguageID=3", {}, "zh_CN", "請輸入有效 \"固定IP\""},
        {"file 1", "nLanguageID=1", {}, "zh_CN", "Please enter valid \"Static IP\""},
        {"file 0 is automatic", "nLanguageID=0", {}, "zh_TW.UTF-8", "請輸入有效 \"固定IP\""},
        {"no key is automatic", "", {}, "zh_CN", "请输入有效 \"固定IP\""},
        {"file 7 is automatic", "nLanguageID=7", {}, "zh_CN", "请输入有效 \"固定IP\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WriteBytes(settings_, std::string("[Main]\r\n") + row.file + "\r\n");
        locale_.Lang = row.lang;
        std::vector<std::string> args{"sms", "--settings", settings_, "--mode", "static", "--ip", " "};
        args.insert(args.end(), row.extra.begin(), row.extra.end());
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunCommandLine(
                      args, {out, err, [](const std::string& english) { return i18n::Translate(english); }}),
                  1);
        EXPECT_EQ(err.str(), std::string(row.expected) + "\n");
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_TRUE(sink_.Shown.empty());
}

TEST(CliLanguageTest, TheProgramSpeaksTheChosenLanguage) {
    TempDir dir;
    const std::string settings = dir.File("GPRSInfo.ini");
    const struct {
        const char* name;
        const char* file;
        std::vector<std::string> args;
        std::vector<std::string> environment;
        int status;
        const char* out;
        const char* err;
    } rows[] = {
        {"--lang zh_cn",
         "",
         {"sms", "--lang", "zh_cn", "--mode", "static", "--ip", ""},
         {"LANG=en_US.UTF-8"},
         1,
         "",
         "请输入有效 \"固定IP\"\n"},
        {"file 3",
         "nLanguageID=3",
         {"judge-mapping", "--mode", "domain", "--domain", ""},
         {"LANG=en_US.UTF-8"},
         1,
         "",
         "請輸入有效 \"域名地址\"\n"},
        {"file 0 with LANG zh_CN",
         "nLanguageID=0",
         {"sms", "--mode", "static", "--ip", ""},
         {"LANG=zh_CN.UTF-8"},
         1,
         "",
         "请输入有效 \"固定IP\"\n"},
        {"file 2, --lang en",
         "nLanguageID=2",
         {"sms", "--lang", "en", "--dtu", ""},
         {"LANG=zh_CN.UTF-8"},
         1,
         "",
         "Please enter valid \"DTU number\"\n"},
        {"a command succeeds in any language",
         "nLanguageID=2",
         {"sms", "--mode", "static", "--ip", "127.0.0.1", "--port", "6001", "--dtu", "TQ-1"},
         {},
         0,
         "(A55A#1*127.0.0.1*6001#3*CMNET#4*TQ-1)\n",
         ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WriteBytes(settings, std::string("[Main]\r\n") + row.file + "\r\n");
        std::vector<std::string> args = row.args;
        args.push_back("--settings=" + settings);
        const Outcome outcome = RunProgram(args, row.environment, testing::LocaleVariables::kDrop);
        EXPECT_EQ(outcome.status, row.status);
        EXPECT_EQ(outcome.out, row.out);
        EXPECT_EQ(outcome.err, row.err);
    }
}

TEST(CliLanguageTest, HelpKeepsItsLineEnds) {
    const Outcome outcome = RunProgram({"--help", "--lang", "zh_cn"}, {}, testing::LocaleVariables::kDrop);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out.find('\r'), std::string::npos);
    EXPECT_NE(outcome.out.find("  --lang CODE"), std::string::npos);
}

}  // namespace
}  // namespace app
