#pragma once

// The entry points of the modem plugin (libdtusms_modem.so), for a program that loads it at run time
// instead of linking Qt (the plugin brings ModemManager over QtDBus beside the serial ports). Standard C++
// only: this header declares them and the interface version; the command line's plugin loader
// (app/cli/ModemPlugin.h) finds the file, loads it and checks the version.

#include "modem/SmsTransport.h"

namespace modem {

// Raised whenever a type of modem/SmsTransport.h changes, so that a loader refuses a plugin built
// against another version of it instead of misreading its objects.
inline constexpr int kPluginApiVersion = 2;

inline constexpr const char* kPluginFileName = "libdtusms_modem.so";
inline constexpr const char* kApiVersionSymbol = "dtusms_modem_api_version";
inline constexpr const char* kCreateSymbol = "dtusms_modem_create";

using ApiVersionFn = int (*)();
using CreateFn = SmsTransport* (*)(const TransportOptions* options);

}  // namespace modem

extern "C" {

// kPluginApiVersion of the plugin's build.
int dtusms_modem_api_version();

// A new transport, owned by the caller (delete it; its destructor runs in the plugin). Creates the
// QCoreApplication its ModemManager client needs when the program has none; it then lives until the program
// ends, and the thread of the first call is Qt's main thread. Returns nullptr when `options` is
// null or memory runs out. Never throws.
modem::SmsTransport* dtusms_modem_create(const modem::TransportOptions* options);
}
