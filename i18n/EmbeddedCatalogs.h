#pragma once

// The catalogs linked into the program as named byte blocks (LOCALE_ZH_CN_DEFAULT, LOCALE_ZH_TW_DEFAULT,
// LOCALE_EN_DEFAULT, LOCALE_DEFAULT). The table is generated at build time from the compiled .po files
// under i18n/catalogs/.

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace i18n {

struct EmbeddedResource {
    const char* Name;
    const unsigned char* Data;
    std::size_t Size;
};

// Every byte block of the program, in no particular order.
std::span<const EmbeddedResource> EmbeddedResources() noexcept;

// The bytes of the block named `name` (exact, case-sensitive), or nullopt when the program has none by
// that name. The bytes live as long as the program.
std::optional<std::span<const std::byte>> FindResource(std::string_view name) noexcept;

}  // namespace i18n
