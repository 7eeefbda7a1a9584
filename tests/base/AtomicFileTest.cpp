#include "base/AtomicFile.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/sms/TempDir.h"

namespace {

using sms::testing::ReadBytes;
using sms::testing::TempDir;
using sms::testing::WriteBytes;

// The id of a process that has ended, which no running process has at this moment.
pid_t EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

TEST(AtomicFileTest, TheTargetChangesOnlyAtCommitAndKilledWritersLeaveNothingForLong) {
    const TempDir dir;
    const std::string target = dir.File("out.csv");
    WriteBytes(target, "old");
    // A writer killed before its rename (its process is gone), and one still running (init).
    const std::string stray = dir.File(".out.csv.tmp-" + std::to_string(EndedProcess()) + "-0");
    const std::string live = dir.File(".out.csv.tmp-1-0");
    WriteBytes(stray, "half");
    WriteBytes(live, "busy");
    {
        base::AtomicFile file(target);
        file.Write("new ");
        file.Write("content");
        EXPECT_EQ(ReadBytes(target), "old");
        file.Commit();
    }
    EXPECT_EQ(ReadBytes(target), "new content");
    EXPECT_FALSE(std::filesystem::exists(stray));
    EXPECT_TRUE(std::filesystem::exists(live));
    {
        base::AtomicFile abandoned(target);
        abandoned.Write("never");
    }
    EXPECT_EQ(ReadBytes(target), "new content");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        ++files;
    }
    EXPECT_EQ(files, 2U) << "the target and the live writer's file";
}

TEST(AtomicFileTest, AFolderClosedToWritingIsToldApartFromOtherFailures) {
    const TempDir dir;
    const std::filesystem::path closed = dir.path() / "closed";
    std::filesystem::create_directory(closed);
    const std::string inClosed = (closed / "GPRSInfo.ini").string();
    WriteBytes(inClosed, "[Main]\r\n");
    ::chmod(closed.c_str(), 0555);
    try {
        base::AtomicFile file(inClosed);
        ADD_FAILURE() << "created a file in a folder that nobody may write";
    } catch (const base::AtomicFileError& error) {
        EXPECT_TRUE(error.folderRefused()) << error.what();
        EXPECT_EQ(error.path(), inClosed);
    }
    ::chmod(closed.c_str(), 0755);
    EXPECT_EQ(ReadBytes(inClosed), "[Main]\r\n");

    try {
        base::AtomicFile file(dir.path().string());
        ADD_FAILURE() << "a folder was taken for a file";
    } catch (const base::AtomicFileError& error) {
        EXPECT_FALSE(error.folderRefused());
        EXPECT_EQ(std::string(error.what()),
                  "Unable to write to " + dir.path().string() + ": it is a folder");
    }
}

TEST(AtomicFileTest, ALinkIsFollowedAndKeptAndTheOldPermissionsStay) {
    const TempDir dir;
    const std::string real = dir.File("real.ini");
    const std::string link = dir.File("link.ini");
    WriteBytes(real, "old");
    ::chmod(real.c_str(), 0640);
    std::filesystem::create_symlink("real.ini", link);
    base::AtomicFile file(link);
    file.Write("new");
    file.Commit();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "new");
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640U);
}

}  // namespace
