#pragma once

// A whole disk file mapped read-only into memory, unmapped when the object goes.

#include <cstddef>
#include <span>
#include <string>

namespace i18n {

class MappedFile {
public:
    // Maps `fileName` read-only. A zero-length file gives an empty view and no mapping.
    // Throws EGGIOError:
    //   "Cannot open file " + fileName                 the file cannot be opened or is not a regular file;
    //   "Cannot create memory map on file " + fileName its size cannot be read or does not fit in memory;
    //   "Cannot map file " + fileName + " into memory. Reason: " + the system's text for the error.
    explicit MappedFile(const std::string& fileName);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    std::span<const std::byte> Data() const noexcept { return {static_cast<const std::byte*>(view_), size_}; }

private:
    void* view_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace i18n
