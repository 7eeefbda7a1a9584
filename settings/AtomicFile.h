#pragma once

// Replacing the settings file's content so that a crash or kill at any moment leaves either the old
// content or the new one on disk, never a truncated file: the program's one atomic writer
// (base/AtomicFile.h), with the outcomes the settings writer tells apart.

#include <optional>
#include <string>

#include "base/AtomicFile.h"

namespace settings {

using base::FollowSymlinks;

enum class ReplaceResult {
    Replaced,
    // The folder does not let this user create the temporary file (no write permission, or writable
    // by nobody, which stops root as well; on Windows its access list); `target` is untouched.
    FolderRefused,
    // Any other step failed (a read-only file system, a full disk, ...); `target` is untouched.
    Failed,
};

// Replaces the regular file at `target` (no symbolic link; see FollowSymlinks) with `content`
// through base::AtomicFile. Unless Replaced, `target` is left untouched and no temporary file
// behind. Settings are written on the window's thread only (the command line never writes), so
// calls are not made concurrently.
ReplaceResult ReplaceFileAtomically(const std::string& target, const std::string& content);

}  // namespace settings
