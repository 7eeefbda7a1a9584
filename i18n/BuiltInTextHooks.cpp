#include "i18n/BuiltInTextHooks.h"

#include <thread>

#include "i18n/DomainLists.h"
#include "i18n/EngineStartup.h"

namespace i18n {

namespace {

std::atomic<bool> wideResources{true};

std::string FetchWide(const sms::ResStringRec& rec) {
    std::u16string buffer(1024, u'\0');
    for (;;) {
        std::size_t length = rec.Module->LoadWide(rec.Identifier, buffer.data(), buffer.size());
        // A text that fills the buffer up to its last two code units may have been cut.
        if (length + 2 <= buffer.size()) {
            buffer.resize(length);
            return sms::Utf16ToUtf8(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string FetchNarrow(const sms::StringModule& module, unsigned id) {
    std::string buffer(1024, '\0');
    buffer.resize(module.LoadNarrow(id, buffer.data(), buffer.size()));
    return buffer;
}

}  // namespace

void SetWideResources(bool wide) noexcept {
    wideResources.store(wide);
}

std::string ReplacementLoadResString(const sms::ResStringRec& rec) {
    if (rec.Identifier >= 65536) {
        return "ERROR";
    }
    if (rec.Module == nullptr) {
        return {};
    }
    std::string text = wideResources.load() ? FetchWide(rec) : FetchNarrow(*rec.Module, rec.Identifier);
    if (std::this_thread::get_id() == EngineCreatorThread()) {
        text = LookupBuiltInText(text);
    }
    return text;
}

std::string ReplacementLoadStr(unsigned id) {
    for (const sms::StringModule* module : sms::ResourceModules()) {
        std::string text = FetchNarrow(*module, id);
        if (!text.empty()) {
            return LookupBuiltInText(text);
        }
    }
    return {};
}

std::string ReplacementFmtLoadStr(unsigned id, const std::vector<sms::FormatArg>& args) {
    return sms::FormatText(ReplacementLoadStr(id), args);
}

}  // namespace i18n
