#pragma once

// Rewriting a file where it stands, for a writable file in a folder that refuses new files (a
// portable copy on a share whose folder is read-only, say). Unlike a replacement this is not atomic:
// a crash or power cut half-way can leave a mix of old and new bytes.

#include <string>

namespace settings {

// Rewrites the existing regular file at `target` (no symbolic link; see FollowSymlinks) with
// `content`: the whole content is written from the start of the file, the file is then cut to its
// length and flushed to disk. The file keeps its inode, owner, permissions and links. When a write
// fails (a full disk, say) the old bytes are written back before false is returned, so a failure
// leaves the old content where it can. False when the file cannot be opened for reading and
// writing, is no regular file, or any step fails.
bool RewriteFileInPlace(const std::string& target, const std::string& content);

}  // namespace settings
