#include "base/WindowsFiles.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/WideText.h"
#include "base/WindowsHandle.h"
#include "tests/sms/TempDir.h"

namespace {

using sms::testing::TempDir;

std::string ReadAll(const std::string& path) {
    return sms::testing::ReadBytes(path);
}

// A temporary file beside `target` holding `bytes`, closed; its path.
std::wstring Replacement(const std::string& target, const std::string& bytes) {
    std::wstring temporary;
    base::WindowsHandle file(base::CreateTemporaryBeside(target, temporary));
    EXPECT_TRUE(file.valid());
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return temporary;
}

std::vector<std::string> Entries(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.push_back(base::ToUtf8(entry.path().filename().wstring()));
    }
    return names;
}

TEST(WindowsFilesTest, PathsSplitAtEitherSlash) {
    struct Row {
        std::string path;
        std::string folder;
        std::string name;
    };
    const Row rows[] = {
        {"C:\\dtusms\\GPRSInfo.ini", "C:\\dtusms", "GPRSInfo.ini"},
        {"C:/dtusms/GPRSInfo.ini", "C:/dtusms", "GPRSInfo.ini"},
        {"C:\\GPRSInfo.ini", "C:\\", "GPRSInfo.ini"},
        {"\\GPRSInfo.ini", "\\", "GPRSInfo.ini"},
        {"GPRSInfo.ini", ".", "GPRSInfo.ini"},
        {"\\\\server\\share\\GPRSInfo.ini", "\\\\server\\share", "GPRSInfo.ini"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.folder, base::FolderOfPath(row.path)) << row.path;
        EXPECT_EQ(row.name, base::NameOfPath(row.path)) << row.path;
    }
}

TEST(WindowsFilesTest, PutInPlaceReplacesOrCreatesAndKeepsTheOldAttributes) {
    TempDir dir;
    const std::string target = dir.File("\xe8\xae\xbe\xe7\xbd\xae.ini");  // "设置.ini"
    const std::wstring wideTarget = base::ToWide(target);

    EXPECT_EQ(0u, base::PutInPlace(Replacement(target, "first"), wideTarget));
    EXPECT_EQ("first", ReadAll(target));

    // The user hid the file; a replaced file stays hidden, as the same file would.
    ASSERT_TRUE(::SetFileAttributesW(wideTarget.c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(0u, base::PutInPlace(Replacement(target, "second"), wideTarget));
    EXPECT_EQ("second", ReadAll(target));
    EXPECT_NE(0u, ::GetFileAttributesW(wideTarget.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(std::vector<std::string>{"\xe8\xae\xbe\xe7\xbd\xae.ini"}, Entries(dir));
}

// Another program holding the target without letting it be deleted blocks the replacement; the
// target keeps its content and the caller hears the error.
TEST(WindowsFilesTest, PutInPlaceFailsWhileTheTargetIsHeldAndChangesNothing) {
    TempDir dir;
    const std::string target = dir.File("GPRSInfo.ini");
    const std::wstring wideTarget = base::ToWide(target);
    ASSERT_EQ(0u, base::PutInPlace(Replacement(target, "old"), wideTarget));
    const std::wstring replacement = Replacement(target, "new");
    {
        const base::WindowsHandle holder(::CreateFileW(wideTarget.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                                       nullptr));
        ASSERT_TRUE(holder.valid());
        EXPECT_NE(0u, base::PutInPlace(replacement, wideTarget));
        EXPECT_EQ("old", ReadAll(target));
    }
    EXPECT_EQ(0u, base::PutInPlace(replacement, wideTarget));
    EXPECT_EQ("new", ReadAll(target));
}

// A process of this test program, started suspended so that it runs until it is ended.
PROCESS_INFORMATION StartSuspendedCopy() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"copy --gtest_list_tests";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(::CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                                 nullptr, &startup, &process));
    return process;
}

void End(PROCESS_INFORMATION& process) {
    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

TEST(WindowsFilesTest, StrayTemporariesOfEndedProcessesGoThoseOfRunningOnesStay) {
    TempDir dir;
    const std::string target = dir.File("GPRSInfo.ini");
    sms::testing::WriteBytes(target, "settings");
    PROCESS_INFORMATION running = StartSuspendedCopy();
    PROCESS_INFORMATION ended = StartSuspendedCopy();
    const std::string endedId = std::to_string(ended.dwProcessId);
    End(ended);

    const std::string prefix = ".GPRSInfo.ini.tmp-";
    const std::vector<std::string> kept = {prefix + std::to_string(::GetCurrentProcessId()) + "-0",
                                           prefix + std::to_string(running.dwProcessId) + "-3",
                                           prefix + "x-0", ".other.ini.tmp-" + endedId + "-0",
                                           prefix + "12345678901-0"};
    const std::vector<std::string> removed = {prefix + endedId + "-0", prefix + endedId + "-17"};
    for (const std::string& name : kept) {
        sms::testing::WriteBytes(dir.File(name), "kept");
    }
    for (const std::string& name : removed) {
        sms::testing::WriteBytes(dir.File(name), "stray");
    }
    base::RemoveStrayTemporaries(target);
    for (const std::string& name : kept) {
        EXPECT_TRUE(std::filesystem::exists(dir.File(name))) << name;
    }
    for (const std::string& name : removed) {
        EXPECT_FALSE(std::filesystem::exists(dir.File(name))) << name;
    }

    // The sweep of a whole folder takes any file's temporaries, under the same rules.
    base::RemoveStrayTemporariesIn(dir.path().string());
    End(running);
    for (const std::string& name : kept) {
        EXPECT_EQ(std::filesystem::exists(dir.File(name)), !name.starts_with(".other.")) << name;
    }
}

}  // namespace
