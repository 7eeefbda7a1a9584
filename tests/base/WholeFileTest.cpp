#include "base/WholeFile.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "tests/sms/TempDir.h"

namespace {

using Failure = base::WholeFile::Failure;
using sms::testing::TempDir;

TEST(WholeFileTest, ReadsRegularFilesWholeAndRefusesEverythingElse) {
    const TempDir dir;
    const std::string bytes = std::string("[Main]\r\nPort=6000\r\n\0\xff", 21) + std::string(70000, 'x');
    sms::testing::WriteBytes(dir.File("whole.ini"), bytes);
    sms::testing::WriteBytes(dir.File("empty.ini"), "");
#ifndef _WIN32
    ASSERT_EQ(0, ::mkfifo(dir.File("fifo").c_str(), 0600));
#endif

    struct Row {
        std::string path;
        Failure failure;
        std::string bytes;
    };
    const Row rows[] = {
        {dir.File("whole.ini"), Failure::None, bytes},
        {dir.File("empty.ini"), Failure::None, ""},
        {dir.File("missing.ini"), Failure::CannotOpen, ""},
        {dir.path().string(), Failure::NotRegular, ""},
#ifdef _WIN32
        // Devices open like files on Windows; reading one whole would never end (CON) or read nothing.
        {"NUL", Failure::NotRegular, ""},
#else
        // A FIFO without a writer would block an ordinary open for ever.
        {dir.File("fifo"), Failure::NotRegular, ""},
        {"/dev/null", Failure::NotRegular, ""},
#endif
    };
    for (const Row& row : rows) {
        const base::WholeFile file = base::ReadWholeFile(row.path);
        EXPECT_EQ(row.failure, file.failure) << row.path;
        EXPECT_EQ(row.failure == Failure::None, file.ok()) << row.path;
        EXPECT_EQ(row.bytes, file.bytes) << row.path;
    }
}

TEST(WholeFileTest, TheSizeLimitHoldsForFilesThatGrowWhileRead) {
    const TempDir dir;
    sms::testing::WriteBytes(dir.File("ten"), "0123456789");
    EXPECT_EQ("0123456789", base::ReadWholeFile(dir.File("ten"), 10).bytes);
    const base::WholeFile over = base::ReadWholeFile(dir.File("ten"), 9);
    EXPECT_EQ(Failure::TooLarge, over.failure);
    EXPECT_EQ("", over.bytes);

#ifndef _WIN32
    // Files under /proc report a size of 0 and have their bytes all the same: only read() knows the end.
    const base::WholeFile status = base::ReadWholeFile("/proc/self/status");
    ASSERT_TRUE(status.ok());
    EXPECT_NE(std::string::npos, status.bytes.find("Pid:"));
    EXPECT_EQ(Failure::TooLarge, base::ReadWholeFile("/proc/self/status", 16).failure);
#endif
}

}  // namespace
