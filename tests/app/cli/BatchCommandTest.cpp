// dtusms batch end to end: CSV in, CSV out, QR pictures, sending through a fake modem and resuming.

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/app/cli/ProgramRunner.h"
#include "tests/modem/FakeModem.h"
#include "tests/modem/SerialTestSupport.h"
#include "tests/sms/TempDir.h"

namespace app {
namespace {

using sms::testing::ReadBytes;
using sms::testing::TempDir;
using sms::testing::WriteBytes;
using testing::Outcome;
using testing::RunProgram;

constexpr const char* kBom = "\xEF\xBB\xBF";

std::string Command(const std::string& dtu, int port = 6000) {
    return "(A55A#1*10.0.0.1*" + std::to_string(port) + "#3*CMNET#4*" + dtu + ")";
}

class BatchCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(settings_, "[Main]\r\nPort=6000\r\nStatic IP=10.0.0.1\r\nDTU number=TQ-GP000001\r\n");
    }
    // Writes `csv` as the input and runs batch on it with `flags`.
    Outcome Batch(const std::string& csv, const std::vector<std::string>& flags) {
        WriteBytes(input_, csv);
        std::vector<std::string> args{"batch", input_, "--settings", settings_};
        args.insert(args.end(), flags.begin(), flags.end());
        return RunProgram(args);
    }
    std::size_t FilesIn(const std::filesystem::path& folder) const {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
            ++count;
        }
        return count;
    }

    TempDir dir_;
    std::string settings_ = dir_.File("GPRSInfo.ini");
    std::string input_ = dir_.File("fleet.csv");
    std::string output_ = dir_.File("out.csv");
};

TEST_F(BatchCommandTest, RowsKeepTheirCellsAndGainCommandPartsAndStatus) {
    const std::string csv =
        "Site,DTU,Port,note\r\n"
        "\"Pier 1, north\",TQ-1,6001,\"line one\nline two\"\r\n"
        "Pier 2,TQ-2,,\"say \"\"hi\"\"\"\n"
        "Pier 3,,abc,\r\n"
        "\n"
        "Pier 4, TQ-4 ,7000";
    const std::string expected =
        "Site,DTU,Port,note,command,parts,status\r\n"
        "\"Pier 1, north\",TQ-1,6001,\"line one\nline two\"," +
        Command("TQ-1", 6001) +
        ",1,ok\r\n"
        "Pier 2,TQ-2,,\"say \"\"hi\"\"\"," +
        Command("TQ-2") +
        ",1,ok\r\n"
        "Pier 3,,abc,,,,\"column port: \"\"abc\"\" is not a number from 1000 to 99999\"\r\n"
        "Pier 4,\" TQ-4 \",7000,," +
        Command("TQ-4", 7000) + ",1,ok\r\n";
    const Outcome toStandardOutput = Batch(csv, {"--quiet"});
    EXPECT_EQ(toStandardOutput.status, 1) << "one row is not ok";
    EXPECT_EQ(toStandardOutput.out, expected);
    EXPECT_EQ(toStandardOutput.err, "");

    const Outcome toFile = Batch(csv, {"--output", output_});
    EXPECT_EQ(toFile.status, 1);
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(ReadBytes(output_), expected);
    EXPECT_NE(toFile.err.find("4/4 rows (100%)"), std::string::npos)
        << "plain progress lines: " << toFile.err;
    EXPECT_EQ(toFile.err.find('\r'), std::string::npos) << "no bar redrawn in a log";

    const Outcome allOk = Batch("dtu,type\r\nA,config\r\nB,QUERY\r\n", {"--quiet"});
    EXPECT_EQ(allOk.status, 0);
    EXPECT_EQ(allOk.out,
              "dtu,type,command,parts,status\r\n"
              "A,config," +
                  Command("A") + ",1,ok\r\nB,QUERY,(A55A#s),1,ok\r\n");
}

