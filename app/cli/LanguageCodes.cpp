#include "app/cli/LanguageCodes.h"

#include <array>

namespace app {

namespace {

constexpr std::array<const char*, 4> kLanguageCodes{"", "en", "zh_cn", "zh_tw"};

}  // namespace

bool IsLanguageNumber(int number) {
    return number >= 0 && number < static_cast<int>(kLanguageCodes.size());
}

std::string LanguageCodeOf(int number) {
    return IsLanguageNumber(number) ? kLanguageCodes[static_cast<std::size_t>(number)] : "";
}

int LanguageNumberOfLangId(unsigned langId) {
    switch (langId) {
        case 1028:
            return 3;
        case 1033:
            return 1;
        case 2052:
            return 2;
        default:
            return 0;
    }
}

}  // namespace app
