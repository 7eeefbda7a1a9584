#include "settings/ProfileFile.h"

#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "sms/BuiltInTexts.h"
#include "tests/sms/TempDir.h"

namespace settings {
namespace {

namespace fs = std::filesystem;
using sms::testing::Fixture;
using sms::testing::ReadBytes;
using sms::testing::TempDir;
using sms::testing::WriteBytes;

#ifndef _WIN32
mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}
#endif

// Only the POSIX tests list folders.
[[maybe_unused]] std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST(ProfileFileTest, ReadsWithDefaultsCapAndIntegerRules) {
    TempDir dir;
    const std::string path = dir.File("GPRSInfo.ini");
    WriteBytes(path, Fixture("long-line.ini"));
    const ProfileFile file(path);
    EXPECT_EQ(file.ReadString("Main", "DTU number", "x"), std::string(2047, 'A'));
    EXPECT_EQ(file.ReadString("Main", "Other APN", "x"), std::string(2046, 'a'));
    EXPECT_EQ(file.ReadInteger("Main", "Port", 6000), 8013);
    EXPECT_EQ(file.ReadString("Main", "Missing", "dflt"), "dflt");
    // Spaces at the end of a default are dropped, as the Windows reader does; other blanks stay.
    EXPECT_EQ(file.ReadString("Main", "Missing", "one two  "), "one two");
    EXPECT_EQ(file.ReadString("Main", "Missing", "  lead"), "  lead");
    EXPECT_EQ(file.ReadString("Main", "Missing", "tab\t"), "tab\t");
    EXPECT_EQ(file.ReadString("Main", "Missing", "   "), "");
    EXPECT_EQ(file.ReadInteger("Main", "DTU number", 6000), 6000);
    EXPECT_EQ(file.ReadString("Other", "Port", ""), "");
    EXPECT_EQ(ProfileFile(dir.File("absent.ini")).ReadString("Main", "Port", "d"), "d");
    EXPECT_EQ(ProfileFile(dir.File("absent.ini")).ReadString("Main", "Port", "d "), "d");
    // A folder in place of the file reads as a missing file.
    EXPECT_EQ(ProfileFile(dir.path().string()).ReadInteger("Main", "Port", 6000), 6000);
}

TEST(ProfileFileTest, EveryFixtureSurvivesAWriteOfAnotherKey) {
    const char* fixtures[] = {
        "no-section.ini",      "other-sections.ini", "mixed-case.ini",        "blanks.ini",
        "quotes.ini",          "comments.ini",       "duplicates.ini",        "nul-and-invalid-utf8.ini",
        "cr-only.ini",         "lf-only.ini",        "no-final-line-end.ini", "broken-section-header.ini",
        "byte-order-mark.ini", "no-equals.ini",      "long-line.ini",         "header-only-no-line-end.ini"};
    for (const char* name : fixtures) {
        SCOPED_TRACE(name);
        TempDir dir;
        const std::string path = dir.File("GPRSInfo.ini");
        const std::string original = Fixture(name);
        WriteBytes(path, original);
        ProfileFile(path).WriteString("Main", "Fresh key", "v");
        const std::string after = ReadBytes(path);
        // The write inserts one run of bytes; around it both files must agree byte for byte.
        ASSERT_GT(after.size(), original.size());
        const std::size_t insertedSize = after.size() - original.size();
        std::size_t at = 0;
        while (at < original.size() && original[at] == after[at]) {
            ++at;
        }
        EXPECT_EQ(after.substr(at + insertedSize), original.substr(at));
        EXPECT_NE(after.substr(at, insertedSize).find("Fresh key=v\r\n"), std::string::npos);
        EXPECT_EQ(ProfileFile(path).ReadString("Main", "Fresh key", ""), "v");
    }
}

TEST(ProfileFileTest, MegabyteLineIsCarriedThroughAWrite) {
    TempDir dir;
    const std::string path = dir.File("GPRSInfo.ini");
    const std::string big = std::string(1 << 20, 'x');
    WriteBytes(path, "[Other]\r\nBlob=" + big + "\r\n[Main]\r\nDomain address=" + big + "\r\nPort=1\r\n");
    const ProfileFile file(path);
    EXPECT_EQ(file.ReadString("Main", "Domain address", "").size(), 2047u);
    file.WriteInteger("Main", "Port", 6000);
    EXPECT_EQ(ReadBytes(path),
              "[Other]\r\nBlob=" + big + "\r\n[Main]\r\nDomain address=" + big + "\r\nPort=6000\r\n");
}

// POSIX permission bits, the umask and symbolic links: ProfileFileWindowsTest has the Windows
// counterparts (attributes kept, no temporary file left).
#ifndef _WIN32
TEST(ProfileFileTest, WriteKeepsPermissionsAndLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.File("GPRSInfo.ini");
    WriteBytes(path, "[Main]\r\nPort=1\r\n");
    ::chmod(path.c_str(), 0640);
    ProfileFile(path).WriteInteger("Main", "Port", -5);
    EXPECT_EQ(ReadBytes(path), "[Main]\r\nPort=-5\r\n");
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"GPRSInfo.ini"});
}

