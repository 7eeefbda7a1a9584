#include "modem/Plugin.h"

#include <mutex>
#include <new>

#include <QCoreApplication>

#include "modem/ModemManagerClient.h"
#include "modem/ModemTransport.h"

namespace {

void EnsureApplication() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (QCoreApplication::instance() != nullptr) {
            return;
        }
        // Qt keeps references to argc and argv for the application's whole life.
        static int argc = 1;
        static char name[] = "dtusms";
        static char* argv[] = {name, nullptr};
        // Never deleted: tearing Qt down from a static destructor at exit runs into already
        // destroyed Qt globals, and the program ends anyway.
        new QCoreApplication(argc, argv);
    });
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int dtusms_modem_api_version() {
    return modem::kPluginApiVersion;
}

__attribute__((visibility("default"))) modem::SmsTransport* dtusms_modem_create(
    const modem::TransportOptions* options) {
    if (options == nullptr) {
        return nullptr;
    }
    try {
        EnsureApplication();
        return new modem::ModemTransport(*options, modem::ModemManagerService());
    } catch (...) {
        return nullptr;
    }
}
}
