#pragma once

// One loaded GNU MO catalog and the lookup of a message identifier in it.
//
// The catalog is checked completely when it is loaded: the 28-byte header, both string tables and every
// string (offset + length + its NUL) must lie inside the data. After that a lookup reads only bytes known
// to be there, parses nothing and allocates nothing.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace i18n {

class CatalogFileBytes;

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
    // up to the end of the file), read whole. Throws EGGIOError: the open and map errors of
    // CatalogFileBytes, or "This file is not a valid GNU gettext mo file: " + fileName when the range lies
    // outside the file or its bytes are not a sound MO catalog.
    TMoFile(const std::string& fileName, std::int64_t offset, std::int64_t size);

    ~TMoFile();
    TMoFile(const TMoFile&) = delete;
    TMoFile& operator=(const TMoFile&) = delete;

    // Binary search of the sorted identifier table (unsigned byte order, shorter string first on a common
    // prefix). The hash table of the file is not used. Never throws.
    LookupResult Lookup(std::string_view msgid) const noexcept;

    // The 1-based table indexes that Lookup compares `msgid` with, in order.
    std::vector<std::uint32_t> ProbeSequence(std::string_view msgid) const;

    bool SwapBytes() const noexcept { return swapBytes_; }
    std::uint32_t EntryCount() const noexcept { return entryCount_; }
    std::uint32_t IdentifiersOffset() const noexcept { return identifiersOffset_; }
    std::uint32_t TranslationsOffset() const noexcept { return translationsOffset_; }
    // The largest power of two not above EntryCount (0 for an empty catalog), and half of it.
    std::uint32_t FirstProbe() const noexcept { return firstProbe_; }
    std::int32_t FirstStep() const noexcept { return firstStep_; }

    // Number of holders; changed only by TFileLocator under its lock.
    int UserCount() const noexcept { return userCount_.load(std::memory_order_relaxed); }
    int AddUser() noexcept { return userCount_.fetch_add(1, std::memory_order_relaxed) + 1; }
    int RemoveUser() noexcept { return userCount_.fetch_sub(1, std::memory_order_relaxed) - 1; }

private:
    void Load(const std::string& fileName);
    std::uint32_t Word(std::size_t offset) const noexcept;
    std::string_view String(std::uint32_t tableOffset, std::uint32_t index) const noexcept;
    template <typename OnProbe>
    LookupResult Search(std::string_view msgid, OnProbe onProbe) const noexcept;

    std::vector<std::byte> buffer_;
    std::unique_ptr<CatalogFileBytes> fileBytes_;
    const std::byte* data_ = nullptr;
    std::size_t size_ = 0;
    bool swapBytes_ = false;
    std::uint32_t entryCount_ = 0;
    std::uint32_t identifiersOffset_ = 0;
    std::uint32_t translationsOffset_ = 0;
    std::uint32_t firstProbe_ = 0;
    std::int32_t firstStep_ = 0;
    std::atomic<int> userCount_{0};
};

}  // namespace i18n
