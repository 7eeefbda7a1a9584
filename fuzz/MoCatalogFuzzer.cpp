// Fuzzes the MO catalog reader: arbitrary bytes are loaded as a catalog held in memory and as a file
// on disk. A catalog that loads must answer every lookup without reading outside its bytes; when its
// identifier table is strictly sorted (as every sound catalog is), every identifier must be found
// with its own translation.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include <sys/mman.h>
#include <unistd.h>

#include "i18n/Errors.h"
#include "i18n/MoFile.h"

namespace {

// Table entry `index` (1-based) read straight from the bytes. Only called for a catalog that loaded,
// which promises that every entry and its string lie inside the data.
std::string_view Entry(std::span<const std::byte> data, bool swap, std::uint32_t table, std::uint32_t index) {
    const auto word = [&](std::size_t at) {
        std::uint32_t value;
        std::memcpy(&value, data.data() + at, sizeof value);
        return swap ? __builtin_bswap32(value) : value;
    };
    const std::size_t at = table + std::size_t{8} * (index - 1);
    return {reinterpret_cast<const char*>(data.data()) + word(at + 4), word(at)};
}

bool StrictlySorted(std::span<const std::byte> data, const i18n::TMoFile& catalog) {
    for (std::uint32_t i = 2; i <= catalog.EntryCount(); ++i) {
        const std::string_view a = Entry(data, catalog.SwapBytes(), catalog.IdentifiersOffset(), i - 1);
        const std::string_view b = Entry(data, catalog.SwapBytes(), catalog.IdentifiersOffset(), i);
        if (!(a < b)) {
            return false;
        }
    }
    return true;
}

void Check(std::span<const std::byte> data, const i18n::TMoFile& catalog) {
    volatile std::size_t sink = 0;
    // Lookups of identifiers the catalog may or may not have: their answers are read whole, so a view
    // pointing outside the catalog shows up under AddressSanitizer.
    for (const std::string_view probe : {"", "Port", "Prompt", "Static IP", "\xff\xff\xff", "zzzz"}) {
        const i18n::TMoFile::LookupResult result = catalog.Lookup(probe);
        for (const char c : result.Text) {
            sink = sink + static_cast<unsigned char>(c);
        }
        if (!result.Found && result.Text != probe) {
            std::abort();
        }
    }
    if (catalog.EntryCount() > 4096) {
        return;
    }
    const bool sorted = StrictlySorted(data, catalog);
    for (std::uint32_t i = 1; i <= catalog.EntryCount(); ++i) {
        const std::string_view id = Entry(data, catalog.SwapBytes(), catalog.IdentifiersOffset(), i);
        const i18n::TMoFile::LookupResult result = catalog.Lookup(id);
        for (const char c : result.Text) {
            sink = sink + static_cast<unsigned char>(c);
        }
        if (sorted && (!result.Found ||
                       result.Text != Entry(data, catalog.SwapBytes(), catalog.TranslationsOffset(), i))) {
            std::abort();
        }
    }
}

// The same bytes as a disk catalog: an anonymous in-memory file reached through its /proc path.
void CheckOnDisk(std::span<const std::byte> data) {
    const int fd = ::memfd_create("catalog", MFD_CLOEXEC);
    if (fd < 0) {
        return;
    }
    if (::write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size())) {
        try {
            const i18n::TMoFile catalog("/proc/self/fd/" + std::to_string(fd), 0, 0);
            catalog.Lookup("Port");
        } catch (const i18n::EGGIOError&) {
        }
    }
    ::close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::span<const std::byte> data(reinterpret_cast<const std::byte*>(bytes), size);
    try {
        const i18n::TMoFile catalog(data, "fuzz.mo");
        // The catalog keeps a private copy, so the checks read the input and the copy side by side.
        Check(data, catalog);
    } catch (const i18n::EGGIOError&) {
    }
    // The disk path costs a few system calls; every 16th input is enough to keep it covered.
    if (size % 16 == 0) {
        CheckOnDisk(data);
    }
    return 0;
}
