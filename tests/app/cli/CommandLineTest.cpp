#include "app/cli/CommandLine.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/cli/CliHelp.h"
#include "base/ProgramPath.h"
#include "net/AddressLookup.h"
#include "net/ServerChecks.h"
#include "net/WanAddress.h"
#include "tests/app/cli/ProgramRunner.h"
#include "tests/net/LoopbackPeers.h"
#include "tests/sms/TempDir.h"

namespace app {
namespace {

using sms::testing::ReadBytes;
using sms::testing::TempDir;
using sms::testing::WriteBytes;
using testing::Outcome;
using testing::RunProgram;

// `text` with the time that libcurl puts into a connection failure ("after 9 ms") left out: the
// same refusal takes a few milliseconds more or less in another process.
std::string WithoutElapsedTime(std::string text) {
    const std::string::size_type after = text.find(" after ");
    const std::string::size_type ms = text.find(" ms", after);
    if (after != std::string::npos && ms != std::string::npos &&
        std::all_of(text.begin() + static_cast<std::ptrdiff_t>(after + 7),
                    text.begin() + static_cast<std::ptrdiff_t>(ms),
                    [](char c) { return c >= '0' && c <= '9'; })) {
        text.replace(after + 7, ms - after - 7, "N");
    }
    return text;
}

class CommandLineTest : public ::testing::Test {
protected:
    std::string Settings(const std::string& content) {
        WriteBytes(settings_, content);
        return "--settings=" + settings_;
    }
    TempDir dir_;
    std::string settings_ = dir_.File("GPRSInfo.ini");
};

TEST_F(CommandLineTest, SmsComposesFromTheFileWithFlagsOnTop) {
    const std::string file = Settings(
        "[Main]\r\nServer address mode=1\r\nPort=8000\r\nStatic IP=10.0.0.1\r\nDomain address=myserver\r\n"
        "Service network(APN)=3\r\nOther APN=myapn\r\nDTU number=TQ-GP000002\r\n");
    const std::string before = ReadBytes(settings_);
    const struct {
        std::vector<std::string> args;
        std::string expected;
    } rows[] = {
        {{"sms", file}, "(A55A#2*myserver*8000#3*myapn#4*TQ-GP000002)\n"},
        {{"sms", file, "--mode", "static"}, "(A55A#1*10.0.0.1*8000#3*myapn#4*TQ-GP000002)\n"},
        {{"sms", file, "--mode=static", "--ip", " 192.168.1.100 ", "--port=6000", "--apn", "CMNET", "--dtu",
          "TQ-GP000001"},
         "(A55A#1*192.168.1.100*6000#3*CMNET#4*TQ-GP000001)\n"},
        {{"sms", file, "--domain", "h", "--apn=uninet"}, "(A55A#2*h*8000#3*UNINET#4*TQ-GP000002)\n"},
        {{"sms", file, "--type", "query", "--dtu="}, "(A55A#s)\n"},
    };
    for (const auto& row : rows) {
        const Outcome outcome = RunProgram(row.args);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.out, row.expected);
        EXPECT_EQ(outcome.err, "");
    }
    EXPECT_EQ(ReadBytes(settings_), before);
}

TEST_F(CommandLineTest, StoredValuesAreTakenAsTheWindowShowsThem) {
    const struct {
        std::string file;
        std::string expected;
    } rows[] = {
        {"[Main]\r\nPort=200000\r\nStatic IP=h\r\n", "(A55A#1*h*99999#3*CMNET#4*TQ-GP000001)\n"},
        {"[Main]\r\nPort=500\r\nStatic IP=h\r\n", "(A55A#1*h*1000#3*CMNET#4*TQ-GP000001)\n"},
        {"[Main]\r\nPort=abc\r\nStatic IP=h\r\n", "(A55A#1*h*6000#3*CMNET#4*TQ-GP000001)\n"},
        {"[Main]\r\nStatic IP=h\r\nService network(APN)=7\r\n", "(A55A#1*h*6000#3*#4*TQ-GP000001)\n"},
        {"[Main]\r\nServer address mode=5\r\n", "\n"},
        {"[Main]\r\nSMS command type=-1\r\nStatic IP=h\r\n", "\n"},
    };
    for (const auto& row : rows) {
        const Outcome outcome = RunProgram({"sms", Settings(row.file)});
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.out, row.expected);
    }
    EXPECT_EQ(
        RunProgram({"sms", Settings("[Main]\r\nServer address mode=5\r\n"), "--mode", "domain", "--domain=d"})
            .out,
        "(A55A#2*d*6000#3*CMNET#4*TQ-GP000001)\n");
}

