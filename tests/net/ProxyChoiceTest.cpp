#include "net/ProxyChoice.h"

#include <map>
#include <string>

#include <gtest/gtest.h>

namespace net {
namespace {

using Kind = ProxyChoice::Kind;

std::string Shown(const ProxyChoice& choice) {
    switch (choice.kind) {
        case Kind::Direct:
            return "direct";
        case Kind::System:
            return "system";
        case Kind::Named:
            return "via " + choice.proxy;
    }
    return "?";
}

TEST(ProxyChoiceTest, TheVariablesDecideAsLibcurlReadsThem) {
    struct Row {
        const char* scheme;
        const char* host;
        std::map<std::string, std::string> variables;
        std::string expected;
    };
    const std::map<std::string, std::string> proxies = {{"http_proxy", "http://proxy.corp:3128/"},
                                                        {"https_proxy", "secure.corp:8443"}};
    const Row rows[] = {
        {"http", "ipecho.example", {}, "system"},
        {"http", "ipecho.example", proxies, "via proxy.corp:3128"},
        {"HTTPS", "ipecho.example", proxies, "via secure.corp:8443"},
        {"https", "ipecho.example", {{"HTTPS_PROXY", "upper.corp:1"}}, "via upper.corp:1"},
        // An upper-case HTTP_PROXY may come from a request's "Proxy:" header in a CGI program.
        {"http", "ipecho.example", {{"HTTP_PROXY", "evil:1"}}, "system"},
        {"http", "ipecho.example", {{"ALL_PROXY", "all.corp:9"}}, "via all.corp:9"},
        {"http", "ipecho.example", {{"http_proxy", ""}, {"all_proxy", "all.corp:9"}}, "via all.corp:9"},
        // Loopback is never sent through a proxy, whatever the variables say.
        {"http", "127.0.0.1", proxies, "direct"},
        {"http", "127.10.20.30", proxies, "direct"},
        {"http", "LocalHost", proxies, "direct"},
        {"http", "[::1]", proxies, "direct"},
        {"http", "::1", proxies, "direct"},
        {"http", "127.0.0.1.example", proxies, "via proxy.corp:3128"},
        {"http", "128.0.0.1", proxies, "via proxy.corp:3128"},
        {"http", "127.0.0.256", proxies, "via proxy.corp:3128"},
        // no_proxy names hosts and their subdomains, ignoring case and blanks around the commas.
        {"http", "ipecho.example", {{"http_proxy", "p:1"}, {"no_proxy", "other, .EXAMPLE"}}, "direct"},
        {"http", "sub.ipecho.example", {{"http_proxy", "p:1"}, {"no_proxy", "ipecho.example"}}, "direct"},
        {"http", "notipecho.example", {{"http_proxy", "p:1"}, {"no_proxy", "ipecho.example"}}, "via p:1"},
        {"http", "ipecho.example", {{"http_proxy", "p:1"}, {"NO_PROXY", "*"}}, "direct"},
        {"http", "ipecho.example", {{"no_proxy", "*"}}, "direct"},
        {"http", "ipecho.example", {{"http_proxy", "p:1"}, {"no_proxy", ",,"}}, "via p:1"},
    };
    for (const Row& row : rows) {
        const auto lookup = [&row](const char* name) -> const char* {
            const auto found = row.variables.find(name);
            return found == row.variables.end() ? nullptr : found->second.c_str();
        };
        EXPECT_EQ(row.expected, Shown(ChooseProxy(row.scheme, row.host, lookup)))
            << row.scheme << "://" << row.host;
    }
}

}  // namespace
}  // namespace net
