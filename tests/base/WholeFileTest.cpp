#include "base/WholeFile.h"

#include <cerrno>
#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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

#ifndef _WIN32
// A pipe takes 64 KiB at most before the writer waits for the reader, so the larger rows arrive
// through several partial writes, each of which must continue where the last one stopped.
TEST(WholeFileTest, WriteAllDeliversEveryByteInOrder) {
    std::string large(200000, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) {
        large[i] = static_cast<char>(i * 7 % 251);
    }
    const std::string rows[] = {"", "Port=6000\r\n", std::string(65536, 'p'), large};
    for (const std::string& bytes : rows) {
        int ends[2] = {-1, -1};
        ASSERT_EQ(0, ::pipe(ends));
        std::string received;
        std::thread reader([&received, readEnd = ends[0]] {
            char chunk[4096];
            ssize_t n = 0;
            while ((n = ::read(readEnd, chunk, sizeof chunk)) > 0) {
                received.append(chunk, static_cast<std::size_t>(n));
            }
        });
        EXPECT_TRUE(base::WriteAll(ends[1], bytes)) << bytes.size() << " bytes";
        ::close(ends[1]);
        reader.join();
        ::close(ends[0]);
        EXPECT_EQ(bytes.size(), received.size());
        EXPECT_TRUE(bytes == received) << bytes.size() << " bytes";
    }
}

TEST(WholeFileTest, WriteAllReportsTheFailingWrite) {
    const TempDir dir;
    sms::testing::WriteBytes(dir.File("read-only.ini"), "[Main]\r\n");
    const int readOnly = ::open(dir.File("read-only.ini").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(readOnly, 0);
    struct Row {
        const char* what;
        int fd;
    };
    const Row rows[] = {{"closed descriptor", -1}, {"file opened for reading", readOnly}};
    for (const Row& row : rows) {
        errno = 0;
        EXPECT_FALSE(base::WriteAll(row.fd, "Port=6000\r\n")) << row.what;
        EXPECT_EQ(EBADF, errno) << row.what;
    }
    ::close(readOnly);
    EXPECT_EQ("[Main]\r\n", base::ReadWholeFile(dir.File("read-only.ini")).bytes);
}
#endif

}  // namespace
