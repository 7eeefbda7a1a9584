#include "i18n/BuiltInTextHooks.h"

#include <thread>

#include "i18n/DomainLists.h"
#include "i18n/EngineStartup.h"

namespace i18n {

namespace {

// Set at start-up, read by the loaders on whatever thread fetches a text.
std::atomic<bool> wideResources{true};

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
    std::string text = wideResources.load() ? sms::FetchWideText(*rec.Module, rec.Identifier)
                                            : sms::FetchNarrowText(*rec.Module, rec.Identifier);
    if (std::this_thread::get_id() == EngineCreatorThread()) {
        text = LookupBuiltInText(text);
    }
    return text;
}

std::string ReplacementLoadStr(unsigned id) {
    return LookupBuiltInText(sms::DefaultLoadStr(id));
}

std::string ReplacementFmtLoadStr(unsigned id, const std::vector<base::FormatArg>& args) {
    return base::FillPlaceholders(ReplacementLoadStr(id), args);
}

}  // namespace i18n
