// The program opens the window from its plugin folders, and without the window library its command
// line still works. Runs copies of the built program in temporary folders.

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/cli/WindowArguments.h"
#include "tests/app/cli/ProgramRunner.h"
#include "tests/sms/TempDir.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using sms::testing::ReadBytes;
using sms::testing::TempDir;
using sms::testing::WriteBytes;
using testing::Outcome;
using testing::RunProgramFile;

const std::string kLibraryName = fs::path(DTUSMS_WINDOW_LIBRARY).filename().string();
const std::vector<std::string> kOffscreen = {"QT_QPA_PLATFORM=offscreen"};

// A copy of the built program at `folder`/dtusms, and of the window library at `libraryFolder` when
// one is given.
std::string CopyProgram(const fs::path& folder, const fs::path& libraryFolder = {}) {
    fs::create_directories(folder);
    fs::copy_file(DTUSMS_PROGRAM, folder / "dtusms");
    if (!libraryFolder.empty()) {
        fs::create_directories(libraryFolder);
        fs::copy_file(DTUSMS_WINDOW_LIBRARY, libraryFolder / kLibraryName);
    }
    return (folder / "dtusms").string();
}

TEST(WindowLaunchTest, TheWindowOpensFromTheProgramsFolderOrTheInstalledLayout) {
    TempDir dir;
    const std::string portable = CopyProgram(dir.path() / "portable", dir.path() / "portable");
    const std::string installed = CopyProgram(dir.path() / "usr/bin", dir.path() / "usr/lib/dtusms");
    for (const std::string& program : {portable, installed}) {
        SCOPED_TRACE(program);
        // Without --settings the file is the one beside the program, not beside the library.
        const Outcome outcome = RunProgramFile(program, {"--exit-after-paint"}, kOffscreen);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        const std::string settings = ReadBytes((fs::path(program).parent_path() / "GPRSInfo.ini").string());
        EXPECT_NE(settings.find("Port=6000\r\n"), std::string::npos) << settings;
    }
    EXPECT_FALSE(fs::exists(dir.path() / "usr/lib/dtusms/GPRSInfo.ini"));
}

TEST(WindowLaunchTest, WithoutTheLibraryOneLineNamesThePathsAndTheCommandLineStillWorks) {
    TempDir dir;
    const std::string program = CopyProgram(dir.path() / "bin");
    const std::string settings = "--settings=" + dir.File("GPRSInfo.ini");

    const Outcome window = RunProgramFile(program, {"--exit-after-paint", settings}, kOffscreen);
    EXPECT_EQ(window.status, 1);
    EXPECT_EQ(window.out, "");
    const std::string expectedStart =
        "dtusms: cannot load the window: " + (dir.path() / "bin" / kLibraryName).string() + ": ";
    EXPECT_EQ(window.err.substr(0, expectedStart.size()), expectedStart) << window.err;
    EXPECT_NE(window.err.find("; " + (dir.path() / "lib/dtusms" / kLibraryName).string() + ": "),
              std::string::npos)
        << window.err;
    EXPECT_EQ(window.err.find('\n'), window.err.size() - 1) << window.err;

    // The window never started, so it wrote no settings file; the command line needs one it names.
    WriteBytes(dir.File("GPRSInfo.ini"), "");
    const Outcome sms = RunProgramFile(program, {"sms", settings, "--ip", "10.0.0.1"});
    EXPECT_EQ(sms.status, 0) << sms.err;
    EXPECT_EQ(sms.out, "(A55A#1*10.0.0.1*6000#3*CMNET#4*TQ-GP000001)\n");
}

TEST(WindowLaunchTest, ABrokenLibraryIsNamedAndNotPassedOver) {
    TempDir dir;
    const std::string program = CopyProgram(dir.path() / "bin", dir.path() / "lib/dtusms");
    const std::string broken = (dir.path() / "bin" / kLibraryName).string();
    WriteBytes(broken,
               "\x7f"
               "ELF but not really");
    const Outcome outcome = RunProgramFile(program, {"--exit-after-paint"}, kOffscreen);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err.rfind("dtusms: cannot load the window: " + broken + ": ", 0), 0u) << outcome.err;
    EXPECT_EQ(outcome.err.find("lib/dtusms"), std::string::npos) << outcome.err;
}

TEST(WindowLaunchTest, ADisplayThatDoesNotAnswerIsNamedInOneLineWithoutAnAbort) {
    TempDir dir;
    // No X server listens as display 987 on a test machine.
    const Outcome outcome = RunProgramFile(DTUSMS_PROGRAM, {"--settings", dir.File("a.ini")},
                                           {"QT_QPA_PLATFORM=", "WAYLAND_DISPLAY=", "DISPLAY=:987"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_TRUE(outcome.err.starts_with("dtusms: the window cannot open on display \":987\": "))
        << outcome.err;
    EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
    EXPECT_FALSE(fs::exists(dir.path() / "a.ini")) << "nothing was written before the window could open";
}

TEST(WindowLaunchTest, NoDisplayAndBadWindowOptionsAreToldBeforeAnythingIsLoaded) {
    // No library beside this copy: the answers below cannot have come from it.
    TempDir dir;
    const std::string program = CopyProgram(dir.path() / "bin");
    const std::vector<std::string> noDisplay = {"QT_QPA_PLATFORM=", "DISPLAY=", "WAYLAND_DISPLAY="};
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> environment;
        std::string err;
    } rows[] = {
        {{}, noDisplay, std::string(kNoDisplayMessage) + "\n"},
        {{"--settings", dir.File("a.ini")}, noDisplay, std::string(kNoDisplayMessage) + "\n"},
        {{"--settings"}, kOffscreen, "dtusms: --settings needs a file name\n"},
        {{"--screenshot"}, noDisplay, "dtusms: --screenshot needs a file name\n"},
    };
    for (const auto& row : rows) {
        const Outcome outcome = RunProgramFile(program, row.args, row.environment);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, row.err);
    }
}

}  // namespace
}  // namespace app
