// dtusms.exe as a Windows user runs it: from a folder named in Chinese, with the settings file beside
// it or named by --settings in Chinese, and asked for the window that this build does not have.

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/cli/WindowLauncher.h"
#include "base/Utf8Path.h"
#include "tests/app/cli/ProgramRunner.h"
#include "tests/sms/TempDir.h"

namespace app {
namespace {

using sms::testing::ReadBytes;
using sms::testing::TempDir;
using sms::testing::WriteBytes;
using testing::Outcome;
using testing::RunProgramFile;

// "现场工具" and "设置": names no Western code page can spell.
const std::string kToolFolder = "\xe7\x8e\xb0\xe5\x9c\xba\xe5\xb7\xa5\xe5\x85\xb7";
const std::string kSettingsFolder = "\xe8\xae\xbe\xe7\xbd\xae";

// A copy of the built program in `folder` (UTF-8); its path.
std::string CopyProgram(const std::string& folder) {
    std::filesystem::create_directories(base::Utf8Path(folder));
    const std::string program = folder + "\\dtusms.exe";
    std::filesystem::copy_file(DTUSMS_PROGRAM, base::Utf8Path(program));
    return program;
}

TEST(WindowsProgramTest, SettingsBesideAProgramInAChineseFolderAreRead) {
    TempDir dir;
    const std::string program = CopyProgram(dir.File(kToolFolder));
    WriteBytes(dir.File(kToolFolder + "\\GPRSInfo.ini"), "[Main]\r\nStatic IP=10.9.8.7\r\nPort=7001\r\n");
    const Outcome outcome = RunProgramFile(program, {"sms", "--dtu", "TQ-7"});
    EXPECT_EQ(0, outcome.status) << outcome.err;
    EXPECT_EQ("(A55A#1*10.9.8.7*7001#3*CMNET#4*TQ-7)\n", outcome.out);
}

TEST(WindowsProgramTest, SettingsNamedInChineseOnTheCommandLineAreRead) {
    TempDir dir;
    std::filesystem::create_directories(base::Utf8Path(dir.File(kSettingsFolder)));
    const std::string settings = dir.File(kSettingsFolder + "\\\xe9\x85\x8d\xe7\xbd\xae.ini");  // 配置.ini
    WriteBytes(settings, "[Main]\r\nServer address mode=1\r\nDomain address=\xe6\x9c\x8d\xe5\x8a\xa1\r\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"sms", "--settings", settings}, {"sms", "--settings=" + settings}}) {
        const Outcome outcome = RunProgramFile(DTUSMS_PROGRAM, args);
        EXPECT_EQ(0, outcome.status) << outcome.err;
        // The domain comes from the file, and an argument in Chinese passes through whole.
        EXPECT_EQ("(A55A#2*\xe6\x9c\x8d\xe5\x8a\xa1*6000#3*CMNET#4*TQ-GP000001)\n", outcome.out);
    }
    const Outcome dtu =
        RunProgramFile(DTUSMS_PROGRAM, {"sms", "--settings", settings, "--dtu", "\xe6\xb5\x8b"});
    EXPECT_EQ("(A55A#2*\xe6\x9c\x8d\xe5\x8a\xa1*6000#3*CMNET#4*\xe6\xb5\x8b)\n", dtu.out);
}

TEST(WindowsProgramTest, TheWindowIsAskedForAndTheBuildSaysItHasNone) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"--settings", "x.ini"}, {"-platform", "windows"}}) {
        const Outcome outcome = RunProgramFile(DTUSMS_PROGRAM, args);
        EXPECT_EQ(1, outcome.status);
        EXPECT_EQ("", outcome.out);
        EXPECT_EQ(std::string("dtusms: ") + kNoWindowMessage + "\n", outcome.err);
    }
}

}  // namespace
}  // namespace app
