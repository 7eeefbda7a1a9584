// The server checks and "Obtain IP" when the network is down, and with host names far longer than
// any resolver accepts. Only loopback addresses are used: a closed port on 127.0.0.1 stands in for a
// network that is down, and names over 255 bytes cannot be put into a DNS query at all, so the
// system resolver turns them down without sending anything.

#include <gtest/gtest.h>

#include "tests/base/Environment.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/CommandLine.h"
#include "net/AddressLookup.h"
#include "net/ServerChecks.h"
#include "net/TcpConnect.h"
#include "net/WanAddress.h"
#include "tests/faults/FaultsSupport.h"
#include "tests/net/LoopbackPeers.h"

namespace {

// The system resolver for names, with a host name of "localhost" and no interfaces, so that the
// computer's own address is 127.0.0.1 whatever machine the test runs on.
class LoopbackHost final : public net::HostResolver {
public:
    std::vector<std::string> Resolve(const std::string& name) override {
        return net::SystemResolver().Resolve(name);
    }
    std::string HostName() override { return "localhost"; }
    std::vector<std::string> InterfaceAddresses() override { return {}; }
};

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun RunCli(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = app::RunCommandLine(args, {out, err, {}});
    return {status, out.str(), err.str()};
}

std::string Repeat(const std::string& piece, std::size_t bytes) {
    std::string text;
    while (text.size() < bytes) {
        text += piece;
    }
    return text.substr(0, bytes);
}

TEST(NetworkFaultsTest, NetworkDownGivesAnErrorOrTheFailureTextNeverAnAddress) {
    const int port = nettest::RefusedPort();
    ASSERT_GE(port, 1000);
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/static/customercare/yourIP.asp";

    EXPECT_THROW(net::GetWanIPFrom(url, {}, std::chrono::seconds(5)), net::WanRequestError);
    EXPECT_FALSE(net::TestTcpConnect("127.0.0.1", port));

    testenv::SetVariable(net::kWanIpUrlVariable, url);
    const CliRun wanIp = RunCli({"wan-ip"});
    testenv::UnsetVariable(net::kWanIpUrlVariable);
    EXPECT_EQ(1, wanIp.status);
    EXPECT_EQ("", wanIp.out);
    EXPECT_NE("", wanIp.err);

    faults::TempFolder folder;
    const std::string settings = folder.File("GPRSInfo.ini");
    std::ofstream(settings, std::ios::binary);  // a first start's empty settings file
    const CliRun checkPort = RunCli({"check-port", "--settings", settings, "--mode", "static", "--ip",
                                     "127.0.0.1", "--port", std::to_string(port)});
    EXPECT_EQ(1, checkPort.status);
    EXPECT_EQ("With IP =127.0.0.1, port =" + std::to_string(port) +
                  " of server connection is failed! Connection refused.\n",
              checkPort.out);
}

TEST(NetworkFaultsTest, HostNameOf300CharactersResolvesToNothingAndEveryCheckFailsCleanly) {
    LoopbackHost host;
    const std::vector<std::string> names = {
        Repeat("a", 300),                // one label far over 63 bytes
        Repeat("abcdefgh.", 300),        // labels of legal size, the whole name over 255 bytes
        Repeat("服务器", 300),           // UTF-8 bytes
        "127.0.0.1" + Repeat("9", 291),  // a dotted address with a tail
        Repeat("1.", 299) + "1",         // dots and digits only
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name.substr(0, 24) + "... (" + std::to_string(name.size()) + " bytes)");
        ASSERT_EQ(300u, name.size());
        EXPECT_EQ("", net::ResolveHostIP(name, {}, host));
        EXPECT_FALSE(net::TestTcpConnect(name, 6000));

        const net::PortTestResult domain = net::RunServerPortTest({1, "", name, 6000}, {}, {}, {}, host);
        EXPECT_FALSE(domain.missingField.has_value());
        EXPECT_FALSE(domain.connected);
        EXPECT_EQ("With IP =" + name + ", port =6000 of server connection is failed!", domain.outcomeText);
        EXPECT_EQ("No such host.", domain.reason);
        const net::PortTestResult staticIp = net::RunServerPortTest({0, name, "", 6000}, {}, {}, {}, host);
        EXPECT_FALSE(staticIp.connected);
        EXPECT_EQ(domain.outcomeText, staticIp.outcomeText);

        const std::string different =
            "The local IP network segment with the WAN IP is different, you need to do port mapping in "
            "router.";
        EXPECT_EQ(different, net::JudgePortMapping({1, "", name, 6000}, {}, {}, host).verdictText);
        EXPECT_EQ(different, net::JudgePortMapping({0, name, "", 6000}, {}, {}, host).verdictText);

        faults::TempFolder folder;
        std::ofstream(folder.File("GPRSInfo.ini"), std::ios::binary);
        const CliRun cli = RunCli(
            {"check-port", "--settings", folder.File("GPRSInfo.ini"), "--mode=domain", "--domain", name});
        EXPECT_EQ(1, cli.status);
        EXPECT_EQ("With IP =" + name + ", port =6000 of server connection is failed! No such host.\n",
                  cli.out);
    }
}

TEST(NetworkFaultsTest, CommandLineKeepsACjkAndEmojiDtuNumberAsUtf8) {
    faults::TempFolder folder;
    const std::string settings = folder.File("GPRSInfo.ini");
    const std::string number = "设备📡-編號-🙂";
    std::ofstream(settings, std::ios::binary);
    const CliRun fromFlag = RunCli({"sms", "--settings", settings, "--ip", "10.0.0.1", "--dtu", number});
    EXPECT_EQ(0, fromFlag.status);
    EXPECT_EQ("(A55A#1*10.0.0.1*6000#3*CMNET#4*" + number + ")\n", fromFlag.out);

    std::ofstream(settings, std::ios::binary)
        << "[Main]\r\nDTU number=" << number << "\r\nStatic IP=10.0.0.2\r\n";
    const CliRun fromFile = RunCli({"sms", "--settings", settings});
    EXPECT_EQ(0, fromFile.status);
    EXPECT_EQ("(A55A#1*10.0.0.2*6000#3*CMNET#4*" + number + ")\n", fromFile.out);
}

}  // namespace