TEST_F(CommandLineTest, OnlyAStaticIpMissingFromTheFileAndTheFlagsIsThisComputersAddress) {
    // The address is looked up only in the first case; in the others the file or --ip decides.
    const std::string local = net::GetLocalIP();
    const struct {
        std::string file;
        std::vector<std::string> flags;
        std::string expectedAddress;
    } rows[] = {
        {"[Main]\r\nPort=6000\r\n", {}, local},
        {"[Main]\r\nStatic IP=10.1.2.3\r\n", {}, "10.1.2.3"},
        {"[Main]\r\nStatic IP=\r\n", {"--ip", "10.4.5.6"}, "10.4.5.6"},
        {"[Main]\r\n", {"--ip=10.7.8.9"}, "10.7.8.9"},
    };
    for (const auto& row : rows) {
        std::vector<std::string> args{"sms", Settings(row.file)};
        args.insert(args.end(), row.flags.begin(), row.flags.end());
        const Outcome outcome = RunProgram(args);
        if (row.expectedAddress.empty()) {
            // A machine without any address other than loopback leaves the field empty.
            EXPECT_EQ(outcome.err, "Please enter valid \"Static IP\"\n");
            continue;
        }
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(outcome.out, "(A55A#1*" + row.expectedAddress + "*6000#3*CMNET#4*TQ-GP000001)\n");
    }
}

TEST_F(CommandLineTest, MissingFieldGivesTheValidationMessage) {
    const struct {
        std::vector<std::string> flags;
        std::string expected;
    } rows[] = {
        {{"--ip", "  "}, "Please enter valid \"Static IP\"\n"},
        {{"--ip", "", "--dtu", ""}, "Please enter valid \"Static IP\"\n"},
        {{"--mode", "domain"}, "Please enter valid \"Domain address\"\n"},
        {{"--ip", "h", "--apn", "other", "--other-apn", "\t"},
         "Please enter valid \"Service network(APN)\"\n"},
        {{"--ip", "h", "--dtu", " "}, "Please enter valid \"DTU number\"\n"},
    };
    for (const auto& row : rows) {
        std::vector<std::string> args{"sms", Settings("")};
        args.insert(args.end(), row.flags.begin(), row.flags.end());
        const Outcome outcome = RunProgram(args);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, row.expected);
    }
}

TEST_F(CommandLineTest, BadFlagsExitWithStatusTwo) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"sms", "--port", "99"},
                                               {"sms", "--port=abc"},
                                               {"sms", "--mode"},
                                               {"sms", "--apn", "cmnet2"},
                                               {"sms", "--type=both"},
                                               {"sms", "--nope"},
                                               {"sned"},
                                               {"check-port", "--mode=x"}}) {
        const Outcome outcome = RunProgram(args);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.out, "");
        EXPECT_NE(outcome.err.find(args.back().substr(0, args.back().find('='))), std::string::npos)
            << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1);
    }
}

TEST_F(CommandLineTest, MistypedCommandLinesAreRefusedWithStatusTwo) {
    const std::string stored = Settings("[Main]\r\nStatic IP=192.0.2.2\r\n");
    const std::string typo = dir_.File("typo") + "/GPRSInfo.ini";
    const struct {
        std::vector<std::string> args;
        std::string err;
    } rows[] = {
        {{"sms", "--dtu", "--length"}, "dtusms: --dtu needs a value. See dtusms --help.\n"},
        {{"sms", "--port", "--settings", "f"},
         "dtusms: --port needs a value, a number from 1000 to 99999. See dtusms --help.\n"},
        {{"sms", "--settings", typo}, "dtusms: no settings file at " + typo + "\n"},
        {{"check-port", "--settings=" + dir_.path().string()},
         "dtusms: no settings file at " + dir_.path().string() + "\n"},
        {{"listen", stored, "--bind", "999.1.1.1"},
         "dtusms: --bind: \"999.1.1.1\" is no numeric IPv4 or IPv6 address. See dtusms --help.\n"},
    };
    for (const auto& row : rows) {
        const Outcome outcome = RunProgram(row.args);
        EXPECT_EQ(outcome.status, 2) << row.args[1];
        EXPECT_EQ(outcome.out, "") << row.args[1];
        EXPECT_EQ(outcome.err, row.err);
    }
    // The value written inline may begin with "--"; the named file that exists is used.
    const Outcome inlineValue = RunProgram({"sms", stored, "--dtu=--x"});
    EXPECT_EQ(inlineValue.status, 0) << inlineValue.err;
    EXPECT_EQ(inlineValue.out, "(A55A#1*192.0.2.2*6000#3*CMNET#4*--x)\n");
}

