#pragma once

// Whether the settings writer may replace the file at a path: the one check before a write whose
// wording differs between POSIX and Windows (WriteTargetPosix.cpp, WriteTargetWindows.cpp).

#include <string>

namespace settings {

enum class WriteTarget {
    Missing,   // nothing there yet: a new file may be created
    Writable,  // a regular file this process may write
    Refused,   // anything else
};

// What is at `path` (no symbolic link; see FollowSymlinks). Refused: a folder, device or other
// non-regular file; a file that is read-only (POSIX: no write bit for anybody, which stops root as
// well, or no write permission for this process; Windows: the read-only attribute), because the
// rename that replaces a file would overwrite it without asking; a path that cannot be examined.
WriteTarget CheckWriteTarget(const std::string& path);

}  // namespace settings