TEST_F(BatchCommandTest, WhatSpreadsheetsWriteIsReadAndWrittenBackSafely) {
    const std::string csv =
        "dtu,phone,note\r\n"
        ",,\r\n"
        "TQ-1,,Pier 3; east gate\r\n"
        "TQ-2,1.38E+10,\ttabbed \r\n";
    const Outcome outcome = Batch(csv, {"--output", output_});
    EXPECT_EQ(outcome.status, 1) << "the phone cell is refused";
    EXPECT_EQ(ReadBytes(output_),
              "dtu,phone,note,command,parts,status\r\n"
              ",,,,,skipped: empty row\r\n"
              "TQ-1,,\"Pier 3; east gate\"," +
                  Command("TQ-1") +
                  ",1,ok\r\n"
                  "TQ-2,1.38E+10,\"\ttabbed \"," +
                  Command("TQ-2") + ",1,\"column phone: \"\"1.38E+10\"\" is not a phone number\"\r\n");
    EXPECT_TRUE(outcome.err.ends_with("3 rows: 1 ok, 1 skipped, 1 failed \u2014 see the status column\n"))
        << outcome.err;

    const Outcome allOk = Batch("dtu\r\nA\r\nB\r\n", {"--output", output_});
    EXPECT_EQ(allOk.status, 0);
    EXPECT_TRUE(allOk.err.ends_with("\n2 rows: 2 ok\n")) << allOk.err;
    EXPECT_EQ(Batch("dtu\r\nA\r\n", {"--output", output_, "--quiet"}).err, "");

    // Saved with European settings (;) or as "Unicode text" (UTF-16, tabs): read, written back as
    // UTF-8 CSV with its byte-order mark.
    const Outcome semicolons = Batch("dtu;port\r\nTQ-1;7000\r\n", {"--quiet"});
    EXPECT_EQ(semicolons.status, 0) << semicolons.err;
    EXPECT_EQ(semicolons.out,
              "dtu,port,command,parts,status\r\nTQ-1,7000," + Command("TQ-1", 7000) + ",1,ok\r\n");
    std::string utf16("\xFF\xFE");
    for (const char16_t unit : std::u16string(u"dtu\tnote\r\n\u5317\u4eac-01\tPier 3\r\n")) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    const Outcome unicodeText = Batch(utf16, {"--quiet"});
    EXPECT_EQ(unicodeText.status, 0) << unicodeText.err;
    EXPECT_EQ(unicodeText.out, std::string(kBom) + "dtu,note,command,parts,status\r\n北京-01,Pier 3," +
                                   Command("北京-01") + ",1,ok\r\n");
}

TEST_F(BatchCommandTest, EncodingsAndByteOrderMarks) {
    const struct {
        std::string input;
        std::vector<std::string> flags;
        std::string output;
    } rows[] = {
        {std::string(kBom) + "dtu\r\nTQ-1\r\n",
         {},
         std::string(kBom) + "dtu,command,parts,status\r\nTQ-1," + Command("TQ-1") + ",1,ok\r\n"},
        {"dtu\r\n\xE5\x8C\x97\xE4\xBA\xAC\r\n",
         {},
         "dtu,command,parts,status\r\n北京," + Command("北京") + ",1,ok\r\n"},
        // 北京 in GB18030, as a Chinese spreadsheet program saves it: detected, and named.
        {"dtu,ip\r\n\xB1\xB1\xBE\xA9,10.0.0.1\r\n",
         {},
         std::string(kBom) + "dtu,ip,command,parts,status\r\n北京,10.0.0.1," + Command("北京") + ",1,ok\r\n"},
        {"dtu\r\n\xB1\xB1\xBE\xA9\r\n",
         {"--encoding", "gb18030"},
         std::string(kBom) + "dtu,command,parts,status\r\n北京," + Command("北京") + ",1,ok\r\n"},
    };
    for (const auto& row : rows) {
        std::vector<std::string> flags{"--quiet"};
        flags.insert(flags.end(), row.flags.begin(), row.flags.end());
        const Outcome outcome = Batch(row.input, flags);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(outcome.out, row.output);
    }
}