TEST(ProfileFileTest, NewFileFollowsTheUmask) {
    TempDir dir;
    const std::string path = dir.File("GPRSInfo.ini");
    const mode_t old = ::umask(027);
    ProfileFile(path).WriteString("Main", "Port", "6000");
    ::umask(old);
    EXPECT_EQ(ReadBytes(path), "[Main]\r\nPort=6000\r\n");
    EXPECT_EQ(ModeOf(path), 0640u);
}

TEST(ProfileFileTest, WriteGoesThroughASymbolicLinkToItsTarget) {
    TempDir dir;
    fs::create_directory(dir.path() / "real");
    const std::string target = dir.File("real/settings.ini");
    WriteBytes(target, "[Main]\r\nPort=1\r\n");
    const std::string link = dir.File("GPRSInfo.ini");
    fs::create_symlink("real/settings.ini", link);
    ProfileFile(link).WriteString("Main", "Port", "2");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(target), "[Main]\r\nPort=2\r\n");
    EXPECT_EQ(FolderEntries(dir.path() / "real"), std::vector<std::string>{"settings.ini"});

    // A link whose target does not exist yet creates the target, not a file in place of the link.
    const std::string dangling = dir.File("dangling.ini");
    fs::create_symlink("real/new.ini", dangling);
    ProfileFile(dangling).WriteString("Main", "Port", "3");
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(ReadBytes(dir.File("real/new.ini")), "[Main]\r\nPort=3\r\n");
}

#endif

void ExpectRefused(const std::string& path, const std::string& expectedFileBytes) {
    try {
        ProfileFile(path).WriteString("Main", "Port", "9");
        ADD_FAILURE() << "the write to " << path << " succeeded";
    } catch (const ProfileWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
        EXPECT_EQ(error.path(), path);
    }
    std::error_code ignored;
    if (fs::is_regular_file(path, ignored)) {
        EXPECT_EQ(ReadBytes(path), expectedFileBytes);
    }
}

TEST(ProfileFileTest, RefusesPathsThatCannotHoldTheFile) {
    TempDir dir;
    // These hold for root too: no permission bit is involved.
    const std::string folderAsFile = dir.File("is-a-folder");
    fs::create_directory(folderAsFile);
    ExpectRefused(folderAsFile, "");
    EXPECT_TRUE(fs::is_directory(folderAsFile));

    const std::string inMissingFolder = dir.File("missing/GPRSInfo.ini");
    ExpectRefused(inMissingFolder, "");
    EXPECT_FALSE(fs::exists(dir.File("missing")));

#ifndef _WIN32
    const std::string loop = dir.File("loop.ini");
    fs::create_symlink("loop.ini", loop);
    ExpectRefused(loop, "");
    EXPECT_TRUE(fs::is_symlink(loop));

    EXPECT_EQ(FolderEntries(dir.path()).size(), 2u);
#endif
}

// Write bits and fork(): ProfileFileWindowsTest refuses a file with the read-only attribute and
// kills writer processes with TerminateProcess.
#ifndef _WIN32
// Holds for root too: a file or folder that nobody may write is read-only for everyone.
TEST(ProfileFileTest, RefusesAReadOnlyFileOrFolder) {
    TempDir dir;
    const std::string path = dir.File("GPRSInfo.ini");
    WriteBytes(path, "[Main]\r\nPort=1\r\n");
    ::chmod(path.c_str(), 0444);
    ExpectRefused(path, "[Main]\r\nPort=1\r\n");
    EXPECT_EQ(ModeOf(path), 0444u);

    // Writable but unreadable: replacing it with one key would lose the rest. Root reads it anyway.
    if (::geteuid() != 0) {
        ::chmod(path.c_str(), 0200);
        EXPECT_THROW(ProfileFile(path).WriteString("Main", "Port", "9"), ProfileWriteError);
        ::chmod(path.c_str(), 0644);
        EXPECT_EQ(ReadBytes(path), "[Main]\r\nPort=1\r\n");
    }

    // In a read-only folder: a new file cannot be made, and a read-only file stays read-only.
    fs::create_directory(dir.path() / "locked");
    WriteBytes(dir.File("locked/GPRSInfo.ini"), "[Main]\r\nPort=2\r\n");
    ::chmod(dir.File("locked/GPRSInfo.ini").c_str(), 0444);
    ::chmod(dir.File("locked").c_str(), 0555);
    ExpectRefused(dir.File("locked/GPRSInfo.ini"), "[Main]\r\nPort=2\r\n");
    ExpectRefused(dir.File("locked/new.ini"), "");
    EXPECT_EQ(FolderEntries(dir.path() / "locked"), std::vector<std::string>{"GPRSInfo.ini"});
    ::chmod(dir.File("locked").c_str(), 0755);
}

ino_t InodeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_ino;
}

