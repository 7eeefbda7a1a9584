// Where the settings live on Windows: beside the program when it can be written there, else in
// %APPDATA%\dtusms; the access checks made by trying; the folder made with a name outside ASCII; and
// the in-place rewrite used for a writable file in a folder closed to new files.

#include "settings/SettingsLocation.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "base/ProgramPath.h"
#include "base/Utf8Path.h"
#include "base/WideText.h"
#include "settings/InPlaceFile.h"
#include "settings/ProfileFile.h"
#include "tests/base/Environment.h"
#include "tests/sms/TempDir.h"

namespace settings {
namespace {

namespace fs = std::filesystem;
using sms::testing::ReadBytes;
using sms::testing::TempDir;
using sms::testing::WriteBytes;

SettingsEnvironment Environment(bool folderWritable, bool fileWritable, std::optional<std::string> appData) {
    SettingsEnvironment environment;
    environment.programFolder = "C:\\Tools\\dtusms\\";
    environment.xdgConfigHome = std::move(appData);
    environment.folderWritable = [folderWritable](const std::string&) { return folderWritable; };
    environment.fileWritable = [fileWritable](const std::string&) { return fileWritable; };
    return environment;
}

TEST(SettingsLocationWindowsTest, BesideTheProgramElseInTheRoamingApplicationData) {
    using Text = std::optional<std::string>;
    const std::string beside = "C:\\Tools\\dtusms\\GPRSInfo.ini";
    const struct {
        bool folderWritable, fileWritable;
        Text appData;
        std::string path;
    } rows[] = {
        {true, false, "C:\\Users\\u\\AppData\\Roaming", beside},
        {false, true, "C:\\Users\\u\\AppData\\Roaming", beside},
        {false, false, "C:\\Users\\u\\AppData\\Roaming",
         "C:\\Users\\u\\AppData\\Roaming\\dtusms\\GPRSInfo.ini"},
        {false, false, "C:\\Users\\u\\AppData\\Roaming\\\\",
         "C:\\Users\\u\\AppData\\Roaming\\dtusms\\GPRSInfo.ini"},
        {false, false, "D:/Profiles/u", "D:/Profiles/u\\dtusms\\GPRSInfo.ini"},
        {false, false, "\\\\server\\profiles\\u", "\\\\server\\profiles\\u\\dtusms\\GPRSInfo.ini"},
        // Relative or missing: no per-user folder, so the file beside the program, refused when written.
        {false, false, "AppData", beside},
        {false, false, "C:AppData", beside},
        {false, false, std::nullopt, beside},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.appData.value_or("(unset)"));
        const SettingsLocation location =
            ChooseSettingsLocation(Environment(row.folderWritable, row.fileWritable, row.appData));
        EXPECT_EQ(location.path, row.path);
        EXPECT_EQ(location.inConfigFolder, row.path != beside);
    }
}

TEST(SettingsLocationWindowsTest, TheSystemEnvironmentTriesTheFolderAndTheFile) {
    TempDir dir;
    const std::string writable = dir.File("writable.ini");
    const std::string readOnly = dir.File("read-only.ini");
    WriteBytes(writable, "[Main]\r\n");
    WriteBytes(readOnly, "[Main]\r\n");
    ASSERT_TRUE(::SetFileAttributesW(base::ToWide(readOnly).c_str(), FILE_ATTRIBUTE_READONLY));
    testenv::SetVariable("APPDATA", "C:\\Users\\field\\AppData\\Roaming");
    const SettingsEnvironment environment = SystemSettingsEnvironment();
    testenv::UnsetVariable("APPDATA");

    EXPECT_EQ(environment.xdgConfigHome, std::optional<std::string>("C:\\Users\\field\\AppData\\Roaming"));
    EXPECT_EQ(environment.programFolder, base::FolderWithSeparator(base::ProgramFilePath()));
    const struct {
        std::string path;
        bool folderWritable, fileWritable;
    } rows[] = {
        {dir.File(""), true, false}, {dir.File("missing-folder"), false, false}, {writable, false, true},
        {readOnly, false, false},    {dir.File("missing.ini"), false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(environment.folderWritable(row.path), row.folderWritable);
        EXPECT_EQ(environment.fileWritable(row.path), row.fileWritable);
    }
    // The folder's probe leaves nothing behind.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        names.push_back(base::ToUtf8(entry.path().filename().wstring()));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"read-only.ini", "writable.ini"}));
    ::SetFileAttributesW(base::ToWide(readOnly).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(SettingsLocationWindowsTest, TheSettingsFolderIsMadeWithANameOutsideTheCodePage) {
    TempDir dir;
    // "用户\dtusms\GPRSInfo.ini"
    const std::string path = dir.File("\xe7\x94\xa8\xe6\x88\xb7\\dtusms\\GPRSInfo.ini");
    MakeSettingsFolder(path);
    EXPECT_TRUE(fs::is_directory(base::Utf8Path(path).parent_path()));
    EXPECT_FALSE(fs::exists(base::Utf8Path(path)));
    MakeSettingsFolder(path);  // the folder exists: nothing to do, no error
    ProfileFile(path).WriteString("Main", "Port", "6000");
    EXPECT_EQ(ReadBytes(path), "[Main]\r\nPort=6000\r\n");

    WriteBytes(dir.File("home"), "a file where a folder should be");
    const std::string blocked = dir.File("home\\dtusms\\GPRSInfo.ini");
    try {
        MakeSettingsFolder(blocked);
        ADD_FAILURE() << "no error";
    } catch (const ProfileWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + blocked);
    }
    EXPECT_EQ(ReadBytes(dir.File("home")), "a file where a folder should be");
}

// The file's identity (volume and index) before and after.
ULONGLONG FileIndex(const std::string& path) {
    const HANDLE file = ::CreateFileW(base::ToWide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    ::GetFileInformationByHandle(file, &info);
    ::CloseHandle(file);
    return (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

TEST(SettingsLocationWindowsTest, AFileIsRewrittenInPlaceWhateverTheNewLength) {
    const std::string pad(3000, 'p');
    const struct {
        const char* what;
        std::string before, after;
    } rows[] = {
        {"shorter: the old tail is cut off", "[Main]\r\nPort=123456\r\nPad=" + pad + "\r\n",
         "[Main]\r\nPort=1\r\n"},
        {"longer: the file grows", "[Main]\r\nPort=1\r\n", "[Main]\r\nPort=" + pad + "\r\n"},
        {"same length", "[Main]\r\nPort=1\r\n", "[Main]\r\nPort=2\r\n"},
        {"empty", "[Main]\r\nPort=1\r\n", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        const std::string path = dir.File("\xe9\x85\x8d\xe7\xbd\xae.ini");  // "配置.ini"
        WriteBytes(path, row.before);
        const ULONGLONG index = FileIndex(path);
        EXPECT_TRUE(RewriteFileInPlace(path, row.after));
        EXPECT_EQ(ReadBytes(path), row.after);
        EXPECT_EQ(FileIndex(path), index);
    }
    TempDir dir;
    EXPECT_FALSE(RewriteFileInPlace(dir.File("missing.ini"), "x"));
    EXPECT_FALSE(RewriteFileInPlace(dir.File(""), "x"));
    EXPECT_FALSE(fs::exists(dir.path() / "missing.ini"));
}

}  // namespace
}  // namespace settings