TEST_F(BatchCommandTest, InputThatIsNoCsvExitsWithTwoNamingTheLineAndWritesNothing) {
    WriteBytes(output_, "earlier results");
    const struct {
        std::string input;
        std::vector<std::string> flags;
        std::string err;
    } rows[] = {
        {"dtu,note\r\nA,ok\r\nB,\"never closed\r\nC,x\r\n",
         {},
         " is not a CSV file this program can read: line 3: "},
        {std::string("\x7F"
                     "ELF\x02\x01\x01\x00\x00\x00",
                     10),
         {},
         " is not a CSV file this program can read: line 1: "},
        {"dtu\r\n\xB1\xB1\r\n",
         {"--encoding", "utf-8"},
         " is not a CSV file this program can read: line 2: "},
        {"", {}, ": the file is empty; its first row must name the columns"},
        {"name,site\r\nA,B\r\n", {}, ": the first row names none of the columns dtu, phone"},
    };
    for (const auto& row : rows) {
        std::vector<std::string> flags{"--output", output_, "--quiet"};
        flags.insert(flags.end(), row.flags.begin(), row.flags.end());
        const Outcome outcome = Batch(row.input, flags);
        EXPECT_EQ(outcome.status, 2) << outcome.err;
        EXPECT_TRUE(outcome.err.starts_with(input_ + row.err)) << outcome.err;
        EXPECT_EQ(ReadBytes(output_), "earlier results");
    }
    // Without --quiet the rows are counted first for the progress: that read reports the same.
    const Outcome counted = Batch("dtu,note\r\nA,ok\r\nB,\"never closed\r\nC,x\r\n", {"--output", output_});
    EXPECT_EQ(counted.status, 2) << counted.err;
    EXPECT_TRUE(counted.err.starts_with(input_ + " is not a CSV file this program can read: line 3: "))
        << counted.err;
    EXPECT_EQ(ReadBytes(output_), "earlier results");

    const Outcome missing = RunProgram({"batch", dir_.File("missing.csv"), "--settings", settings_});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err,
              "dtusms: cannot open " + dir_.File("missing.csv") + ": No such file or directory\n");
    EXPECT_EQ(FilesIn(dir_.path()), 3U) << "settings, input and the earlier output; no temporary file";
}

TEST_F(BatchCommandTest, AnOutputThatCannotBeWrittenIsNamed) {
    const Outcome outcome = Batch("dtu\r\nA\r\n", {"--output", dir_.File("missing/out.csv")});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err,
              "Unable to write to " + dir_.File("missing/out.csv") + ": No such file or directory\n");

    std::filesystem::create_directory(dir_.File("folder.csv"));
    EXPECT_EQ(Batch("dtu\r\nA\r\n", {"--output", dir_.File("folder.csv")}).err,
              "Unable to write to " + dir_.File("folder.csv") + ": it is a folder\n");
}

TEST_F(BatchCommandTest, ARowOfTenThousandFieldsAndAHundredMegabytesInBoundedMemory) {
    std::string header = "dtu";
    std::string row = "TQ-1";
    for (int i = 1; i < 10'000; ++i) {
        header += ",c" + std::to_string(i);
        row += "," + std::to_string(i);
    }
    const Outcome wide = Batch(header + "\r\n" + row + "\r\n", {"--quiet"});
    EXPECT_EQ(wide.status, 0) << wide.err;
    EXPECT_TRUE(wide.out.ends_with(",9999," + Command("TQ-1") + ",1,ok\r\n"));

    {
        std::ofstream big(input_, std::ios::binary);
        big << "dtu,port,apn,note\r\n";
        const std::string note(150, 'n');
        std::size_t written = 0;
        for (int i = 0; written < 100'000'000; ++i) {
            const std::string line = "TQ-" + std::to_string(i) + "," + std::to_string(1000 + i % 9000) +
                                     ",cmnet,\"" + note + ", " + std::to_string(i) + "\"\r\n";
            big << line;
            written += line.size();
        }
    }
    const Outcome large =
        RunProgram({"batch", input_, "--settings", settings_, "--output", output_, "--quiet"});
    EXPECT_EQ(large.status, 0) << large.err;
#ifndef __SANITIZE_ADDRESS__
    // AddressSanitizer holds freed memory back on purpose, so the bound holds only without it.
    EXPECT_LT(large.peakKilobytes, 64 * 1024) << "the rows are streamed, never held";
#endif
    EXPECT_GT(std::filesystem::file_size(output_), std::filesystem::file_size(input_));
}

