#include "net/AddressLookup.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/net/FakeResolver.h"

namespace {

using Addresses = nettest::FakeResolver::Addresses;

class AddressLookupTest : public ::testing::Test {
protected:
    nettest::FakeResolver fake_;
};

TEST_F(AddressLookupTest, LocalAddressSkipsLoopbackAndFallsBackToInterfaces) {
    struct Row {
        const char* what;
        std::string hostName;
        Addresses hostAddresses;  // empty: the host name has no entry
        Addresses interfaces;
        std::string expected;
    };
    const Row rows[] = {
        {"first of several", "ws", {"192.168.1.20", "10.0.0.5", "172.16.0.9"}, {"10.9.9.9"}, "192.168.1.20"},
        {"loopback first is skipped", "ws", {"127.0.1.1", "192.168.1.20"}, {"10.9.9.9"}, "192.168.1.20"},
        {"any 127/8 is skipped", "ws", {"127.200.3.4", "10.0.0.5"}, {}, "10.0.0.5"},
        {"only loopback takes interface", "ws", {"127.0.1.1"}, {"192.168.7.7", "10.1.1.1"}, "192.168.7.7"},
        {"only loopback, no interface", "ws", {"127.0.1.1", "127.0.0.1"}, {}, "127.0.1.1"},
        {"128.x is not loopback", "ws", {"128.0.0.1"}, {"10.1.1.1"}, "128.0.0.1"},
        {"no entry", "ws", {}, {"192.168.7.7"}, ""},
        {"unreadable host name", "", {}, {"192.168.7.7"}, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        fake_.hostName = row.hostName;
        fake_.entries.clear();
        if (!row.hostAddresses.empty()) {
            fake_.entries[row.hostName] = row.hostAddresses;
        }
        fake_.interfaces = row.interfaces;
        EXPECT_EQ(row.expected, net::GetLocalIP(fake_));
    }
}

TEST_F(AddressLookupTest, ResolveGivesLastAddressOfTheList) {
    fake_.entries["server.example"] = {"10.0.0.1", "10.0.0.2", "10.0.0.3"};
    fake_.entries["single.example"] = {"203.0.113.7"};
    EXPECT_EQ("10.0.0.3", net::ResolveHostIP("server.example", {}, fake_));
    EXPECT_EQ("203.0.113.7", net::ResolveHostIP("single.example", {}, fake_));
    EXPECT_EQ("", net::ResolveHostIP("missing.example", {}, fake_));
    // Untrimmed text is resolved as it stands, not cleaned up.
    EXPECT_EQ("", net::ResolveHostIP(" single.example", {}, fake_));
}

TEST_F(AddressLookupTest, ResolvePumpsOnceAndAnAbandoningPumpResolvesNothing) {
    fake_.entries["server.example"] = {"10.0.0.1"};
    int pumps = 0;
    const net::EventPump pump = [&] {
        ++pumps;
        return true;
    };
    EXPECT_EQ("10.0.0.1", net::ResolveHostIP("server.example", pump, fake_));
    EXPECT_EQ(1, pumps);
    EXPECT_EQ(1u, fake_.resolved.size());

    EXPECT_EQ("", net::ResolveHostIP(
                      "server.example", [] { return false; }, fake_));
    EXPECT_EQ(1u, fake_.resolved.size());
}

TEST(SystemResolverTest, ResolvesDottedTextLocalhostAndNothingElse) {
    // A label longer than 63 characters is refused by the resolver before any query is sent, so the
    // unresolvable row never reaches a DNS server.
    const std::string unresolvable = std::string(64, 'a') + ".invalid";
    struct Row {
        std::string name;
        std::string expected;
    };
    const Row rows[] = {
        {"127.0.0.1", "127.0.0.1"}, {"10.20.30.40", "10.20.30.40"},           {"", ""},
        {unresolvable, ""},         {std::string("127.0.0.1\0evil", 14), ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expected, net::ResolveHostIP(row.name));
    }
}

TEST(SystemResolverTest, LocalhostResolvesToALoopbackAddress) {
    const std::string address = net::ResolveHostIP("localhost");
    ASSERT_FALSE(address.empty());
    EXPECT_EQ("127.", address.substr(0, 4));
}

TEST(SystemResolverTest, LocalAddressIsNeverLoopbackWhenAnInterfaceIsUp) {
    net::HostResolver& system = net::SystemResolver();
    const std::string local = net::GetLocalIP();
    if (system.Resolve(system.HostName()).empty()) {
        EXPECT_EQ("", local);
    } else if (!system.InterfaceAddresses().empty()) {
        EXPECT_NE("127.", local.substr(0, 4));
    }
    EXPECT_LT(system.HostName().size(), 64u);
}

}  // namespace
