#include "settings/SettingsLocation.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "settings/ProfileFile.h"
#include "tests/sms/TempDir.h"

namespace settings {
namespace {

namespace fs = std::filesystem;
using sms::testing::TempDir;
using sms::testing::WriteBytes;

// An environment with the given variables whose program folder and files are writable or not.
SettingsEnvironment Environment(std::string programFolder, bool folderWritable, bool fileWritable,
                                std::optional<std::string> xdg = std::nullopt,
                                std::optional<std::string> home = "/home/u",
                                std::optional<std::string> passwdHome = "/pw") {
    SettingsEnvironment environment;
    environment.programFolder = std::move(programFolder);
    environment.xdgConfigHome = std::move(xdg);
    environment.home = std::move(home);
    environment.passwdHome = [passwdHome] { return passwdHome; };
    environment.folderWritable = [folderWritable](const std::string&) { return folderWritable; };
    environment.fileWritable = [fileWritable](const std::string&) { return fileWritable; };
    return environment;
}

TEST(SettingsLocationTest, BesideTheProgramWhenTheFileCanBeWrittenOrMadeThere) {
    const struct {
        bool folderWritable, fileWritable;
        std::string path;
    } rows[] = {
        {true, false, "/opt/t/GPRSInfo.ini"},
        {false, true, "/opt/t/GPRSInfo.ini"},
        {true, true, "/opt/t/GPRSInfo.ini"},
        // A file only someone else may write, in a folder this user cannot write: never savable.
        {false, false, "/home/u/.config/dtusms/GPRSInfo.ini"},
    };
    for (const auto& row : rows) {
        const SettingsLocation location =
            ChooseSettingsLocation(Environment("/opt/t/", row.folderWritable, row.fileWritable));
        EXPECT_EQ(location.path, row.path) << row.folderWritable << row.fileWritable;
        EXPECT_EQ(location.inConfigFolder, !row.folderWritable && !row.fileWritable);
    }
    // The program folder unknown: the current folder, as before.
    EXPECT_EQ(ChooseSettingsLocation(Environment("", true, false)).path, "GPRSInfo.ini");
    std::string asked;
    SettingsEnvironment current = Environment("", false, false);
    current.folderWritable = [&asked](const std::string& folder) {
        asked = folder;
        return false;
    };
    EXPECT_EQ(ChooseSettingsLocation(current).path, "/home/u/.config/dtusms/GPRSInfo.ini");
    EXPECT_EQ(asked, ".");
}

TEST(SettingsLocationTest, TheConfigFolderFollowsTheXdgRules) {
    using Text = std::optional<std::string>;
    const struct {
        Text xdg, home, passwdHome;
        std::string path;  // "" for none: beside the program, refused at the first write
    } rows[] = {
        {"/x/cfg", "/home/u", "/pw", "/x/cfg/dtusms/GPRSInfo.ini"},
        {"/x/cfg/", "/home/u", "/pw", "/x/cfg/dtusms/GPRSInfo.ini"},
        {"cfg", "/home/u", "/pw", "/home/u/.config/dtusms/GPRSInfo.ini"},
        {"", "/home/u/", "/pw", "/home/u/.config/dtusms/GPRSInfo.ini"},
        {std::nullopt, "/home/u", "/pw", "/home/u/.config/dtusms/GPRSInfo.ini"},
        {std::nullopt, std::nullopt, "/pw", "/pw/.config/dtusms/GPRSInfo.ini"},
        {std::nullopt, "home", "/pw", "/pw/.config/dtusms/GPRSInfo.ini"},
        {std::nullopt, "/", "/pw", "/.config/dtusms/GPRSInfo.ini"},
        {std::nullopt, std::nullopt, std::nullopt, ""},
    };
    for (const auto& row : rows) {
        const SettingsLocation location =
            ChooseSettingsLocation(Environment("/usr/bin/", false, false, row.xdg, row.home, row.passwdHome));
        SCOPED_TRACE(row.xdg.value_or("(unset)") + " " + row.home.value_or("(unset)"));
        EXPECT_EQ(location.path, row.path.empty() ? "/usr/bin/GPRSInfo.ini" : row.path);
        EXPECT_EQ(location.inConfigFolder, !row.path.empty());
    }
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
    EXPECT_EQ(sms::testing::ReadBytes(dir.File("home")), "a file where the home folder should be");
    EXPECT_FALSE(fs::exists(dir.path() / "locked/.config"));
}

}  // namespace
}  // namespace settings
