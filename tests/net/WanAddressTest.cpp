#include "net/WanAddress.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/base/Environment.h"

#include "tests/net/LoopbackPeers.h"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;
using namespace std::string_literals;

constexpr milliseconds kTestTimeout{5000};

std::string Fixture(const std::string& name) {
    std::ifstream file(std::string(NET_TEST_DATA_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(file.good()) << name;
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

TEST(CutH2AddressTest, CutsByPositionThenAtTheFirstComma) {
    struct Row {
        std::string body;
        std::string expected;
    };
    const Row rows[] = {
        {"", ""},
        {"<h2></h2>", ""},
        {"<h2>1.2.3.4</h2>", "1.2.3.4"},
        {"x<h2>1.2.3.4</h2>y", "1.2.3.4"},
        {"<h2>1.2.3.4,5.6.7.8</h2>", "1.2.3.4"},
        {"<h2>,1.2.3.4</h2>", ""},
        {"<h2> 1.2.3.4 </h2>", " 1.2.3.4 "},
        {"<h2>1.2.3.4</h2><h2>5.6.7.8</h2>", "1.2.3.4"},
        {"<h2><h2>1.2.3.4</h2>", "<h2>1.2.3.4"},
        {"<h2>1.2.3.4", ""},
        {"<h2>1.2.3.4</H2>", ""},
        {"<H2>1.2.3.4</H2>", ""},
        // Without "<h2>" the element starts at the body's fourth character.
        {"</h2>", ""},
        {"abc</h2>", ""},
        {"abcd</h2>", "d"},
        {"abcdef</h2>", "def"},
        {"<H2>1.2.3.4</h2>", ">1.2.3.4"},
        {"<h2 class=\"ip\">1.2.3.4</h2>", " class=\"ip\">1.2.3.4"},
        {"abc1.2.3.4, x</h2>", "1.2.3.4"},
        // A closing marker before the opening one gives a negative length.
        {"</h2><h2>1.2.3.4</h2>", ""},
        {"ab</h2>cd<h2>1.2.3.4", ""},
        {"<h2>1.2\0.3.4</h2>"s, "1.2\0.3.4"s},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.body);
        EXPECT_EQ(row.expected, net::CutH2Address(row.body));
    }
}

TEST(GetWanIPTest, ParsesWhateverReplyTheServerSends) {
    struct Row {
        std::string fixture;
        std::string expected;
    };
    const Row rows[] = {
        {"reply-normal.html", "203.0.113.45"},
        {"reply-comma.html", "203.0.113.45"},
        {"reply-leading-space.html", " 203.0.113.45"},
        {"reply-line-breaks.html", "\n203.0.113.45\n"},
        {"reply-no-markers.html", ""},
        {"reply-capitals.html", ""},
        {"reply-no-closing.html", ""},
        {"reply-only-closing.html", "203.0.113.45"},
        {"reply-binary.bin", "203.0.113.45\0x"s},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fixture);
        nettest::HttpServer server(Fixture(row.fixture));
        EXPECT_EQ(row.expected, net::GetWanIPFrom(server.Url(), {}, kTestTimeout));
    }

    nettest::HttpServer notFound("<h2>198.51.100.1</h2>", false, "404 Not Found");
    EXPECT_EQ("198.51.100.1", net::GetWanIPFrom(notFound.Url(), {}, kTestTimeout));
}

TEST(GetWanIPTest, OversizedReplyIsCutAt64KiBAndStillParsed) {
    const std::string filler(4 * 1024 * 1024, 'x');
    const std::string element = "<h2>1.2.3.4</h2>";
    struct Row {
        const char* what;
        std::string body;
        std::string expected;
    };
    const Row rows[] = {
        {"address at the top", "<h2>198.51.100.7, big</h2>" + filler, "198.51.100.7"},
        {"element ends exactly at the cap",
         std::string(net::kMaxReplyBytes - element.size(), 'x') + element + filler, "1.2.3.4"},
        {"closing marker one byte past the cap",
         std::string(net::kMaxReplyBytes - element.size() + 1, 'x') + element + filler, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        nettest::HttpServer server(row.body);
        EXPECT_EQ(row.expected, net::GetWanIPFrom(server.Url(), {}, kTestTimeout));
    }
}

TEST(GetWanIPTest, UnansweredRequestTimesOutWhilePumping) {
    nettest::HttpServer silent("", true);
    int pumps = 0;
    const auto start = Clock::now();
    try {
        net::GetWanIPFrom(
            silent.Url(), [&] { return ++pumps > 0; }, milliseconds(800));
        ADD_FAILURE() << "no error for a server that never answers";
    } catch (const net::WanRequestAbandoned&) {
        ADD_FAILURE() << "reported as abandoned";
    } catch (const net::WanRequestError& error) {
        EXPECT_NE(std::string::npos, std::string(error.what()).find("imeout")) << error.what();
    }
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, milliseconds(750));
    EXPECT_LT(elapsed, milliseconds(2500));
    EXPECT_GE(pumps, 5);
}

TEST(GetWanIPTest, ClosedPortIsAnErrorWithCurlsText) {
    const std::string url = "http://127.0.0.1:" + std::to_string(nettest::RefusedPort()) + "/";
    try {
        net::GetWanIPFrom(url, {}, kTestTimeout);
        ADD_FAILURE() << "no error for a closed port";
    } catch (const net::WanRequestError& error) {
        EXPECT_NE(std::string::npos, std::string(error.what()).find("onnect to server")) << error.what();
    }
    EXPECT_THROW(net::GetWanIPFrom("notascheme://127.0.0.1/", {}, kTestTimeout), net::WanRequestError);
    EXPECT_THROW(net::GetWanIPFrom("", {}, kTestTimeout), net::WanRequestError);
}

TEST(GetWanIPTest, PumpThatAsksToStopAbandonsTheRequest) {
    nettest::HttpServer silent("", true);
    int pumps = 0;
    const auto start = Clock::now();
    EXPECT_THROW(net::GetWanIPFrom(
                     silent.Url(), [&] { return ++pumps < 3; }, kTestTimeout),
                 net::WanRequestAbandoned);
    EXPECT_EQ(3, pumps);
    EXPECT_LT(Clock::now() - start, milliseconds(1000));
}

TEST(GetWanIPTest, UrlComesFromTheVariableWhenSetAndNotEmpty) {
    testenv::UnsetVariable(net::kWanIpUrlVariable);
    const std::string builtIn = net::WanIpUrl();
    EXPECT_EQ("http://", builtIn.substr(0, 7));
    EXPECT_NE(std::string::npos, builtIn.find("/static/customercare/yourIP.asp"));

    testenv::SetVariable(net::kWanIpUrlVariable, "");
    EXPECT_EQ(builtIn, net::WanIpUrl());

    nettest::HttpServer server("<h2>192.0.2.99</h2>");
    testenv::SetVariable(net::kWanIpUrlVariable, server.Url());
    EXPECT_EQ(server.Url(), net::WanIpUrl());
    EXPECT_EQ("192.0.2.99", net::GetWanIP());
    testenv::UnsetVariable(net::kWanIpUrlVariable);
}

TEST(GetWanIPTest, LoopbackIsNeverSentThroughAProxy) {
    nettest::HttpServer server("<h2>192.0.2.5</h2>");
    const std::string proxy = "http://127.0.0.1:" + std::to_string(nettest::RefusedPort());
    testenv::SetVariable("http_proxy", proxy);
    testenv::SetVariable("no_proxy", "intranet.example");
    const std::string address = net::GetWanIPFrom(server.Url(), {}, kTestTimeout);
    testenv::UnsetVariable("http_proxy");
    testenv::UnsetVariable("no_proxy");
    EXPECT_EQ("192.0.2.5", address);
}

}  // namespace