// A folder that nobody may write refuses the replacement's temporary file for root as well, so these
// rows hold for root too.
TEST(ProfileFileTest, AWritableFileInAReadOnlyFolderIsRewrittenInPlace) {
    const std::string pad(3000, 'p');
    struct Row {
        const char* what;
        std::string before;
        std::string key;
        std::string value;
        std::string after;
    };
    const Row rows[] = {
        {"shorter: the old tail is cut off", "[Main]\r\nPort=123456\r\nPad=" + pad + "\r\n", "Port", "1",
         "[Main]\r\nPort=1\r\nPad=" + pad + "\r\n"},
        {"longer: the file grows", "[Main]\r\nPort=1\r\n", "Port", pad, "[Main]\r\nPort=" + pad + "\r\n"},
        {"same length", "[Main]\r\nPort=1\r\n", "Port", "2", "[Main]\r\nPort=2\r\n"},
        {"a new key is appended", "[Main]\r\nPort=1\r\n", "DTU number", "x",
         "[Main]\r\nPort=1\r\nDTU number=x\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        fs::create_directory(dir.path() / "share");
        const std::string path = dir.File("share/GPRSInfo.ini");
        WriteBytes(path, row.before);
        ::chmod(path.c_str(), 0640);
        const ino_t inode = InodeOf(path);
        ::chmod(dir.File("share").c_str(), 0555);
        ProfileFile(path).WriteString("Main", row.key, row.value);
        EXPECT_EQ(ReadBytes(path), row.after);
        EXPECT_EQ(InodeOf(path), inode);
        EXPECT_EQ(ModeOf(path), 0640u);
        EXPECT_EQ(FolderEntries(dir.path() / "share"), std::vector<std::string>{"GPRSInfo.ini"});
        ::chmod(dir.File("share").c_str(), 0755);
    }
}

TEST(ProfileFileTest, ALinkIntoAReadOnlyFolderIsFollowedAndItsTargetRewrittenInPlace) {
    TempDir dir;
    fs::create_directory(dir.path() / "share");
    WriteBytes(dir.File("share/settings.ini"), "[Main]\r\nPort=1\r\n");
    fs::create_symlink(dir.path() / "share/settings.ini", dir.path() / "GPRSInfo.ini");
    ::chmod(dir.File("share").c_str(), 0555);
    ProfileFile(dir.File("GPRSInfo.ini")).WriteString("Main", "Port", "7000");
    EXPECT_TRUE(fs::is_symlink(dir.path() / "GPRSInfo.ini"));
    EXPECT_EQ(ReadBytes(dir.File("share/settings.ini")), "[Main]\r\nPort=7000\r\n");
    ::chmod(dir.File("share").c_str(), 0755);
}

// A write that fails half-way (here: past the file-size limit, as a full disk would) puts the old
// bytes back and reports the failure. Run in a child, whose limit cannot touch the test program.
TEST(ProfileFileTest, AnInPlaceWriteThatFailsHalfWayPutsTheOldContentBack) {
    TempDir dir;
    fs::create_directory(dir.path() / "share");
    const std::string path = dir.File("share/GPRSInfo.ini");
    const std::string old = "[Main]\r\nPort=1\r\nDTU number=TQ-GP000001\r\n";
    WriteBytes(path, old);
    ::chmod(dir.File("share").c_str(), 0555);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            ProfileFile(path).WriteString("Main", "Port", std::string(20000, '9'));
        } catch (const ProfileWriteError&) {
            ::_exit(3);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3) << "the failed write was not reported";
    EXPECT_EQ(ReadBytes(path), old);
    ::chmod(dir.File("share").c_str(), 0755);
}
#endif

TEST(ProfileFileTest, WriteErrorTextPassesThroughTheFormattingLoader) {
    const sms::FormatStringLoader bracketing = [](unsigned id, const std::vector<base::FormatArg>& args) {
        return "[" + sms::DefaultFmtLoadStr(id, args) + "]";
    };
    const sms::FormatStringLoader original = sms::FormatStringLoaderSlot().exchange(bracketing);
    EXPECT_EQ(sms::UnableToWriteText("/x/GPRSInfo.ini"), "[Unable to write to /x/GPRSInfo.ini]");
    sms::FormatStringLoaderSlot().store(original);
    EXPECT_EQ(sms::UnableToWriteText("/x/GPRSInfo.ini"), "Unable to write to /x/GPRSInfo.ini");
}

#ifndef _WIN32
// A writer killed at random moments must leave the old file or the new one, never a mix or a
// truncated file.
TEST(ProfileFileTest, KilledWriterLeavesOldOrNewFile) {
    TempDir dir;
    const std::string path = dir.File("GPRSInfo.ini");
    const std::string padding(200'000, 'p');
    const std::string first = "[Main]\r\nPad=" + padding + "\r\nPort=1111\r\n";
    const std::string second = "[Main]\r\nPad=" + padding + "\r\nPort=2222\r\n";
    WriteBytes(path, first);
    for (int round = 0; round < 20; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) {
                ProfileFile(path).WriteString("Main", "Port", i % 2 ? "1111" : "2222");
            }
        }
        ::usleep(1000 + round * 700);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string now = ReadBytes(path);
        EXPECT_TRUE(now == first || now == second) << "round " << round << ": " << now.size() << " bytes";
    }
}

#endif

}  // namespace
}  // namespace settings
