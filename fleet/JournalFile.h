#pragma once

// The file a batch journal is appended to: each append reaches the disk before it returns
// (fdatasync; FlushFileBuffers on Windows), so what was appended survives the process being killed
// and the power failing. POSIX in JournalFile.cpp, Windows in JournalFileWindows.cpp.

#include <cstddef>
#include <string>
#include <string_view>

namespace fleet {

class JournalFile final {
public:
    // Opens the file at `path` for appending, creating it when missing, and cuts it to its first
    // `keepBytes` bytes (0 starts it afresh), so that appends follow the part that was read. A new
    // file's folder entry is flushed too. Throws OutputError.
    JournalFile(const std::string& path, std::size_t keepBytes);
    ~JournalFile();
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    // Appends `bytes` and flushes them to disk. Throws OutputError; the file then ends in a record
    // cut short at worst, which a reader stops at.
    void Append(std::string_view bytes);

    const std::string& path() const { return path_; }

private:
    std::string path_;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

// Removes the journal at `path`; false (and nothing changed) when it could not be removed. A missing
// file counts as removed.
bool RemoveJournalFile(const std::string& path);

}  // namespace fleet
