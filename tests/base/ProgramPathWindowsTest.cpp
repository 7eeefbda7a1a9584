#include "base/ProgramPath.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "base/Utf8Path.h"

namespace {

TEST(ProgramPathWindowsTest, TheRunningProgramIsThisTestWithADrive) {
    const std::string program = base::ProgramFilePath();
    ASSERT_GE(program.size(), 3u);
    EXPECT_EQ(":\\", program.substr(1, 2)) << program;
    EXPECT_TRUE(program.ends_with("\\base_tests.exe")) << program;
    EXPECT_TRUE(std::filesystem::is_regular_file(base::Utf8Path(program))) << program;
    EXPECT_EQ(program.substr(0, program.rfind('\\') + 1), base::FolderWithSeparator(program));
}

TEST(ProgramPathWindowsTest, BothSlashesSeparateFolders) {
    struct Row {
        std::string path;
        std::string folder;
    };
    const Row rows[] = {
        {"C:\\dtusms\\dtusms.exe", "C:\\dtusms\\"},
        {"C:/dtusms/dtusms.exe", "C:/dtusms/"},
        {"C:\\tools/dtusms\\dtusms.exe", "C:\\tools/dtusms\\"},
        {"C:\\dtusms.exe", "C:\\"},
        {"\\\\server\\share\\dtusms.exe", "\\\\server\\share\\"},
        {"D:\\\xe5\xb7\xa5\xe5\x85\xb7\\dtusms.exe", "D:\\\xe5\xb7\xa5\xe5\x85\xb7\\"},
        {"dtusms.exe", ""},
        {"", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.folder, base::FolderWithSeparator(row.path)) << row.path;
    }
}

}  // namespace