TEST_F(CommandLineTest, HelpAndVersion) {
    const Outcome version = RunProgram({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.substr(0, version.out.find('\n') + 1), "dtusms 15.1.27.0\n");
    EXPECT_NE(version.out.find("MIT licence"), std::string::npos) << version.out;
    // The help text, then the settings file in use: beside the built program, whose folder is
    // writable, or the one --settings names.
    std::string program = DTUSMS_PROGRAM;
#ifdef _WIN32
    // The program names itself as Windows gives its path, with backslashes.
    std::replace(program.begin(), program.end(), '/', '\\');
#endif
    const std::string folder = program.substr(0, program.find_last_of(base::kPathSeparators) + 1);
    const Outcome help = RunProgram({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, HelpText({}) + "\nSettings file: " + folder + "GPRSInfo.ini\n");
    EXPECT_NE(help.out.find("--other-apn"), std::string::npos);
    const Outcome named = RunProgram({"--help", "--settings", "/x/y.ini"});
    EXPECT_EQ(named.out, HelpText({}) + "\nSettings file: /x/y.ini\n");
}

TEST_F(CommandLineTest, CheckPortPrintsTheOutcomeText) {
    const nettest::Listener listener;
    const std::string port = std::to_string(listener.port());
    const std::string file = Settings("[Main]\r\nStatic IP=127.0.0.1\r\n");
    const net::ServerTarget target{0, "127.0.0.1", "", listener.port()};
    const Outcome open = RunProgram({"check-port", file, "--port", port});
    EXPECT_EQ(open.status, 0);
    EXPECT_EQ(open.out, net::RunServerPortTest(target, {}, [](const std::string&) {}).outcomeText + "\n");

    const int refusedPort = nettest::RefusedPort();
    const Outcome refused = RunProgram({"check-port", file, "--port=" + std::to_string(refusedPort)});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(
        refused.out,
        net::RunServerPortTest({0, "127.0.0.1", "", refusedPort}, {}, [](const std::string&) {}).outcomeText +
            " Connection refused.\n");
    const Outcome tooHigh = RunProgram({"check-port", file, "--port=70000", "--lang=zh_CN"});
    EXPECT_EQ(tooHigh.status, 1);
    EXPECT_EQ(tooHigh.out, "与IP=127.0.0.1，端口=70000的服务器连接失败！ 端口不在1\u201365535范围内。\n");

    const Outcome missing = RunProgram({"check-port", file, "--mode", "domain", "--port", port});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Please enter valid \"Domain address\"\n");
}

TEST_F(CommandLineTest, CheckPortShowsProgressOnlyOnATerminal) {
    const nettest::Listener listener;
    const std::vector<std::string> args{"check-port", Settings("[Main]\r\nStatic IP=127.0.0.1\r\n"), "--port",
                                        std::to_string(listener.port())};
    std::string progress;
    net::RunServerPortTest({0, "127.0.0.1", "", listener.port()}, {},
                           [&progress](const std::string& status) { progress += status + "\n"; });
    ASSERT_NE(progress, "");
    for (const bool terminal : {false, true}) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunCommandLine(args, {out, err, {}, terminal}), 0);
        EXPECT_EQ(err.str(), terminal ? progress : "");
        EXPECT_NE(out.str(), "");
    }
}

TEST_F(CommandLineTest, JudgeMappingPrintsTheVerdict) {
    const std::string file = Settings("[Main]\r\nServer address mode=1\r\nDomain address=127.0.0.1\r\n");
    const Outcome outcome = RunProgram({"judge-mapping", file});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, net::JudgePortMapping({1, "", "127.0.0.1", 6000}, {}).verdictText + "\n");
    EXPECT_NE(outcome.out, "\n");

    const Outcome missing = RunProgram({"judge-mapping", file, "--mode=static", "--ip="});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Please enter valid \"Static IP\"\n");
}

TEST_F(CommandLineTest, WanIpPrintsTheAddressOrTheFailure) {
    const nettest::HttpServer server("<html><h2>203.0.113.5</h2></html>");
    const Outcome found = RunProgram({"wan-ip"}, {"DTUSMS_WAN_IP_URL=" + server.Url()});
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.out, "203.0.113.5\n");

    // Anything but an address is the service's failure and never printed; the next one is asked.
    const nettest::HttpServer bare("<html>no address</html>");
    const nettest::HttpServer hostile("<h2><script>alert(1)</script>1.2.3.4</h2>");
    const Outcome second = RunProgram({"wan-ip"}, {"DTUSMS_WAN_IP_URL=" + bare.Url() + " " + server.Url()});
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.out, "203.0.113.5\n");
    EXPECT_EQ(second.err, "");
    const Outcome none = RunProgram({"wan-ip"}, {"DTUSMS_WAN_IP_URL=" + bare.Url() + " " + hostile.Url()});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "No service gave the public address. Last failure: " + hostile.Url() +
                            ": The reply holds no IPv4 address.\n");

    const std::string refusedUrl = "http://127.0.0.1:" + std::to_string(nettest::RefusedPort()) + "/";
    const Outcome failed = RunProgram({"wan-ip"}, {"DTUSMS_WAN_IP_URL=" + refusedUrl});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    // The text of the window's error box: the error's own text with a full stop after a letter.
    std::string expected;
    try {
        net::GetWanIPFromServices({refusedUrl}, {}, net::kRequestTimeout);
    } catch (const net::WanRequestError& error) {
        expected = error.what();
    }
    ASSERT_NE(expected, "");
    if (static_cast<unsigned char>(expected.back()) > '.') {
        expected += '.';
    }
    EXPECT_EQ(WithoutElapsedTime(failed.err), WithoutElapsedTime(expected + "\n"));
}

}  // namespace
}  // namespace app
