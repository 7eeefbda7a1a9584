#pragma once

// Where the running program lives.

#include <string>
#include <string_view>

namespace base {

// The separator the system writes between folders: "\\" on Windows (where "/" is understood as well),
// "/" elsewhere.
// kPathSeparators holds every character that separates folders in a path.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline constexpr const char* kPathSeparators = "/\\";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr const char* kPathSeparators = "/";
#endif

// The full path of the running program file in UTF-8 (the target of /proc/self/exe; on Windows what
// GetModuleFileNameW gives, with backslashes, however long); empty when the system does not say.
std::string ProgramFilePath();

// The folder part of `path` with its final "/" ("/opt/dtusms/" for "/opt/dtusms/dtusms"); empty for
// a path without "/". On Windows a backslash separates folders as well ("C:\dtusms\" for
// "C:\dtusms\dtusms.exe").
std::string FolderWithSeparator(std::string_view path);

// Whether `path` names a place without reference to a current folder: it starts with "/"; on
// Windows it starts with a drive and a separator ("C:\", "C:/") or with two separators ("\\server").
bool IsAbsolutePath(std::string_view path);

}  // namespace base
