#pragma once

// Replacing a file's content so that a crash or kill at any moment leaves either the old content or
// the new one on disk, never a truncated file.

#include <optional>
#include <string>

namespace sms {

// `path` with its chain of symbolic links followed to the file they lead to (which may not exist
// yet); `path` itself when it is no link. nullopt for a loop or a chain longer than 40 links.
std::optional<std::string> FollowSymlinks(const std::string& path);

enum class ReplaceResult {
    Replaced,
    // The folder does not let this user create the temporary file (no write permission, or writable
    // by nobody, which stops root as well); `target` is untouched.
    FolderRefused,
    // Any other step failed (a read-only file system, a full disk, ...); `target` is untouched.
    Failed,
};

// Replaces the regular file at `target` (no symbolic link; see FollowSymlinks) with `content`:
// a temporary file in the same folder is written, flushed to disk, given the old file's permissions
// (and owner, when allowed) and renamed over `target`; then the folder is flushed. A new file gets
// 0666 less the umask. Unless Replaced, `target` is left untouched and no temporary file behind.
// Settings are written on the window's thread only (the command line never writes), so calls are
// not made concurrently.
ReplaceResult ReplaceFileAtomically(const std::string& target, const std::string& content);

// On Windows (AtomicFileWindows.cpp) the temporary file is flushed with FlushFileBuffers and put in
// place with ReplaceFileW, which keeps the old file's attributes and security, or MoveFileExW (write
// through) for a new file; a link is followed to the file it leads to, and one that leads nowhere is
// refused. Folders have no write bits there: a folder whose access list refuses this user new files
// (ERROR_ACCESS_DENIED at the temporary file) is FolderRefused.

}  // namespace sms