TEST_F(BatchCommandTest, QrPicturesAreNamedAfterTheDtuNumber) {
    const std::string codes = dir_.File("codes");
    const Outcome outcome = Batch(
        "dtu,phone,port\r\nTQ/1,+8613800138000,\r\ntq/1,13800138000,\r\n"
        "北京-01,13800138000,\r\n,13800138000,\r\nTQ-5,13800138000,1\r\nTQ-6,,\r\n",
        {"--qr-dir", codes, "--quiet"});
    EXPECT_EQ(outcome.status, 1) << "a bad port and a missing number";
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(codes)) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"TQ_1.png", "tq_1-2.png", "北京-01.png", "TQ-GP000001.png"}));
    EXPECT_NE(outcome.out.find("TQ-6,,,(A55A#1*10.0.0.1*6000#3*CMNET#4*TQ-6),1,\"Please enter valid \"\"DTU "
                               "phone number\"\"\"\r\n"),
              std::string::npos)
        << outcome.out;
    FILE* pipe =
        ::popen(("zbarimg --quiet --raw --nodbus '" + codes + "/TQ_1.png' 2>/dev/null").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char text[256] = {};
    const std::size_t n = std::fread(text, 1, sizeof text - 1, pipe);
    ::pclose(pipe);
    EXPECT_EQ(std::string(text, n), "SMSTO:+8613800138000:" + Command("TQ/1") + "\n");
}

TEST_F(BatchCommandTest, SendingRecordsReferencesAndResumeSendsOnlyTheRest) {
    const std::string csv = "dtu,phone\r\nTQ-1,13800138001\r\nTQ-2,13800138002\r\nTQ-3,13800138003\r\n";
    modem_test::FakeModem failing;
    failing.SetPartError(2, "+CMS ERROR: 38");
    const Outcome first = Batch(csv, {"--send", "--modem", failing.path(), "--output", output_, "--quiet"});
    EXPECT_EQ(first.status, 1);
    EXPECT_EQ(ReadBytes(output_),
              "dtu,phone,command,parts,status,sent,reply,modem\r\n"
              "TQ-1,13800138001," +
                  Command("TQ-1") + ",1,ok,17,," + failing.path() +
                  "\r\n"
                  "TQ-2,13800138002," +
                  Command("TQ-2") +
                  ",1,ok,The modem refused part 1 of 1: network out of order "
                  "(+CMS ERROR: 38),," +
                  failing.path() +
                  "\r\n"
                  "TQ-3,13800138003," +
                  Command("TQ-3") + ",1,ok,18,," + failing.path() + "\r\n");

    modem_test::FakeModem working;
    const Outcome resumed =
        Batch(csv, {"--send", "--modem", working.path(), "--output", output_, "--resume", "--quiet"});
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    const std::vector<sms::SubmitPdu> parts = modem_test::DecodedParts(working);
    ASSERT_EQ(parts.size(), 1U) << "only the row that failed is sent again";
    EXPECT_EQ(parts[0].destination.number, "13800138002");
    EXPECT_EQ(ReadBytes(output_),
              "dtu,phone,command,parts,status,sent,reply,modem\r\n"
              "TQ-1,13800138001," +
                  Command("TQ-1") + ",1,ok,17,," + failing.path() +
                  "\r\n"
                  "TQ-2,13800138002," +
                  Command("TQ-2") + ",1,ok,17,," + working.path() +
                  "\r\n"
                  "TQ-3,13800138003," +
                  Command("TQ-3") + ",1,ok,18,," + failing.path() + "\r\n");
}

