// dtusms.exe as a Windows user runs it: from a folder named in Chinese, with the settings file beside
// it or named by --settings in Chinese; batch on files named in Chinese and to standard output; listen
// with a client on 127.0.0.1; the window opened on a settings file; an installed copy's settings.

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/Utf8Path.h"
#include "net/SocketApi.h"
#include "tests/app/cli/ProgramRunner.h"
#include "tests/net/LoopbackPeers.h"
#include "tests/sms/TempDir.h"

namespace app {
namespace {

using sms::testing::ReadBytes;
using sms::testing::TempDir;
using sms::testing::WriteBytes;
using testing::Outcome;
using testing::RunProgramFile;

// "现场工具" and "设置": names no Western code page can spell.
const std::string kToolFolder = "\xe7\x8e\xb0\xe5\x9c\xba\xe5\xb7\xa5\xe5\x85\xb7";
const std::string kSettingsFolder = "\xe8\xae\xbe\xe7\xbd\xae";

// A copy of the built program in `folder` (UTF-8); its path.
std::string CopyProgram(const std::string& folder) {
    std::filesystem::create_directories(base::Utf8Path(folder));
    const std::string program = folder + "\\dtusms.exe";
    std::filesystem::copy_file(DTUSMS_PROGRAM, base::Utf8Path(program));
    return program;
}

TEST(WindowsProgramTest, SettingsBesideAProgramInAChineseFolderAreRead) {
    TempDir dir;
    const std::string program = CopyProgram(dir.File(kToolFolder));
    WriteBytes(dir.File(kToolFolder + "\\GPRSInfo.ini"), "[Main]\r\nStatic IP=10.9.8.7\r\nPort=7001\r\n");
    const Outcome outcome = RunProgramFile(program, {"sms", "--dtu", "TQ-7"});
    EXPECT_EQ(0, outcome.status) << outcome.err;
    EXPECT_EQ("(A55A#1*10.9.8.7*7001#3*CMNET#4*TQ-7)\n", outcome.out);
}

TEST(WindowsProgramTest, SettingsNamedInChineseOnTheCommandLineAreRead) {
    TempDir dir;
    std::filesystem::create_directories(base::Utf8Path(dir.File(kSettingsFolder)));
    const std::string settings = dir.File(kSettingsFolder + "\\\xe9\x85\x8d\xe7\xbd\xae.ini");  // 配置.ini
    WriteBytes(settings, "[Main]\r\nServer address mode=1\r\nDomain address=\xe6\x9c\x8d\xe5\x8a\xa1\r\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"sms", "--settings", settings}, {"sms", "--settings=" + settings}}) {
        const Outcome outcome = RunProgramFile(DTUSMS_PROGRAM, args);
        EXPECT_EQ(0, outcome.status) << outcome.err;
        // The domain comes from the file, and an argument in Chinese passes through whole.
        EXPECT_EQ("(A55A#2*\xe6\x9c\x8d\xe5\x8a\xa1*6000#3*CMNET#4*TQ-GP000001)\n", outcome.out);
    }
    const Outcome dtu =
        RunProgramFile(DTUSMS_PROGRAM, {"sms", "--settings", settings, "--dtu", "\xe6\xb5\x8b"});
    EXPECT_EQ("(A55A#2*\xe6\x9c\x8d\xe5\x8a\xa1*6000#3*CMNET#4*\xe6\xb5\x8b)\n", dtu.out);
}

// The installer's marker beside the program moves the settings to %APPDATA% although the folder is
// writable; the same program without it (the portable copy) keeps them beside itself.
TEST(WindowsProgramTest, AnInstalledCopyKeepsItsSettingsInAppDataAndAPortableOneBesideItself) {
    TempDir dir;
    const std::string appData = dir.File(kSettingsFolder);
    const std::string inAppData = appData + "\\dtusms\\GPRSInfo.ini";
    std::filesystem::create_directories(base::Utf8Path(appData + "\\dtusms"));
    WriteBytes(inAppData, "[Main]\r\nStatic IP=10.1.1.1\r\n");
    const std::vector<std::string> environment{"APPDATA=" + appData};
    for (const bool installed : {true, false}) {
        SCOPED_TRACE(installed ? "installed" : "portable");
        const std::string folder = dir.File(installed ? "installed" : "portable");
        const std::string program = CopyProgram(folder);
        WriteBytes(folder + "\\GPRSInfo.ini", "[Main]\r\nStatic IP=10.2.2.2\r\n");
        if (installed) {
            WriteBytes(folder + "\\dtusms-installed.txt", "");
        }
        const std::string expected = installed ? inAppData : folder + "\\GPRSInfo.ini";
        const Outcome help = RunProgramFile(program, {"--help"}, environment);
        EXPECT_EQ(0, help.status) << help.err;
        EXPECT_TRUE(help.out.ends_with("Settings file: " + expected + "\n")) << help.out;
        const Outcome sms = RunProgramFile(program, {"sms", "--dtu", "X"}, environment);
        EXPECT_EQ(installed ? "(A55A#1*10.1.1.1*6000#3*CMNET#4*X)\n" : "(A55A#1*10.2.2.2*6000#3*CMNET#4*X)\n",
                  sms.out)
            << sms.err;
    }
}

TEST(WindowsProgramTest, TheWindowOpensOnASettingsFileNamedInChineseAndWritesItsFirstStart) {
    TempDir dir;
    std::filesystem::create_directories(base::Utf8Path(dir.File(kSettingsFolder)));
    const std::string settings = dir.File(kSettingsFolder + "\\GPRSInfo.ini");
    const Outcome outcome = RunProgramFile(DTUSMS_PROGRAM, {"--settings", settings, "--exit-after-paint"});
    EXPECT_EQ(0, outcome.status) << outcome.err;
    EXPECT_EQ("", outcome.out);
    EXPECT_EQ("", outcome.err);
    const std::string file = ReadBytes(settings);
    EXPECT_EQ(0u, file.find("[Main]\r\nPort=6000\r\n")) << file;
    EXPECT_NE(std::string::npos, file.find("DTU number=TQ-GP000001\r\n")) << file;

    const Outcome bad = RunProgramFile(DTUSMS_PROGRAM, {"--settings"});
    EXPECT_EQ(2, bad.status);
    EXPECT_NE(std::string::npos, bad.err.find("--settings")) << bad.err;
}

constexpr const char* kFields = "[Main]\r\nStatic IP=10.0.0.1\r\nPort=6000\r\nDTU number=TQ-1\r\n";

TEST(WindowsProgramTest, BatchReadsAndWritesFilesNamedInChineseAndKeepsItsLineEnds) {
    TempDir dir;
    std::filesystem::create_directories(base::Utf8Path(dir.File(kSettingsFolder)));
    const std::string settings = dir.File(kSettingsFolder + "\\GPRSInfo.ini");
    const std::string input = dir.File(kSettingsFolder + "\\\xe8\xae\xbe\xe5\xa4\x87.csv");   // 设备.csv
    const std::string output = dir.File(kSettingsFolder + "\\\xe7\xbb\x93\xe6\x9e\x9c.csv");  // 结果.csv
    WriteBytes(settings, kFields);
    WriteBytes(input, "dtu,port\r\nA,7000\r\nB,\r\n");
    const std::string expected =
        "dtu,port,command,parts,status\r\n"
        "A,7000,(A55A#1*10.0.0.1*7000#3*CMNET#4*A),1,ok\r\n"
        "B,,(A55A#1*10.0.0.1*6000#3*CMNET#4*B),1,ok\r\n";

    const Outcome toFile = RunProgramFile(
        DTUSMS_PROGRAM, {"batch", input, "--settings", settings, "--output", output, "--quiet"});
    EXPECT_EQ(0, toFile.status) << toFile.err;
    EXPECT_EQ(expected, ReadBytes(output));

    // The runner reads CR LF as one line end: text mode would have made each CR LF a CR CR LF.
    const Outcome toStandardOutput =
        RunProgramFile(DTUSMS_PROGRAM, {"batch", input, "--settings", settings, "--quiet"});
    EXPECT_EQ(0, toStandardOutput.status) << toStandardOutput.err;
    EXPECT_EQ(std::regex_replace(expected, std::regex("\r\n"), "\n"), toStandardOutput.out);
}

// Connects to 127.0.0.1:port once the program listens there (it takes Wine a moment to start it).
net::SocketHandle ConnectWhenListening(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const auto started = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - started < std::chrono::seconds(30)) {
        net::SocketHandle socket = ::socket(AF_INET, SOCK_STREAM, 0);
        if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) {
            return socket;
        }
        net::CloseSocket(socket);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return net::kNoSocket;
}

TEST(WindowsProgramTest, ListenReportsAConnectionFromLoopback) {
    const int port = nettest::RefusedPort();
    Outcome outcome;
    std::thread program([&outcome, port] {
        outcome = RunProgramFile(DTUSMS_PROGRAM, {"listen", "--bind", "127.0.0.1", "--port",
                                                  std::to_string(port), "--count", "1", "--timeout", "60"});
    });
    net::SocketHandle client = ConnectWhenListening(port);
    EXPECT_NE(net::kNoSocket, client);
    if (client != net::kNoSocket) {
        const std::string hello = "REG TQ-GP000001\r\n";
        ::send(client, hello.data(), static_cast<int>(hello.size()), 0);
        net::CloseSocket(client);
    }
    program.join();
    EXPECT_EQ(0, outcome.status) << outcome.err;
    EXPECT_TRUE(std::regex_match(
        outcome.out,
        std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d 127\.0\.0\.1:\d+ "REG TQ-GP000001\\r\\n"\n)")))
        << outcome.out;
}

}  // namespace
}  // namespace app
