#pragma once

// Files the command line writes: whole or not at all.

#include <string>
#include <string_view>

#include "app/cli/Subcommands.h"

namespace app {

// Writes `bytes` to `path` through a temporary file in its folder that is renamed over it only when
// complete, so that a reader never finds a half-written file and a failure leaves the old one as it
// was. Returns an empty string, or on failure the message for the user (in the output's language,
// naming the path and the system's reason).
std::string WriteWholeFile(const std::string& path, std::string_view bytes, const CliOutput& output);

// "Unable to write to <path>: <reason>" in the output's language.
std::string UnableToWriteMessage(const CliOutput& output, const std::string& path, const std::string& reason);

}  // namespace app
