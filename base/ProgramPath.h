#pragma once

// Where the running program lives.

#include <string>
#include <string_view>

namespace base {

// The full path of the running program file (the target of /proc/self/exe); empty when the system
// does not say.
std::string ProgramFilePath();

// The folder part of `path` with its final "/" ("/opt/dtusms/" for "/opt/dtusms/dtusms"); empty for
// a path without "/".
std::string FolderWithSeparator(std::string_view path);

}  // namespace base
