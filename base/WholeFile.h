#pragma once

// Reading a file whole into memory, and writing bytes whole.

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

namespace base {

struct WholeFile {
    enum class Failure {
        None,
        CannotOpen,  // open() failed
        CannotStat,  // fstat() failed
        NotRegular,  // a folder, FIFO, device or socket
        TooLarge,    // more than the caller's limit
        ReadFailed,  // read() failed; systemError holds errno
    };
    std::string bytes;  // empty unless ok()
    Failure failure = Failure::None;
    int systemError = 0;

    bool ok() const noexcept { return failure == Failure::None; }
};

// The bytes of the regular file at `path`, read up to its end even when it grows or shrinks while it
// is read. Never blocks on a FIFO or device and never makes a terminal the controlling one. Refuses a
// file longer than `maxSize` bytes, checked before and while reading, so that a huge or growing file
// cannot fill the memory. Interrupted reads are retried. Never throws but std::bad_alloc.
WholeFile ReadWholeFile(const std::string& path,
                        std::size_t maxSize = std::numeric_limits<std::size_t>::max());

#ifndef _WIN32
// Writes every byte of `bytes` to `fd` at its present position, retrying interrupted and short
// writes. False on the first failing write, with errno saying why. (The Windows files write through
// their own handles.)
bool WriteAll(int fd, std::string_view bytes);

// Flushes to disk the folder that holds `path`, after a file was made or renamed there: a name lives
// in its folder, and without this a power cut could lose the new file or bring back the old one.
// Best effort: a folder that cannot be opened is left alone.
void SyncFolderOf(const std::string& path);
#endif

}  // namespace base
