#pragma once

// A file written in full before anyone sees it: the bytes go to a temporary file in the target's
// folder, which is renamed over the target only by Commit. Until then, and whenever anything fails,
// the old target (if any) stays exactly as it was. POSIX; the one place of the fleet code that
// writes files.

#include <stdexcept>
#include <string>
#include <string_view>

namespace fleet {

// Writing `path` failed. what() is "Unable to write to <path>: <reason>".
class OutputError : public std::runtime_error {
public:
    OutputError(const std::string& path, const std::string& reason)
        : std::runtime_error("Unable to write to " + path + ": " + reason), path_(path), reason_(reason) {}

    const std::string& path() const { return path_; }
    const std::string& reason() const { return reason_; }

private:
    std::string path_;
    std::string reason_;
};

class OutputFile final {
public:
    // Creates the temporary file ".<name>.tmp-<pid>-<n>" beside `path`. A symbolic link at `path` is
    // followed, so the file it points to is replaced and the link kept. An existing target's
    // permissions pass to the new file; a new one gets 0666 less the umask. Throws OutputError when
    // `path` is a folder or the folder cannot be written.
    explicit OutputFile(const std::string& path);
    // Removes the temporary file unless Commit succeeded.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Appends bytes. Throws OutputError (a full disk, an I/O error).
    void Write(std::string_view bytes);
    // Flushes the bytes to disk and renames the temporary file over the target, then flushes the
    // folder. Throws OutputError; the temporary file is then gone and the target untouched.
    void Commit();

    const std::string& path() const { return path_; }

private:
    [[noreturn]] void Fail(int error);

    std::string path_;    // as the caller named it, for messages
    std::string target_;  // after symbolic links
    std::string temporary_;
    int fd_ = -1;
    bool committed_ = false;
};

}  // namespace fleet
