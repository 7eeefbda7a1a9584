#include "sms/SettingsLocation.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "sms/ProfileFile.h"
#include "tests/sms/TempDir.h"

namespace sms {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteBytes;

TEST(SettingsLocationTest, BesideTheProgramWhenItCanBeWrittenThereElseTheUsersConfigFolder) {
    struct Row {
        const char* what;
        std::string programFolder;
        std::set<std::string> writableFolders;
        std::set<std::string> writableFiles;
        std::optional<std::string> xdgConfigHome;
        std::optional<std::string> home;
        std::optional<std::string> passwdHome;
        std::string path;
        bool inConfigFolder;
    };
    const Row rows[] = {
        {"writable program folder",
         "/opt/dtusms/",
         {"/opt/dtusms/"},
         {},
         "/x",
         "/home/u",
         "/pw",
         "/opt/dtusms/GPRSInfo.ini",
         false},
        {"read-only folder holding a writable file",
         "/media/stick/",
         {},
         {"/media/stick/GPRSInfo.ini"},
         "/x",
         "/home/u",
         "/pw",
         "/media/stick/GPRSInfo.ini",
         false},
        {"installed: XDG_CONFIG_HOME",
         "/usr/bin/",
         {},
         {},
         "/x/cfg",
         "/home/u",
         "/pw",
         "/x/cfg/dtusms/GPRSInfo.ini",
         true},
        {"XDG_CONFIG_HOME with a final slash",
         "/usr/bin/",
         {},
         {},
         "/x/cfg/",
         "/home/u",
         "/pw",
         "/x/cfg/dtusms/GPRSInfo.ini",
         true},
        {"relative XDG_CONFIG_HOME is ignored",
         "/usr/bin/",
         {},
         {},
         "cfg",
         "/home/u",
         "/pw",
         "/home/u/.config/dtusms/GPRSInfo.ini",
         true},
        {"empty XDG_CONFIG_HOME is ignored",
         "/usr/bin/",
         {},
         {},
         "",
         "/home/u/",
         "/pw",
         "/home/u/.config/dtusms/GPRSInfo.ini",
         true},
        {"no XDG_CONFIG_HOME",
         "/usr/bin/",
         {},
         {},
         std::nullopt,
         "/home/u",
         "/pw",
         "/home/u/.config/dtusms/GPRSInfo.ini",
         true},
        {"HOME unset: the passwd entry",
         "/usr/bin/",
         {},
         {},
         std::nullopt,
         std::nullopt,
         "/var/lib/u",
         "/var/lib/u/.config/dtusms/GPRSInfo.ini",
         true},
        {"relative HOME: the passwd entry",
         "/usr/bin/",
         {},
         {},
         std::nullopt,
         "home",
         "/var/lib/u",
         "/var/lib/u/.config/dtusms/GPRSInfo.ini",
         true},
        {"home is the root folder",
         "/usr/bin/",
         {},
         {},
         std::nullopt,
         "/",
         "/pw",
         "/.config/dtusms/GPRSInfo.ini",
         true},
        {"no home at all: beside the program, refused at the first write",
         "/usr/bin/",
         {},
         {},
         std::nullopt,
         std::nullopt,
         std::nullopt,
         "/usr/bin/GPRSInfo.ini",
         false},
        {"a read-only file beside a read-only program folder is passed over",
         "/usr/bin/",
         {},
         {},
         std::nullopt,
         "/home/u",
         "/pw",
         "/home/u/.config/dtusms/GPRSInfo.ini",
         true},
        {"program folder unknown: the current folder",
         "",
         {"."},
         {},
         std::nullopt,
         "/home/u",
         "/pw",
         "GPRSInfo.ini",
         false},
        {"program folder unknown and the current one read-only",
         "",
         {},
         {},
         std::nullopt,
         "/home/u",
         "/pw",
         "/home/u/.config/dtusms/GPRSInfo.ini",
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        int passwdAsked = 0;
        SettingsEnvironment environment;
        environment.programFolder = row.programFolder;
        environment.xdgConfigHome = row.xdgConfigHome;
        environment.home = row.home;
        environment.passwdHome = [&] {
            ++passwdAsked;
            return row.passwdHome;
        };
        environment.folderWritable = [&](const std::string& folder) {
            return row.writableFolders.contains(folder);
        };
        environment.fileWritable = [&](const std::string& path) { return row.writableFiles.contains(path); };
        const SettingsLocation location = ChooseSettingsLocation(environment);
        EXPECT_EQ(location.path, row.path);
        EXPECT_EQ(location.inConfigFolder, row.inConfigFolder);
        // The passwd database is read only when HOME cannot serve.
        const bool homeUsable = row.home && !row.home->empty() && row.home->front() == '/';
        if (homeUsable) {
            EXPECT_EQ(passwdAsked, 0);
        }
    }
}

TEST(SettingsLocationTest, TheSystemEnvironmentComesFromTheVariablesAndTheProgramsFolder) {
    TempDir dir;
    const char* home = std::getenv("HOME");
    const std::optional<std::string> savedHome =
        home != nullptr ? std::optional<std::string>(home) : std::nullopt;
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    ::setenv("HOME", dir.path().c_str(), 1);
    const SettingsEnvironment environment = SystemSettingsEnvironment();
    ::unsetenv("XDG_CONFIG_HOME");
    if (savedHome) {
        ::setenv("HOME", savedHome->c_str(), 1);
    } else {
        ::unsetenv("HOME");
    }
    EXPECT_EQ(environment.xdgConfigHome, std::optional<std::string>("relative"));
    EXPECT_EQ(environment.home, std::optional<std::string>(dir.path().string()));
    char self[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const std::string program(self);
    EXPECT_EQ(environment.programFolder, program.substr(0, program.rfind('/') + 1));
    ASSERT_TRUE(environment.passwdHome);
    const std::optional<std::string> passwdHome = environment.passwdHome();
    ASSERT_TRUE(passwdHome.has_value());
    EXPECT_EQ(passwdHome->front(), '/');

    EXPECT_TRUE(environment.folderWritable(dir.path().string()));
    EXPECT_FALSE(environment.folderWritable(dir.File("missing")));
    WriteBytes(dir.File("GPRSInfo.ini"), "");
    EXPECT_TRUE(environment.fileWritable(dir.File("GPRSInfo.ini")));
    EXPECT_FALSE(environment.fileWritable(dir.File("missing.ini")));
}

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST(SettingsLocationTest, TheSettingsFolderIsMadePrivateWhateverTheUmask) {
    for (const mode_t mask : {022, 077, 0277}) {
        SCOPED_TRACE(mask);
        TempDir dir;
        const fs::path path = dir.path() / "home/.config/dtusms/GPRSInfo.ini";
        const mode_t previous = ::umask(mask);
        MakeSettingsFolder(path.string());
        // Only the folders: the file itself is the first write's to make, as the umask says.
        const bool fileMadeEarly = fs::exists(path);
        ProfileFile(path.string()).WriteString("Main", "Port", "6000");
        ::umask(previous);
        EXPECT_FALSE(fileMadeEarly);
        for (const fs::path& folder :
             {dir.path() / "home", dir.path() / "home/.config", path.parent_path()}) {
            EXPECT_TRUE(fs::is_directory(folder)) << folder;
            EXPECT_EQ(ModeOf(folder), 0700u) << folder;
        }
        EXPECT_EQ(ModeOf(path), 0666u & ~mask);
    }
}

TEST(SettingsLocationTest, AnExistingFolderIsLeftAsItIs) {
    TempDir dir;
    fs::create_directories(dir.path() / "cfg/dtusms");
    ::chmod((dir.path() / "cfg").c_str(), 0751);
    ::chmod((dir.path() / "cfg/dtusms").c_str(), 0755);
    MakeSettingsFolder((dir.path() / "cfg/dtusms/GPRSInfo.ini").string());
    EXPECT_EQ(ModeOf(dir.path() / "cfg"), 0751u);
    EXPECT_EQ(ModeOf(dir.path() / "cfg/dtusms"), 0755u);
    // A link to a folder is a folder.
    fs::create_directory_symlink(dir.path() / "cfg", dir.path() / "link");
    MakeSettingsFolder((dir.path() / "link/dtusms/GPRSInfo.ini").string());
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link"));
}

TEST(SettingsLocationTest, AFolderThatCannotBeMadeIsTheUsualWriteError) {
    TempDir dir;
    WriteBytes(dir.File("home"), "a file where the home folder should be");
    std::vector<std::string> paths = {dir.File("home/.config/dtusms/GPRSInfo.ini")};
    fs::create_directory(dir.path() / "cfg");
    WriteBytes(dir.File("cfg/dtusms"), "");
    paths.push_back(dir.File("cfg/dtusms/GPRSInfo.ini"));
    // A home without write access; root writes there all the same.
    if (::geteuid() != 0) {
        fs::create_directory(dir.path() / "locked");
        ::chmod(dir.File("locked").c_str(), 0555);
        paths.push_back(dir.File("locked/.config/dtusms/GPRSInfo.ini"));
    }
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        try {
            MakeSettingsFolder(path);
            ADD_FAILURE() << "no error";
        } catch (const ProfileWriteError& error) {
            EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
            EXPECT_EQ(error.path(), path);
        }
    }
    EXPECT_EQ(testing::ReadBytes(dir.File("home")), "a file where the home folder should be");
    EXPECT_FALSE(fs::exists(dir.path() / "locked/.config"));
}

}  // namespace
}  // namespace sms
