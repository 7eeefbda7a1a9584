#include "sms/BuiltInTexts.h"

#include <algorithm>
#include <cstring>

namespace sms {

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        char32_t cp = 0xFFFD;
        std::size_t length = byte < 0x80         ? 1
                             : (byte >> 5) == 6  ? 2
                             : (byte >> 4) == 14 ? 3
                             : (byte >> 3) == 30 ? 4
                                                 : 0;
        if (length == 1) {
            cp = byte;
        } else if (length > 1 && i + length <= text.size()) {
            cp = byte & (0x7F >> length);
            for (std::size_t k = 1; k < length; ++k) {
                auto next = static_cast<unsigned char>(text[i + k]);
                if ((next & 0xC0) != 0x80) {
                    cp = 0xFFFD;
                    length = k;
                    break;
                }
                cp = (cp << 6) | (next & 0x3F);
            }
        } else {
            length = 1;
        }
        i += length;
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp > 0x10FFFF ? 0xFFFD : cp));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::size_t StringModule::LoadWide(unsigned id, char16_t* buffer, std::size_t capacity) const {
    auto it = strings_.find(id);
    if (it == strings_.end() || capacity == 0) {
        return 0;
    }
    std::u16string wide = Utf8ToUtf16(it->second);
    std::size_t count = std::min(wide.size(), capacity - 1);
    std::copy_n(wide.begin(), count, buffer);
    buffer[count] = u'\0';
    return count;
}

std::size_t StringModule::LoadNarrow(unsigned id, char* buffer, std::size_t capacity) const {
    auto it = strings_.find(id);
    if (it == strings_.end() || capacity == 0) {
        return 0;
    }
    std::size_t count = std::min(it->second.size(), capacity - 1);
    std::memcpy(buffer, it->second.data(), count);
    buffer[count] = '\0';
    return count;
}

std::string FetchWideText(const StringModule& module, unsigned id) {
    std::u16string buffer(1024, u'\0');
    for (;;) {
        const std::size_t length = module.LoadWide(id, buffer.data(), buffer.size());
        // A text that fills the buffer up to its last two code units may have been cut.
        if (length + 2 <= buffer.size()) {
            buffer.resize(length);
            return Utf16ToUtf8(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string FetchNarrowText(const StringModule& module, unsigned id) {
    std::string buffer(1024, '\0');
    buffer.resize(module.LoadNarrow(id, buffer.data(), buffer.size()));
    return buffer;
}

const StringModule& ProgramStrings() {
    static const StringModule module({{SUnableToWrite, "Unable to write to %s"}});
    return module;
}

std::vector<const StringModule*>& ResourceModules() {
    static std::vector<const StringModule*> modules{&ProgramStrings()};
    return modules;
}

std::string DefaultLoadResString(const ResStringRec& rec) {
    if (rec.Module == nullptr) {
        return {};
    }
    return FetchWideText(*rec.Module, rec.Identifier);
}

std::string DefaultLoadStr(unsigned id) {
    for (const StringModule* module : ResourceModules()) {
        std::string text = FetchNarrowText(*module, id);
        if (!text.empty()) {
            return text;
        }
    }
    return {};
}

std::string DefaultFmtLoadStr(unsigned id, const std::vector<base::FormatArg>& args) {
    return base::FillPlaceholders(DefaultLoadStr(id), args);
}

std::atomic<ResStringLoader>& ResStringLoaderSlot() {
    static std::atomic<ResStringLoader> slot{&DefaultLoadResString};
    return slot;
}

std::atomic<StringLoader>& StringLoaderSlot() {
    static std::atomic<StringLoader> slot{&DefaultLoadStr};
    return slot;
}

std::atomic<FormatStringLoader>& FormatStringLoaderSlot() {
    static std::atomic<FormatStringLoader> slot{&DefaultFmtLoadStr};
    return slot;
}

std::string LoadResString(const ResStringRec& rec) {
    return ResStringLoaderSlot().load()(rec);
}
std::string LoadStr(unsigned id) {
    return StringLoaderSlot().load()(id);
}
std::string FmtLoadStr(unsigned id, const std::vector<base::FormatArg>& args) {
    return FormatStringLoaderSlot().load()(id, args);
}

std::string UnableToWriteText(const std::string& path) {
    return FmtLoadStr(SUnableToWrite, {path});
}

}  // namespace sms