TEST_F(BatchCommandTest, CtrlCWhileSendingKeepsTheRowsDone) {
    const std::string csv = "dtu,phone\r\nTQ-1,13800138001\r\nTQ-2,13800138002\r\n";
    WriteBytes(input_, csv);
    modem_test::FakeModem stalling;
    stalling.SetPromptMissing(true);
    testing::RunningProgram program({"batch", input_, "--settings", settings_, "--send", "--modem",
                                     stalling.path(), "--output", output_, "--quiet"});
    const auto started = std::chrono::steady_clock::now();
    while (modem_test::CommandsStartingWith(stalling, "AT+CMGS=").empty() &&
           modem_test::MillisecondsSince(started) < 20000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    program.Signal(SIGINT);
    const Outcome interrupted = program.Wait();
    EXPECT_EQ(interrupted.status, 1);
    EXPECT_EQ(interrupted.err, "Interrupted: 1 rows were written to " + output_ +
                                   "; run again with --resume to send the rest.\n");
    EXPECT_EQ(ReadBytes(output_),
              "dtu,phone,command,parts,status,sent,reply,modem\r\n"
              "TQ-1,13800138001," +
                  Command("TQ-1") + ",1,ok,Cancelled,," + stalling.path() + "\r\n");
    EXPECT_EQ(stalling.Pdus(), std::vector<std::string>{});

    modem_test::FakeModem working;
    const Outcome resumed =
        Batch(csv, {"--send", "--modem", working.path(), "--output", output_, "--resume", "--quiet"});
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(working.Pdus().size(), 2U);
}

TEST_F(BatchCommandTest, CtrlCWithoutSendingWritesNothing) {
    // Standard input from a pipe that stays open: the program waits for more rows when interrupted.
    const std::string fifo = dir_.File("rows");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int writer = ::open(fifo.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    const std::string rows = "dtu\r\nTQ-1\r\nTQ-2\r\n";
    ASSERT_EQ(::write(writer, rows.data(), rows.size()), static_cast<ssize_t>(rows.size()));
    testing::RunningProgram program({"batch", "-", "--settings", settings_, "--output", output_, "--quiet"},
                                    {}, fifo);
    int unread = 1;
    const auto started = std::chrono::steady_clock::now();
    while (unread > 0 && modem_test::MillisecondsSince(started) < 20000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_EQ(::ioctl(writer, FIONREAD, &unread), 0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    program.Signal(SIGINT);
    const Outcome outcome = program.Wait();
    ::close(writer);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "Interrupted: " + output_ + " was not written.\n");
    EXPECT_FALSE(std::filesystem::exists(output_));
    EXPECT_EQ(FilesIn(dir_.path()), 2U) << "settings and the pipe; no temporary file";
}

TEST_F(BatchCommandTest, StatusesAreInTheChosenLanguage) {
    const std::string csv = "dtu,port,apn\r\nTQ-1,abc,\r\nTQ-2,,chinanet\r\nTQ-3,,\r\n";
    const struct {
        std::string language;
        std::string port;
        std::string apn;
    } rows[] = {
        {"en", "column port: \"\"abc\"\" is not a number from 1000 to 99999",
         "column apn: \"\"chinanet\"\" is not one of cmnet|cmwap|uninet|other"},
        {"zh_CN", "列 port：“abc”不是 1000 到 99999 之间的数字",
         "列 apn：“chinanet”不是 cmnet|cmwap|uninet|other 之一"},
        {"zh_TW", "欄 port：「abc」不是 1000 到 99999 之間的數字",
         "欄 apn：「chinanet」不是 cmnet|cmwap|uninet|other 之一"},
    };
    for (const auto& row : rows) {
        const Outcome outcome = Batch(csv, {"--quiet", "--lang", row.language});
        EXPECT_EQ(outcome.status, 1);
        const auto cell = [](const std::string& text) {
            return text.find('"') == std::string::npos ? text : "\"" + text + "\"";
        };
        EXPECT_EQ(outcome.out,
                  "dtu,port,apn,command,parts,status\r\n"
                  "TQ-1,abc,,,," +
                      cell(row.port) +
                      "\r\n"
                      "TQ-2,,chinanet,,," +
                      cell(row.apn) +
                      "\r\n"
                      "TQ-3,,," +
                      Command("TQ-3") + ",1,ok\r\n")
            << row.language;
    }
}

// The reason a header or a resume is refused is a message with arguments of its own, in the chosen
// language like the line that frames it.
TEST_F(BatchCommandTest, WhyAHeaderOrAResumeIsRefusedIsSaidInTheChosenLanguage) {
    const struct {
        std::string language, expected;
    } headers[] = {
        {"en", input_ + ": columns 1 and 3 are both named \"dtu\"\n"},
        {"zh_CN", input_ + ": 第 1 列和第 3 列都名为“dtu”\n"},
        {"zh_TW", input_ + ": 第 1 欄和第 3 欄都名為「dtu」\n"},
    };
    for (const auto& row : headers) {
        const Outcome outcome = Batch("dtu,phone,DTU\r\nTQ-1,,\r\n", {"--quiet", "--lang", row.language});
        EXPECT_EQ(outcome.status, 2) << row.language;
        EXPECT_EQ(outcome.err, row.expected);
    }

    const struct {
        std::string language, expected;
    } resumes[] = {
        {"en", "Cannot resume from " + output_ +
                   ": the output file's columns are not those this input gives, so it was written from "
                   "another file; resuming would overwrite its results (choose another output file)\n"},
        {"zh_CN",
         "无法从 " + output_ +
             " 继续：输出文件的列与此输入给出的列不同，说明它是由另一个文件写出的；继续会覆盖其中的结果（"
             "请选择其他输出文件）\n"},
        {"zh_TW",
         "無法從 " + output_ +
             " 繼續：輸出檔案的欄與此輸入給出的欄不同，說明它是由另一個檔案寫出的；繼續會覆寫其中的結果（"
             "請選擇其他輸出檔案）\n"},
    };
    for (const auto& row : resumes) {
        WriteBytes(output_, "site,owner\r\nnorth,ops\r\n");
        const Outcome outcome =
            Batch("dtu\r\nTQ-1\r\n", {"--output", output_, "--resume", "--quiet", "--lang", row.language});
        EXPECT_EQ(outcome.status, 1) << row.language;
        EXPECT_EQ(outcome.err, row.expected);
        EXPECT_EQ(ReadBytes(output_), "site,owner\r\nnorth,ops\r\n") << "the earlier output is kept";
    }
}

// A file that is no CSV is said so in the chosen language, its line and reason included.
TEST_F(BatchCommandTest, WhyAnInputIsNoCsvIsSaidInTheChosenLanguage) {
    const struct {
        std::string language, expected;
    } rows[] = {
        {"en", input_ + " is not a CSV file this program can read: line 2: a quoted field begins here and is "
                        "never closed (the file ends inside the quotes)\n"},
        {"zh_CN", input_ + " 不是本程序能读取的 CSV 文件：第 2 "
                           "行：带引号的字段从这里开始，但没有结束（文件在引号内结束）\n"},
        {"zh_TW", input_ + " 不是本程式能讀取的 CSV 檔案：第 2 "
                           "行：帶引號的欄位從這裡開始，但沒有結束（檔案在引號內結束）\n"},
    };
    for (const auto& row : rows) {
        const Outcome outcome = Batch("dtu,phone\r\n\"TQ-1,x\r\n", {"--quiet", "--lang", row.language});
        EXPECT_EQ(outcome.status, 2) << row.language;
        EXPECT_EQ(outcome.err, row.expected);
    }
}

}  // namespace
}  // namespace app
