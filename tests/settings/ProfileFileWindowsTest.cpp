// The settings file on Windows: names outside the ANSI code page, the read-only attribute, the old
// file's attributes, and writers ended at random moments (TerminateProcess standing in for SIGKILL).

#include "settings/ProfileFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "base/ProgramPath.h"
#include "base/WideText.h"
#include "settings/Settings.h"
#include "tests/sms/TempDir.h"

namespace settings {
namespace {

using sms::testing::TempDir;

DWORD Attributes(const std::string& path) {
    return ::GetFileAttributesW(base::ToWide(path).c_str());
}

std::vector<std::string> Entries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(base::ToUtf8(entry.path().filename().wstring()));
    }
    return names;
}

TEST(ProfileFileWindowsTest, ChineseFolderAndFileNamesAreWrittenAndReadBack) {
    TempDir dir;
    // "现场\配置.ini": the settings of a program kept in a folder named in Chinese.
    const std::string folder = dir.File("\xe7\x8e\xb0\xe5\x9c\xba");
    ASSERT_TRUE(::CreateDirectoryW(base::ToWide(folder).c_str(), nullptr));
    const std::string path = folder + "\\\xe9\x85\x8d\xe7\xbd\xae.ini";
    SaveSetting(path, sms::keys::kPort, 8000);
    SaveSetting(path, sms::keys::kDtuNumber, "\xe6\xb5\x8b\xe8\xaf\x95-01");  // "测试-01"
    EXPECT_EQ(std::vector<std::string>{"\xe9\x85\x8d\xe7\xbd\xae.ini"}, Entries(base::ToWide(folder)));
    const ProfileFile file(path);
    EXPECT_EQ(8000, file.ReadInteger(sms::keys::kSection, sms::keys::kPort, 0));
    EXPECT_EQ("\xe6\xb5\x8b\xe8\xaf\x95-01", file.ReadString(sms::keys::kSection, sms::keys::kDtuNumber, ""));
    std::ifstream in(std::filesystem::path(base::ToWide(path)), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ("[Main]\r\nPort=8000\r\nDTU number=\xe6\xb5\x8b\xe8\xaf\x95-01\r\n", bytes);
}

TEST(ProfileFileWindowsTest, ReadOnlyAttributeRefusesTheWriteAndKeepsTheFile) {
    TempDir dir;
    const std::string path = dir.File("GPRSInfo.ini");
    sms::testing::WriteBytes(path, "[Main]\r\nPort=1\r\n");
    ASSERT_TRUE(::SetFileAttributesW(base::ToWide(path).c_str(), FILE_ATTRIBUTE_READONLY));
    try {
        ProfileFile(path).WriteString("Main", "Port", "9");
        ADD_FAILURE() << "the write succeeded";
    } catch (const ProfileWriteError& error) {
        EXPECT_EQ("Unable to write to " + path, std::string(error.what()));
    }
    EXPECT_EQ("[Main]\r\nPort=1\r\n", sms::testing::ReadBytes(path));
    EXPECT_NE(0u, Attributes(path) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(std::vector<std::string>{"GPRSInfo.ini"}, Entries(dir.path()));
    ::SetFileAttributesW(base::ToWide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(ProfileFileWindowsTest, WriteKeepsTheAttributesAndLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.File("GPRSInfo.ini");
    sms::testing::WriteBytes(path, "[Main]\r\nPort=1\r\n");
    ASSERT_TRUE(::SetFileAttributesW(base::ToWide(path).c_str(), FILE_ATTRIBUTE_HIDDEN));
    ProfileFile(path).WriteInteger("Main", "Port", -5);
    EXPECT_EQ("[Main]\r\nPort=-5\r\n", sms::testing::ReadBytes(path));
    EXPECT_NE(0u, Attributes(path) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(std::vector<std::string>{"GPRSInfo.ini"}, Entries(dir.path()));

    // A new file is an ordinary one, whatever the temporary file was.
    const std::string fresh = dir.File("new.ini");
    ProfileFile(fresh).WriteString("Main", "Port", "6000");
    EXPECT_EQ(0u, Attributes(fresh) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
}

TEST(ProfileFileWindowsTest, SettingsPathIsBesideTheRunningProgram) {
    const std::string program = base::ProgramFilePath();
    const std::string name = "settings_tests.exe";
    ASSERT_TRUE(program.ends_with("\\" + name)) << program;
    EXPECT_EQ(program.substr(0, program.size() - name.size()) + "GPRSInfo.ini", SettingsPathBesideProgram());
}

// A writer ended at random moments must leave the old file or the new one, never a mix or a truncated
// file; the temporary files of ended writers are cleared by the next writer.
TEST(ProfileFileWindowsTest, EndedWriterLeavesOldOrNewFileAndNoStrayTemporary) {
    TempDir dir;
    const std::string path = dir.File("GPRSInfo.ini");
    const std::string padding(200'000, 'p');
    const std::string first = "[Main]\r\nPad=" + padding + "\r\nPort=1111\r\n";
    const std::string second = "[Main]\r\nPad=" + padding + "\r\nPort=2222\r\n";
    sms::testing::WriteBytes(path, first);
    const std::wstring writer =
        base::ToWide(base::FolderWithSeparator(base::ProgramFilePath()) + "settings_writer.exe");
    std::mt19937 random(7);
    for (int round = 0; round < 12; ++round) {
        std::wstring commandLine = L"settings_writer \"" + base::ToWide(path) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(::CreateProcessW(writer.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &startup, &process));
        ::Sleep(20 + random() % 60);
        ::TerminateProcess(process.hProcess, 9);
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        ::GetExitCodeProcess(process.hProcess, &code);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        EXPECT_EQ(9u, code) << "the writer ended on its own in round " << round;
        const std::string now = sms::testing::ReadBytes(path);
        EXPECT_TRUE(now == first || now == second) << "round " << round << ": " << now.size() << " bytes";
    }
    ProfileFile(path).WriteString("Main", "Port", "3333");
    EXPECT_EQ(std::vector<std::string>{"GPRSInfo.ini"}, Entries(dir.path()));
}

}  // namespace
}  // namespace settings
