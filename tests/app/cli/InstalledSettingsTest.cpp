// An installed program run by an ordinary user: the program in <prefix>/bin, which that user cannot
// write, keeps its settings in the user's configuration folder. As root the program is run as
// "nobody" (through setpriv), since root could write the program's folder.

#include <filesystem>
#include <string>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

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

constexpr uid_t kNobody = 65534;

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

std::string LastLine(const std::string& text) {
    const std::size_t end = text.empty() ? 0 : text.size() - 1;
    const std::size_t start = text.rfind('\n', end == 0 ? 0 : end - 1);
    return text.substr(start == std::string::npos ? 0 : start + 1);
}

class InstalledSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (root_ && ::access("/usr/bin/setpriv", X_OK) != 0) {
            GTEST_SKIP() << "running as root without setpriv to become an ordinary user";
        }
        fs::permissions(dir_.path(), fs::perms(0755));
        fs::create_directories(dir_.path() / "usr/bin");
        fs::create_directories(dir_.path() / "usr/lib/dtusms");
        fs::copy_file(DTUSMS_PROGRAM, program_);
        fs::copy_file(DTUSMS_WINDOW_LIBRARY,
                      dir_.path() / "usr/lib/dtusms" / fs::path(DTUSMS_WINDOW_LIBRARY).filename());
        fs::create_directory(home_);
        if (root_) {
            ::chown(home_.c_str(), kNobody, kNobody);
        } else {
            ::chmod((dir_.path() / "usr/bin").c_str(), 0555);
        }
    }
    void TearDown() override { ::chmod((dir_.path() / "usr/bin").c_str(), 0755); }

    Outcome Run(const std::vector<std::string>& args, std::vector<std::string> environment) const {
        environment.push_back("HOME=" + home_.string());
        environment.push_back("QT_QPA_PLATFORM=offscreen");
        if (!root_) {
            return RunProgramFile(program_, args, environment);
        }
        std::vector<std::string> asNobody = {"--reuid=" + std::to_string(kNobody),
                                             "--regid=" + std::to_string(kNobody), "--clear-groups",
                                             program_};
        asNobody.insert(asNobody.end(), args.begin(), args.end());
        return RunProgramFile("/usr/bin/setpriv", asNobody, environment);
    }

    // The home folder of the user the program runs as.
    std::string PasswdHome() const {
        const passwd* entry = ::getpwuid(root_ ? kNobody : ::geteuid());
        return entry != nullptr ? entry->pw_dir : "";
    }

    const bool root_ = ::geteuid() == 0;
    TempDir dir_;
    const std::string program_ = (dir_.path() / "usr/bin/dtusms").string();
    const fs::path home_ = dir_.path() / "home";
};

TEST_F(InstalledSettingsTest, HelpNamesTheFileInTheUsersConfigFolder) {
    const std::string configFile = (home_ / ".config/dtusms/GPRSInfo.ini").string();
    const struct {
        std::vector<std::string> environment;
        std::vector<std::string> args;
        std::string file;
    } rows[] = {
        {{"XDG_CONFIG_HOME="}, {"--help"}, configFile},
        {{"XDG_CONFIG_HOME=relative/cfg"}, {"--help"}, configFile},
        {{"XDG_CONFIG_HOME=" + (home_ / "xdg").string()},
         {"--help"},
         (home_ / "xdg/dtusms/GPRSInfo.ini").string()},
        {{"XDG_CONFIG_HOME="}, {"--help", "--settings", "/elsewhere/my.ini"}, "/elsewhere/my.ini"},
        // HOME not usable: the passwd entry's home.
        {{"XDG_CONFIG_HOME=", "HOME="}, {"--help"}, PasswdHome() + "/.config/dtusms/GPRSInfo.ini"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.environment.front());
        const Outcome help = Run(row.args, row.environment);
        EXPECT_EQ(help.status, 0) << help.err;
        EXPECT_EQ(LastLine(help.out), "Settings file: " + row.file + "\n");
    }
    // Naming the file writes nothing.
    EXPECT_FALSE(fs::exists(home_ / ".config"));
}

TEST_F(InstalledSettingsTest, TheFirstStartMakesThePrivateFolderAndTheFirstStartFile) {
    const Outcome window = Run({"--exit-after-paint"}, {"XDG_CONFIG_HOME="});
    ASSERT_EQ(window.status, 0) << window.err;
    const fs::path file = home_ / ".config/dtusms/GPRSInfo.ini";
    const std::string content = ReadBytes(file.string());
    EXPECT_EQ(content.rfind("[Main]\r\nPort=6000\r\nStatic IP=", 0), 0u) << content;
    EXPECT_NE(content.find("\r\nDTU number=TQ-GP000001\r\n"), std::string::npos) << content;
    EXPECT_EQ(ModeOf(home_ / ".config"), 0700u);
    EXPECT_EQ(ModeOf(file.parent_path()), 0700u);
    EXPECT_FALSE(fs::exists(dir_.path() / "usr/bin/GPRSInfo.ini"));

    // The next start reads it back and writes nothing new.
    const Outcome again = Run({"--exit-after-paint"}, {"XDG_CONFIG_HOME="});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(ReadBytes(file.string()), content);
}

TEST_F(InstalledSettingsTest, AFileTheUserMayWriteBesideTheProgramIsKept) {
    const fs::path beside = dir_.path() / "usr/bin/GPRSInfo.ini";
    ::chmod((dir_.path() / "usr/bin").c_str(), 0755);
    WriteBytes(beside.string(), "[Main]\r\nPort=7000\r\n");
    ::chmod(beside.c_str(), 0666);
    if (!root_) {
        ::chmod((dir_.path() / "usr/bin").c_str(), 0555);
    }
    const Outcome help = Run({"--help"}, {"XDG_CONFIG_HOME="});
    EXPECT_EQ(LastLine(help.out), "Settings file: " + beside.string() + "\n");
    const Outcome sms = Run({"sms", "--ip", "10.0.0.1"}, {"XDG_CONFIG_HOME="});
    EXPECT_EQ(sms.out, "(A55A#1*10.0.0.1*7000#3*CMNET#4*TQ-GP000001)\n");

    // One that only another user may write is passed over: saving there would fail at every change.
    ::chmod(beside.c_str(), root_ ? 0644 : 0444);
    const Outcome other = Run({"--help"}, {"XDG_CONFIG_HOME="});
    EXPECT_EQ(LastLine(other.out),
              "Settings file: " + (home_ / ".config/dtusms/GPRSInfo.ini").string() + "\n");
}

}  // namespace
}  // namespace app
