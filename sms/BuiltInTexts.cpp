#include "sms/BuiltInTexts.h"

#include <algorithm>
#include <cstring>

#include "sms/UnicodeText.h"

namespace sms {

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
