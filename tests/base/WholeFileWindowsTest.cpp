#include "base/WholeFile.h"

#include <cerrno>
#include <string>

#include <gtest/gtest.h>
#include <windows.h>

#include "base/WideText.h"
#include "tests/sms/TempDir.h"

namespace {

using Failure = base::WholeFile::Failure;
using sms::testing::TempDir;

void WriteWide(const std::string& path, const std::string& bytes) {
    const HANDLE file = ::CreateFileW(base::ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

TEST(WholeFileWindowsTest, NamesOutsideTheCodePageDevicesAndFolders) {
    const TempDir dir;
    // "设置.ini" in a folder "工具": neither fits the ANSI code page of a Western system.
    const std::string folder = dir.File("\xe5\xb7\xa5\xe5\x85\xb7");
    ASSERT_TRUE(::CreateDirectoryW(base::ToWide(folder).c_str(), nullptr));
    const std::string chinese = folder + "\\\xe8\xae\xbe\xe7\xbd\xae.ini";
    WriteWide(chinese, "[Main]\r\nPort=8000\r\n");

    struct Row {
        std::string path;
        Failure failure;
        std::string bytes;
        int error;
    };
    const Row rows[] = {
        {chinese, Failure::None, "[Main]\r\nPort=8000\r\n", 0},
        {folder + "/\xe8\xae\xbe\xe7\xbd\xae.ini", Failure::None, "[Main]\r\nPort=8000\r\n", 0},
        {folder, Failure::NotRegular, "", 0},
        {"NUL", Failure::NotRegular, "", 0},
        {folder + "\\missing.ini", Failure::CannotOpen, "", ENOENT},
        {dir.File("no-folder\\missing.ini"), Failure::CannotOpen, "", ENOENT},
        // Not UTF-8: names nothing, rather than a file whose name lost a character.
        {folder + "\\\xe8\xae.ini", Failure::CannotOpen, "", ENOENT},
    };
    for (const Row& row : rows) {
        const base::WholeFile file = base::ReadWholeFile(row.path);
        EXPECT_EQ(row.failure, file.failure) << row.path;
        EXPECT_EQ(row.bytes, file.bytes) << row.path;
        EXPECT_EQ(row.error, file.systemError) << row.path;
    }
    EXPECT_EQ(Failure::TooLarge, base::ReadWholeFile(chinese, 5).failure);
}

// An editor or a second copy of the program may hold the file open for writing while it is read.
TEST(WholeFileWindowsTest, ReadsAFileAnotherProgramHoldsOpenForWriting) {
    const TempDir dir;
    const std::string path = dir.File("GPRSInfo.ini");
    WriteWide(path, "old");
    const HANDLE writer = ::CreateFileW(base::ToWide(path).c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    EXPECT_EQ("old", base::ReadWholeFile(path).bytes);
    ::CloseHandle(writer);
}

}  // namespace
