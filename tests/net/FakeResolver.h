#pragma once

// A resolver with a made-up host name, host table and interface list, passed to the functions under test.

#include <map>
#include <string>
#include <vector>

#include "net/AddressLookup.h"

namespace nettest {

class FakeResolver final : public net::HostResolver {
public:
    using Addresses = std::vector<std::string>;

    FakeResolver() = default;
    FakeResolver(const FakeResolver&) = delete;
    FakeResolver& operator=(const FakeResolver&) = delete;

    std::string hostName = "workstation";
    std::map<std::string, Addresses> entries;
    Addresses interfaces;
    std::vector<std::string> resolved;  // every name asked for, in order

    Addresses Resolve(const std::string& name) override {
        resolved.push_back(name);
        const auto found = entries.find(name);
        return found == entries.end() ? Addresses{} : found->second;
    }
    std::string HostName() override { return hostName; }
    Addresses InterfaceAddresses() override { return interfaces; }
};

}  // namespace nettest
