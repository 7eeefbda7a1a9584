#include "net/WanAddress.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

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

TEST(IsDottedIPv4Test, FourDecimalPartsFrom0To255AndNothingElse) {
    for (const std::string valid : {"1.2.3.4", "0.0.0.0", "255.255.255.255", "203.0.113.45"}) {
        EXPECT_TRUE(net::IsDottedIPv4(valid)) << valid;
    }
    const std::string invalid[] = {
        "1.2.3.4\n",       " 1.2.3.4", "1.2.3",       "1.2.3.4.5", "256.1.1.1",     "1.2.3.256",
        "1.2.3.1000",      "01.2.3.4", "1.2.3.04",    "1.2.3.00",  "1.2.3.4 extra", "1.2.3.4,",
        "1..3.4",          ".1.2.3",   "1.2.3.",      "+1.2.3.4",  "1.2.3.-4",      "0x1.2.3.4",
        "1.2.3.4"s + '\0', "::1",      "2001:db8::1", ""};
    for (const std::string& text : invalid) {
        EXPECT_FALSE(net::IsDottedIPv4(text)) << '"' << text << '"';
    }
}

TEST(AddressInReplyTest, AnHtmlPageIsCutAtItsH2AnyOtherBodyReadWholeBothTrimmed) {
    const struct {
        std::string body;
        std::optional<std::string> address;
    } rows[] = {
        // Plain text, as the public services send it: with or without a line end.
        {"203.0.113.7", "203.0.113.7"},
        {"203.0.113.7\n", "203.0.113.7"},
        {"\t 203.0.113.7 \r\n", "203.0.113.7"},
        {"203.0.113.7\n203.0.113.8\n", std::nullopt},
        {"203.0.113.7 extra", std::nullopt},
        {"2001:db8::7\n", std::nullopt},
        {"", std::nullopt},
        {"\n", std::nullopt},
        // Pages: the <h2> cut, then trimmed.
        {"<html><h2>203.0.113.7, your address</h2></html>", "203.0.113.7"},
        {"<h2> 203.0.113.7\n</h2>", "203.0.113.7"},
        {"ab 203.0.113.7, more</h2>", "203.0.113.7"},
        {"203.0.113.7<h2>elsewhere</h2>", std::nullopt},
        {"<h2>203.0.113.7", std::nullopt},
        {"<h2><b>203.0.113.7</b></h2>", std::nullopt},
        {"<h2>203.0.113.7 (proxy)</h2>", std::nullopt},
        // A captive portal's login page.
        {"<html><head><title>Log in</title></head><body><form>Wi-Fi login</form></body></html>",
         std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(net::AddressInReply(row.body), row.address) << '"' << row.body << '"';
    }
}

// The failure text of GetWanIPFrom for `url`; "" when it gave an address.
std::string FailureOf(const std::string& url, milliseconds timeout = kTestTimeout) {
    try {
        const std::string address = net::GetWanIPFrom(url, {}, timeout);
        ADD_FAILURE() << url << " gave " << address;
    } catch (const net::WanRequestError& error) {
        return error.what();
    }
    return {};
}

constexpr const char* kNoAddress = "The reply holds no IPv4 address";

TEST(GetWanIPTest, OnlyAnAddressCountsAndAnythingElseIsTheServicesFailure) {
    struct Row {
        std::string fixture;
        std::string expected;  // the address, or "" for kNoAddress
    };
    const Row rows[] = {
        {"reply-normal.html", "203.0.113.45"},
        {"reply-comma.html", "203.0.113.45"},
        {"reply-leading-space.html", "203.0.113.45"},
        {"reply-line-breaks.html", "203.0.113.45"},
        {"reply-only-closing.html", "203.0.113.45"},
        {"reply-no-markers.html", ""},
        {"reply-capitals.html", ""},
        {"reply-no-closing.html", ""},
        {"reply-binary.bin", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fixture);
        nettest::HttpServer server(Fixture(row.fixture));
        if (row.expected.empty()) {
            EXPECT_EQ(FailureOf(server.Url()), kNoAddress);
        } else {
            EXPECT_EQ(net::GetWanIPFrom(server.Url(), {}, kTestTimeout), row.expected);
        }
    }
    for (const std::string plain : {"198.51.100.1", "198.51.100.1\n"}) {
        nettest::HttpServer server(plain, false, "200 OK");
        EXPECT_EQ(net::GetWanIPFrom(server.Url(), {}, kTestTimeout), "198.51.100.1");
    }
}

TEST(GetWanIPTest, AStatusOtherThan2xxIsAFailureWhateverTheBody) {
    const struct {
        std::string status;
        std::string failure;
    } rows[] = {
        {"404 Not Found", "The service answered with HTTP status 404"},
        {"500 Internal Server Error", "The service answered with HTTP status 500"},
        {"302 Found", "The service answered with HTTP status 302"},
        {"203 Non-Authoritative Information", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        nettest::HttpServer server("<h2>198.51.100.1</h2>", false, row.status);
        if (row.failure.empty()) {
            EXPECT_EQ(net::GetWanIPFrom(server.Url(), {}, kTestTimeout), "198.51.100.1");
        } else {
            EXPECT_EQ(FailureOf(server.Url()), row.failure);
        }
    }
}

// The status line carries a Location header after it, which the loopback server sends as it stands.
TEST(GetWanIPTest, RedirectsAreFollowedToHttpOnlyAndAtMostFiveTimes) {
    nettest::HttpServer good("198.51.100.9");
    const struct {
        std::string location;
        std::string expected;  // the address, or a part of the failure
    } rows[] = {
        {good.Url(), "198.51.100.9"},
        // Relative to the redirecting server, which redirects again, and again.
        {"/again", "redirects"},
        {"again", "redirects"},
        {"ftp://127.0.0.1/yourIP", "nsupported protocol"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.location);
        nettest::HttpServer server("<h2>203.0.113.9</h2>", false, "302 Found\r\nLocation: " + row.location);
        if (row.expected == "198.51.100.9") {
            EXPECT_EQ(net::GetWanIPFrom(server.Url(), {}, kTestTimeout), row.expected);
        } else {
            const std::string failure = FailureOf(server.Url());
            EXPECT_NE(failure.find(row.expected), std::string::npos) << failure;
        }
    }
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
        if (row.expected.empty()) {
            EXPECT_EQ(FailureOf(server.Url()), kNoAddress);
        } else {
            EXPECT_EQ(net::GetWanIPFrom(server.Url(), {}, kTestTimeout), row.expected);
        }
    }
}

TEST(GetWanIPTest, SixtyFourKiBOfGarbageNeverReachTheCaller) {
    std::string garbage(net::kMaxReplyBytes, '\0');
    unsigned state = 12345;
    for (char& c : garbage) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    // Dotted addresses buried in the garbage must not be picked out of it either.
    garbage.replace(100, 9, " 1.2.3.4 ");
    nettest::HttpServer server(garbage);
    EXPECT_EQ(FailureOf(server.Url()), kNoAddress);
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
    EXPECT_NE(std::string::npos, FailureOf(url).find("onnect to server"));
    EXPECT_THROW(net::GetWanIPFrom("notascheme://127.0.0.1/", {}, kTestTimeout), net::WanRequestError);
    EXPECT_THROW(net::GetWanIPFrom("", {}, kTestTimeout), net::WanRequestError);
}

// The DTU takes an IPv4 address, so no service is asked over IPv6, even one that would answer.
TEST(GetWanIPTest, AServiceIsAskedOverIPv4Only) {
    std::unique_ptr<nettest::HttpServer> server;
    try {
        server = std::make_unique<nettest::HttpServer>("203.0.113.9", false, "200 OK", true);
    } catch (const std::runtime_error&) {
        GTEST_SKIP() << "this machine has no IPv6 loopback";
    }
    EXPECT_NE(FailureOf(server->Url()), "");
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

// Sets the service list for one test.
class ServiceList {
public:
    explicit ServiceList(const char* value) {
        if (value != nullptr) {
            testenv::SetVariable(net::kWanIpUrlVariable, value);
        } else {
            testenv::UnsetVariable(net::kWanIpUrlVariable);
        }
    }
    ~ServiceList() { testenv::UnsetVariable(net::kWanIpUrlVariable); }
};

TEST(WanIpUrlsTest, TheVariableListsServicesSeparatedByBlanksElseThePublicOnes) {
    const std::vector<std::string> publicServices = {"https://api.ipify.org", "https://checkip.amazonaws.com",
                                                     "https://icanhazip.com"};
    const struct {
        const char* value;
        std::vector<std::string> urls;
    } rows[] = {
        {nullptr, publicServices},
        {"", publicServices},
        {" \t ", publicServices},
        {"http://127.0.0.1:1/a", {"http://127.0.0.1:1/a"}},
        {"  http://a/  http://b/\thttp://c/\n", {"http://a/", "http://b/", "http://c/"}},
    };
    for (const auto& row : rows) {
        const ServiceList list(row.value);
        EXPECT_EQ(net::WanIpUrls(), row.urls) << (row.value != nullptr ? row.value : "(unset)");
    }
}

TEST(GetWanIPFromServicesTest, ServicesAreAskedInTurnUntilOneGivesAnAddress) {
    nettest::HttpServer portal("<html><body><form action=/login>Sign in to the Wi-Fi</form></body></html>");
    nettest::HttpServer error("<h2>203.0.113.1</h2>", false, "503 Service Unavailable");
    nettest::HttpServer good("203.0.113.50\n");
    const std::string refused = "http://127.0.0.1:" + std::to_string(nettest::RefusedPort()) + "/";
    EXPECT_EQ(net::GetWanIPFromServices({portal.Url(), good.Url()}, {}, kTestTimeout), "203.0.113.50");
    EXPECT_EQ(net::GetWanIPFromServices({refused, error.Url(), portal.Url(), good.Url()}, {}, kTestTimeout),
              "203.0.113.50");
    // The first that answers is taken; the others are not asked.
    nettest::HttpServer other("198.51.100.60");
    EXPECT_EQ(net::GetWanIPFromServices({good.Url(), other.Url()}, {}, kTestTimeout), "203.0.113.50");

    const ServiceList list((refused + "  " + good.Url()).c_str());
    EXPECT_EQ(net::GetWanIP(), "203.0.113.50");
}

TEST(GetWanIPFromServicesTest, WhenNoneGivesAnAddressTheLastFailureIsNamed) {
    nettest::HttpServer portal("<html>Sign in</html>");
    nettest::HttpServer error("", false, "500 Internal Server Error");
    const std::string prefix = "No service gave the public address. Last failure: ";
    const struct {
        std::vector<std::string> urls;
        std::string message;
    } rows[] = {
        {{error.Url(), portal.Url()}, prefix + portal.Url() + ": " + kNoAddress},
        {{portal.Url(), error.Url()}, prefix + error.Url() + ": The service answered with HTTP status 500"},
        {{}, prefix + "no IP-echo service is configured"},
    };
    for (const auto& row : rows) {
        try {
            net::GetWanIPFromServices(row.urls, {}, kTestTimeout);
            ADD_FAILURE() << "an address without a service that gives one";
        } catch (const net::WanRequestAbandoned&) {
            ADD_FAILURE() << "reported as abandoned";
        } catch (const net::WanRequestError& failure) {
            EXPECT_EQ(std::string(failure.what()), row.message);
        }
    }
}

TEST(GetWanIPFromServicesTest, ASlowServiceGetsItsShareOfTheBudgetAndNoMore) {
    nettest::HttpServer slow("", true);
    nettest::HttpServer slower("", true);
    nettest::HttpServer good("203.0.113.51");
    struct Row {
        const char* what;
        std::vector<std::string> urls;
        milliseconds budget;
        milliseconds atLeast;  // the silent services' shares
    };
    const Row rows[] = {
        // 1200 ms for two: the silent one gets 600.
        {"one silent service first", {slow.Url(), good.Url()}, milliseconds(1200), milliseconds(550)},
        // 1500 ms for three: 500, then 1000 left for two, 500 again.
        {"two silent services first",
         {slow.Url(), slower.Url(), good.Url()},
         milliseconds(1500),
         milliseconds(950)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const auto start = Clock::now();
        EXPECT_EQ(net::GetWanIPFromServices(row.urls, {}, row.budget), "203.0.113.51");
        const auto elapsed = Clock::now() - start;
        EXPECT_GE(elapsed, row.atLeast);
        EXPECT_LT(elapsed, row.budget);
    }

    // All silent: the whole budget is used, not more, and the last time-out is named.
    const auto start = Clock::now();
    try {
        net::GetWanIPFromServices({slow.Url(), slower.Url()}, {}, milliseconds(1000));
        ADD_FAILURE() << "no error";
    } catch (const net::WanRequestError& failure) {
        const std::string message = failure.what();
        EXPECT_NE(message.find("Last failure: " + slower.Url() + ": "), std::string::npos) << message;
        EXPECT_NE(message.find("imeout"), std::string::npos) << message;
    }
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, milliseconds(950));
    EXPECT_LT(elapsed, milliseconds(1500));
}

TEST(GetWanIPFromServicesTest, APumpThatAsksToStopEndsTheWholeLookUp) {
    nettest::HttpServer slow("", true);
    nettest::HttpServer good("203.0.113.52");
    int pumps = 0;
    // Had the next service been asked, its address would have come back.
    EXPECT_THROW(net::GetWanIPFromServices(
                     {slow.Url(), good.Url()}, [&] { return ++pumps < 2; }, kTestTimeout),
                 net::WanRequestAbandoned);
    EXPECT_EQ(pumps, 2);
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
