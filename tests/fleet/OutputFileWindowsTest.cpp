#include "fleet/OutputFile.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "base/WideText.h"
#include "tests/fleet/FleetTestSupport.h"

namespace fleet {
namespace {

using fleettest::ReadBytes;
using fleettest::TempFolder;
using fleettest::WriteBytes;

DWORD Attributes(const std::string& path) {
    return ::GetFileAttributesW(base::ToWide(path).c_str());
}

std::vector<std::string> WideEntries(const TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        names.push_back(base::ToUtf8(entry.path().filename().wstring()));
    }
    return names;
}

TEST(OutputFileWindowsTest, CommitReplacesKeepingAttributesAndNamesOutsideTheCodePage) {
    TempFolder folder;
    const std::string path = folder.File("out.csv");
    WriteBytes(path, "old\r\n");
    ASSERT_TRUE(::SetFileAttributesW(base::ToWide(path).c_str(), FILE_ATTRIBUTE_HIDDEN));
    {
        OutputFile output(path);
        output.Write("new\r\n");
        EXPECT_EQ("old\r\n", ReadBytes(path));
        output.Commit();
    }
    EXPECT_EQ("new\r\n", ReadBytes(path));
    EXPECT_NE(0u, Attributes(path) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(std::vector<std::string>{"out.csv"}, WideEntries(folder));

    // "结果.csv": written under its own name, not one the ANSI code page would make of it.
    const std::string chinese = folder.File("\xe7\xbb\x93\xe6\x9e\x9c.csv");
    OutputFile named(chinese);
    named.Write("a,b\r\n");
    named.Commit();
    EXPECT_EQ(0u, Attributes(chinese) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(2u, WideEntries(folder).size());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, Attributes(chinese));
}

TEST(OutputFileWindowsTest, ReadOnlyTargetIsRefusedAndLeftAsItWas) {
    TempFolder folder;
    const std::string path = folder.File("out.csv");
    WriteBytes(path, "old\r\n");
    ASSERT_TRUE(::SetFileAttributesW(base::ToWide(path).c_str(), FILE_ATTRIBUTE_READONLY));
    try {
        OutputFile output(path);
        ADD_FAILURE() << "a read-only file was opened for replacing";
    } catch (const OutputError& error) {
        EXPECT_EQ(path, error.path());
        EXPECT_FALSE(error.reason().empty());
    }
    EXPECT_EQ("old\r\n", ReadBytes(path));
    EXPECT_EQ(std::vector<std::string>{"out.csv"}, WideEntries(folder));
    ::SetFileAttributesW(base::ToWide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace fleet
