#pragma once

// The bytes of a catalog file on disk, read whole into a private buffer.
//
// The file is read rather than mapped: a mapped file that another program truncates while it is in
// use (msgfmt rewrites its output in place) makes every later access to the lost pages kill the
// process with SIGBUS. Catalogs are a few kilobytes, so a copy costs nothing worth saving.

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace i18n {

class CatalogFileBytes {
public:
    // Largest file taken as a catalog; a larger one is refused instead of filling the memory.
    static constexpr std::size_t kMaxSize = 64 * 1024 * 1024;

    // Reads `fileName` whole. A zero-length file gives no bytes.
    // Throws EGGIOError:
    //   "Cannot open file " + fileName                 the file cannot be opened or is not a regular file;
    //   "Cannot create memory map on file " + fileName its size cannot be read or exceeds kMaxSize;
    //   "Cannot map file " + fileName + " into memory. Reason: " + the system's text for a read error.
    explicit CatalogFileBytes(const std::string& fileName);

    std::span<const std::byte> Data() const noexcept { return bytes_; }

private:
    std::vector<std::byte> bytes_;
};

}  // namespace i18n
