#pragma once

// One loaded GNU MO catalog and the lookup of a message identifier in it.
//
// The catalog is checked completely when it is loaded: the 28-byte header, both string tables and every
// string (offset + length + its NUL) must lie inside the data. After that a lookup reads only bytes known
// to be there, parses nothing and allocates nothing.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace i18n {

class TMoFile {
public:
    struct LookupResult {
        // The translation when found (a view into the catalog, valid while the catalog lives);
        // otherwise the identifier that was asked for.
        std::string_view Text;
        bool Found = false;
    };

    // A private copy of an in-memory catalog (a catalog held by the program). `fileName` names the
    // catalog in error messages. Throws EGGIOError "This file is not a valid GNU gettext mo file: " +
    // fileName when the bytes are not a sound MO catalog.
    TMoFile(std::span<const std::byte> bytes, const std::string& fileName);

    // The catalog that starts at `offset` of the disk file `fileName` and is `size` bytes long (size 0:
    // up to the end of the file), read whole into memory rather than mapped: a mapped file that another
    // program truncates while it is in use (msgfmt rewrites its output in place) would kill the process
    // with SIGBUS at the next access to a lost page. Throws EGGIOError:
    //   "Cannot open file " + fileName                 it cannot be opened or is not a regular file;
    //   "Cannot create memory map on file " + fileName its size cannot be read or exceeds kMaxFileSize;
    //   "Cannot map file " + fileName + " into memory. Reason: " + the system's text for a read error;
    //   "This file is not a valid GNU gettext mo file: " + fileName when the range lies outside the file
    //   or its bytes are not a sound MO catalog.
    TMoFile(const std::string& fileName, std::int64_t offset, std::int64_t size);

    // Largest file taken as a catalog; a larger one is refused instead of filling the memory.
    static constexpr std::size_t kMaxFileSize = std::size_t{64} * 1024 * 1024;

    ~TMoFile();
    TMoFile(const TMoFile&) = delete;
    TMoFile& operator=(const TMoFile&) = delete;

    // SearchIdentifiers (i18n/MoSearch.h) over the sorted identifier table. The hash table of the file
    // is not used. Never throws.
    LookupResult Lookup(std::string_view msgid) const noexcept;

    bool SwapBytes() const noexcept { return swapBytes_; }
    std::uint32_t EntryCount() const noexcept { return entryCount_; }
    std::uint32_t IdentifiersOffset() const noexcept { return identifiersOffset_; }
    std::uint32_t TranslationsOffset() const noexcept { return translationsOffset_; }
    // The largest power of two not above EntryCount (0 for an empty catalog), and half of it.
    std::uint32_t FirstProbe() const noexcept { return firstProbe_; }
    std::int32_t FirstStep() const noexcept { return firstStep_; }

    // Number of holders; changed only by TFileLocator under its lock, which is what keeps it consistent.
    int UserCount() const noexcept { return userCount_; }
    int AddUser() noexcept { return ++userCount_; }
    int RemoveUser() noexcept { return --userCount_; }

private:
    void Load(const std::string& fileName);
    std::uint32_t Word(std::size_t offset) const noexcept;
    std::string_view String(std::uint32_t tableOffset, std::uint32_t index) const noexcept;

    std::string bytes_;  // the catalog, or the whole file that holds it
    const std::byte* data_ = nullptr;
    std::size_t size_ = 0;
    bool swapBytes_ = false;
    std::uint32_t entryCount_ = 0;
    std::uint32_t identifiersOffset_ = 0;
    std::uint32_t translationsOffset_ = 0;
    std::uint32_t firstProbe_ = 0;
    std::int32_t firstStep_ = 0;
    int userCount_ = 0;
};

}  // namespace i18n
