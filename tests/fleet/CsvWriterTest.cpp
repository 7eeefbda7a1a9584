#include "fleet/CsvWriter.h"

#include <filesystem>
#include <sstream>
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

#include "fleet/CsvReader.h"
#include "tests/fleet/FleetTestSupport.h"

namespace fleet {
namespace {

using fleettest::ReadBytes;
using fleettest::TempFolder;
using fleettest::WriteBytes;

std::string Written(const std::vector<std::string>& fields) {
    std::string out;
    AppendCsvRecord(out, fields);
    return out;
}

TEST(CsvWriterTest, QuotesOnlyWhatNeedsQuotesAndReadsBackTheSame) {
    struct Row {
        const char* name;
        std::vector<std::string> fields;
        std::string text;
    };
    const Row rows[] = {
        {"plain", {"TQ-GP000001", "6000", "北京"}, "TQ-GP000001,6000,北京\r\n"},
        {"comma", {"a,b", "c"}, "\"a,b\",c\r\n"},
        {"quote", {"say \"hi\""}, "\"say \"\"hi\"\"\"\r\n"},
        {"line breaks", {"1\r\n2", "3\n4", "5\r6"}, "\"1\r\n2\",\"3\n4\",\"5\r6\"\r\n"},
        {"leading and trailing blanks", {" a", "b ", "\tc", "d e"}, "\" a\",\"b \",\"\tc\",d e\r\n"},
        {"empty fields", {"", "x", ""}, ",x,\r\n"},
        {"a single empty field", {""}, "\"\"\r\n"},
        {"a quote alone", {"\""}, "\"\"\"\"\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.text, Written(row.fields));
        std::istringstream in(row.text);
        CsvReader reader(in);
        std::vector<std::string> back;
        ASSERT_TRUE(reader.Next(back));
        EXPECT_EQ(row.fields, back);
        EXPECT_FALSE(reader.Next(back));
    }
}

TEST(CsvWriterTest, FindsTheByteThatNeedsQuotesAnywhereInALongField) {
    for (const char special : {',', '"', '\r', '\n'}) {
        for (std::size_t at = 1; at + 1 < 21; ++at) {
            std::string field(21, 'x');
            field[at] = special;
            EXPECT_TRUE(NeedsQuotes(field)) << int(special) << " at " << at;
        }
    }
    // Bytes next to the special ones in value, and UTF-8, need no quotes.
    EXPECT_FALSE(NeedsQuotes("+-./!#$%&'()*0123456789\x0b\x0c\x0e 北京 x"));
    EXPECT_FALSE(NeedsQuotes("abcdefgh+-./!#$%&'()*\x0b\x0c\x0e\x8c\xa2\xac"));
}

TEST(CsvWriterTest, StreamTargetGetsTheRecordsAndOptionalMark) {
    std::ostringstream out;
    CsvWriter writer(out, true);
    writer.Write({"dtu", "status"});
    writer.Write({"A", "ok"});
    writer.Finish();
    EXPECT_EQ(
        "\xEF\xBB\xBF"
        "dtu,status\r\nA,ok\r\n",
        out.str());

    // A first field that begins with U+FEFF keeps it through a reader that drops a leading mark.
    const std::string mark = "\xEF\xBB\xBF";
    for (const bool withMark : {false, true}) {
        std::ostringstream text;
        CsvWriter starting(text, withMark);
        starting.Write({mark + "dtu", mark});
        starting.Write({mark});
        starting.Finish();
        std::istringstream in(text.str());
        CsvReader reader(in);
        std::vector<std::string> back;
        ASSERT_TRUE(reader.Next(back));
        EXPECT_EQ((std::vector<std::string>{mark + "dtu", mark}), back) << text.str();
        ASSERT_TRUE(reader.Next(back));
        EXPECT_EQ(std::vector<std::string>{mark}, back);
    }

    std::ostringstream closed;
    closed.setstate(std::ios::badbit);
    CsvWriter failing(closed);
    failing.Write({"x"});
    try {
        failing.Finish();
        ADD_FAILURE() << "no error";
    } catch (const OutputError& error) {
        EXPECT_EQ("standard output", error.path());
    }
}

TEST(CsvWriterTest, FileAppearsOnlyWhenFinishedAndKeepsPermissionsAndLinks) {
    TempFolder folder;
    const std::string path = folder.File("out.csv");
    WriteBytes(path, "old\r\n");
#ifndef _WIN32
    ::chmod(path.c_str(), 0640);
#endif
    {
        CsvWriter writer(path);
        writer.Write({"new"});
        // Nothing is visible before Finish; abandoning the writer leaves the old file alone.
    }
    EXPECT_EQ("old\r\n", ReadBytes(path));
    EXPECT_EQ(std::vector<std::string>{"out.csv"}, folder.Entries());

    CsvWriter writer(path);
    writer.Write({"new"});
    EXPECT_EQ("old\r\n", ReadBytes(path));
    writer.Finish();
    EXPECT_EQ("new\r\n", ReadBytes(path));
    // Permission bits and symbolic links are POSIX's; on Windows ReplaceFileW keeps the old file's
    // attributes and security instead (OutputFileWindowsTest).
#ifndef _WIN32
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(0640u, info.st_mode & 0777);
    EXPECT_EQ(std::vector<std::string>{"out.csv"}, folder.Entries());

    // A link to the output stays a link; the file it leads to gets the records.
    std::filesystem::create_directory(folder.File("real"));
    std::filesystem::create_symlink("real/target.csv", folder.File("link.csv"));
    CsvWriter throughLink(folder.File("link.csv"));
    throughLink.Write({"linked"});
    throughLink.Finish();
    EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.csv")));
    EXPECT_EQ("linked\r\n", ReadBytes(folder.File("real/target.csv")));
#endif
}

TEST(CsvWriterTest, UnwritablePathsAreNamedInTheError) {
    TempFolder folder;
    WriteBytes(folder.File("plain-file"), "x");
    std::filesystem::create_directory(folder.File("a-folder"));
    struct Row {
        std::string path;
        std::string reason;
    };
    // The reasons are the system's own words; Windows words them in its own language, so there only
    // the folder's, which is the program's, is compared.
#ifdef _WIN32
    const std::string noFolder;
    const std::string notAFolder;
#else
    const std::string noFolder = "No such file or directory";
    const std::string notAFolder = "Not a directory";
#endif
    const Row rows[] = {
        {folder.File("missing/out.csv"), noFolder},
        {folder.File("plain-file/out.csv"), notAFolder},
        {folder.File("a-folder"), "it is a folder"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        try {
            CsvWriter writer(row.path);
            ADD_FAILURE() << "no error";
        } catch (const OutputError& error) {
            const std::string prefix = "Unable to write to " + row.path + ": ";
            if (row.reason.empty()) {
                EXPECT_TRUE(std::string(error.what()).starts_with(prefix)) << error.what();
                EXPECT_GT(std::string(error.what()).size(), prefix.size()) << error.what();
            } else {
                EXPECT_EQ(prefix + row.reason, std::string(error.what()));
            }
        }
    }
}

// fork() and a file size limit; Windows has neither.
#ifndef _WIN32
TEST(CsvWriterTest, AWriteFailingHalfwayLeavesTheOldOutputWhole) {
    TempFolder folder;
    const std::string path = folder.File("out.csv");
    WriteBytes(path, "old results\r\n");
    // A file size limit makes writes fail partway, as a full disk would; in a child process, so that
    // the limit binds nothing else.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100'000, 100'000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            CsvWriter writer(path);
            for (int i = 0; i < 20'000; ++i) {
                writer.Write({"TQ-GP000001", "13800138000", "(A55A#1*10.0.0.1*6000#3*CMNET#4*TQ-GP000001)"});
            }
            writer.Finish();
        } catch (const OutputError& error) {
            ::_exit(std::string(error.what()).starts_with("Unable to write to " + path + ": ") ? 3 : 4);
        }
        ::_exit(5);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(3, WEXITSTATUS(status));
    EXPECT_EQ("old results\r\n", ReadBytes(path));
    EXPECT_EQ(std::vector<std::string>{"out.csv"}, folder.Entries());
}
#endif

}  // namespace
}  // namespace fleet
