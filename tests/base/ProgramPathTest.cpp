#include "base/ProgramPath.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace {

// Windows paths: ProgramPathWindowsTest.
#ifndef _WIN32
TEST(ProgramPathTest, TheRunningProgramIsThisTestAndItsFolderEndsInASeparator) {
    const std::string program = base::ProgramFilePath();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ('/', program.front());
    EXPECT_EQ("base_tests", std::filesystem::path(program).filename().string());
    EXPECT_TRUE(std::filesystem::is_regular_file(program));
    EXPECT_EQ(std::filesystem::path(program).parent_path().string() + "/",
              base::FolderWithSeparator(program));

    struct Row {
        std::string path;
        std::string folder;
    };
    const Row rows[] = {
        {"/opt/dtusms/dtusms", "/opt/dtusms/"},
        {"/dtusms", "/"},
        {"dtusms", ""},
        {"", ""},
        {"/opt/dtusms/", "/opt/dtusms/"},
        {"/opt/\xe5\xb7\xa5\xe5\x85\xb7/dtusms", "/opt/\xe5\xb7\xa5\xe5\x85\xb7/"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.folder, base::FolderWithSeparator(row.path)) << row.path;
    }
}
#endif

}  // namespace
