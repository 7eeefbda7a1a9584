#pragma once

// Replacing a file through a temporary file beside it, the Windows way, for the writers that must
// never leave a half-written file (the settings file, the batch output). Paths are UTF-8; a slash
// and a backslash both separate folders. Windows builds only.

#include <optional>
#include <string>

#include <windows.h>

#include "base/StrayTemporaries.h"  // defined with these helpers on Windows

namespace base {

// The folder part of `path` without its final separator ("." for a bare name, "C:\\" for
// "C:\\name"), and the name after it.
std::string FolderOfPath(const std::string& path);
std::string NameOfPath(const std::string& path);

// `path` with its chain of links (symbolic links, junctions) followed to the file they lead to;
// `path` itself when it is no link or does not exist. nullopt for a link that leads nowhere (it
// cannot be opened) or a loop.
std::optional<std::string> FollowLinks(const std::string& path);

// Creates a new, empty file ".<name>.tmp-<process id>-<n>" in the folder of `target`, never opening
// one that exists, open for writing and shared with nobody. Its handle, with its path in `temporary`;
// INVALID_HANDLE_VALUE (GetLastError says why) when none could be created.
HANDLE CreateTemporaryBeside(const std::string& target, std::wstring& temporary);

// Puts the written and closed file `replacement` in the place of `target`. An existing target is
// replaced with ReplaceFileW, which keeps its security and creation time, and gets the old file's
// hidden, system and not-indexed attributes; a new one
// is moved there with MoveFileExW (replace existing, write through), as is an existing one under
// Wine, whose ReplaceFileW leaves a moment with no file at all. While another program (a
// virus scanner, an indexer) holds the target open, tries again for up to half a second. Returns 0,
// or the Windows error code with `target` unchanged and `replacement` left for the caller to delete.
unsigned long PutInPlace(const std::wstring& replacement, const std::wstring& target);

}  // namespace base
