#include "i18n/ObjectAccess.h"

#include <cctype>

namespace i18n {

bool TClassInfo::InheritsFrom(const TClassInfo& other) const noexcept {
    for (const TClassInfo* c = this; c != nullptr; c = c->Parent) {
        if (c == &other) {
            return true;
        }
    }
    return false;
}

const TClassInfo& ComponentClass() {
    static const TClassInfo info{"TComponent", nullptr};
    return info;
}

const TClassInfo& CollectionClass() {
    static const TClassInfo info{"TCollection", nullptr};
    return info;
}

std::string UpperCaseAscii(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

std::string TLineListAccess::BlockText() const {
    std::string block;
    for (const std::string& line : Lines()) {
        block += line;
        block += "\r\n";
    }
    return block;
}

void TLineListAccess::SetBlockText(const std::string& text) {
    ReplaceLines(SplitLines(text));
}

}  // namespace i18n
