#pragma once

// A file written in full before anyone sees it, for every file the program writes (the settings
// file, a batch's output, QR code pictures): the bytes go to a temporary file
// ".<name>.tmp-<process id>-<n>" in the target's folder, which Commit flushes to disk and renames
// over the target. Until then, and whenever anything fails, the old target (if any) stays exactly
// as it was, and the temporary file is removed. A crash or kill at any moment leaves the old content
// or the new one, never a truncated file; the temporary files of writers that were killed are
// removed by the next writer of the same target (never those of a process still running).
//
// POSIX (AtomicFile.cpp): the data is flushed with fsync, then the folder after the rename. An
// existing target's permissions pass to the new file, and its owner when allowed (root); a new one
// gets 0666 less the umask. Windows (AtomicFileWindows.cpp): FlushFileBuffers, then ReplaceFileW,
// which keeps the old file's security and attributes, or MoveFileExW (write through) for a new
// file; a read-only target is refused.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace base {

// Writing `path` failed. what() is "Unable to write to <path>: <reason>". folderRefused(): the
// target's folder does not let this user create the temporary file (POSIX: no write permission, or
// no write bit for anybody, which stops root as well; Windows: its access list), so that a caller
// may rewrite an existing file in place instead.
class AtomicFileError : public std::runtime_error {
public:
    AtomicFileError(const std::string& path, const std::string& reason, bool folderRefused = false)
        : std::runtime_error("Unable to write to " + path + ": " + reason),
          path_(path),
          reason_(reason),
          folderRefused_(folderRefused) {}

    const std::string& path() const { return path_; }
    const std::string& reason() const { return reason_; }
    bool folderRefused() const { return folderRefused_; }

private:
    std::string path_;
    std::string reason_;
    bool folderRefused_;
};

class AtomicFile final {
public:
    // Creates the temporary file beside `path`. A symbolic link at `path` is followed, so the file it
    // points to is replaced and the link kept. Throws AtomicFileError when `path` is a folder, a link
    // that leads nowhere or in a loop, or the folder cannot be written.
    explicit AtomicFile(const std::string& path);
    // Removes the temporary file unless Commit succeeded.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Appends bytes. Throws AtomicFileError (a full disk, an I/O error).
    void Write(std::string_view bytes);
    // Flushes the bytes to disk and puts the file in the target's place. Throws AtomicFileError; the
    // temporary file is then gone and the target untouched.
    void Commit();

    const std::string& path() const { return path_; }

private:
    [[noreturn]] void Fail(int error, bool folderRefused = false);

    std::string path_;    // as the caller named it, for messages
    std::string target_;  // after symbolic links
    std::string temporary_;
    int fd_ = -1;
    bool committed_ = false;
};

// `path` with its chain of symbolic links followed to the file they lead to (which may not exist
// yet); `path` itself when it is no link. nullopt for a loop, a chain longer than 40 links, or (on
// Windows) a link that leads nowhere.
std::optional<std::string> FollowSymlinks(const std::string& path);

}  // namespace base
