#include "i18n/LocaleIdentifiers.h"

#include <array>
#include <utility>

#include "base/AsciiText.h"

namespace i18n {

namespace {

using Entry = std::pair<unsigned, std::string_view>;

// The automatic choice's own table; its answers must not change, so the Chinese identifiers live only
// in the identifier table below.
constexpr std::array<Entry, 25> kThreadLocaleCodes{{
    {1030, "da_DK"}, {1031, "de_DE"}, {1032, "el_GR"}, {1033, "en_US"}, {1034, "es_ES"},
    {1035, "fi_FI"}, {1036, "fr_FR"}, {1039, "is_IS"}, {1040, "it_IT"}, {1042, "ko_KO"},
    {1043, "nl_NL"}, {1044, "nb_NO"}, {1045, "pl_PL"}, {1046, "pt_BR"}, {1049, "ru_RU"},
    {1053, "sv_SE"}, {2057, "en_GB"}, {2060, "fr_BE"}, {2067, "nl_BE"}, {2068, "nn_NO"},
    {2070, "pt_PT"}, {2077, "sv_FI"}, {3082, "es_ES"}, {3084, "fr_CA"}, {4103, "de_LU"},
}};

// The identifier of each code; where two identifiers share a code, the first one listed is its answer.
constexpr std::array<Entry, 28> kLocaleIds{{
    {2052, "zh_CN"}, {1028, "zh_TW"}, {3076, "zh_HK"}, {1030, "da_DK"}, {1031, "de_DE"}, {1032, "el_GR"},
    {1033, "en_US"}, {1034, "es_ES"}, {1035, "fi_FI"}, {1036, "fr_FR"}, {1039, "is_IS"}, {1040, "it_IT"},
    {1042, "ko_KO"}, {1043, "nl_NL"}, {1044, "nb_NO"}, {1045, "pl_PL"}, {1046, "pt_BR"}, {1049, "ru_RU"},
    {1053, "sv_SE"}, {2057, "en_GB"}, {2060, "fr_BE"}, {2067, "nl_BE"}, {2068, "nn_NO"}, {2070, "pt_PT"},
    {2077, "sv_FI"}, {3082, "es_ES"}, {3084, "fr_CA"}, {4103, "de_LU"},
}};

}  // namespace

std::string_view LanguageCodeForThreadLocale(unsigned localeId) noexcept {
    for (const auto& [id, code] : kThreadLocaleCodes) {
        if (id == localeId) {
            return code;
        }
    }
    return "C";
}

unsigned LocaleIdForCode(std::string_view code) noexcept {
    for (const auto& [id, known] : kLocaleIds) {
        if (base::EqualsIgnoringAsciiCase(known, code)) {
            return id;
        }
    }
    return 0;
}

}  // namespace i18n
