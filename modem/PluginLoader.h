#pragma once

// Loading the modem plugin from a program that does not link Qt (the command line): header only,
// standard C++ and dlopen.

#include <dlfcn.h>

#include <memory>
#include <string>

#include "modem/Plugin.h"

namespace modem {

// Loads the plugin at `path` (e.g. kPluginFileName beside the program) and creates a transport with
// `options`. On failure returns nullptr and `error` says why: the library cannot be loaded (its
// dlerror text), lacks an entry point, or was built for another kPluginApiVersion. The library is
// never unloaded: Qt, once started, cannot be taken out of a running program.
inline std::unique_ptr<SmsTransport> LoadTransport(const std::string& path, const TransportOptions& options,
                                                   std::string* error) {
    const auto fail = [error](std::string why) {
        if (error != nullptr) {
            *error = std::move(why);
        }
        return std::unique_ptr<SmsTransport>();
    };
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* why = dlerror();
        return fail(why != nullptr ? why : "cannot load " + path);
    }
    const auto version = reinterpret_cast<ApiVersionFn>(dlsym(library, kApiVersionSymbol));
    const auto create = reinterpret_cast<CreateFn>(dlsym(library, kCreateSymbol));
    if (version == nullptr || create == nullptr) {
        return fail(path + " is not the modem plugin");
    }
    if (version() != kPluginApiVersion) {
        return fail(path + " was built for interface version " + std::to_string(version()) + ", not " +
                    std::to_string(kPluginApiVersion));
    }
    std::unique_ptr<SmsTransport> transport(create(&options));
    if (!transport) {
        return fail("the modem plugin could not create a transport");
    }
    return transport;
}

}  // namespace modem
