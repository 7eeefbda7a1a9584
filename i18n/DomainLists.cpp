#include "i18n/DomainLists.h"

#include <mutex>

#include "i18n/EngineStartup.h"
#include "i18n/GnuGettextInstance.h"
#include "i18n/WindowTranslation.h"

namespace i18n {

void TDomainList::Create(std::vector<std::string> names) {
    std::unique_lock lock(lock_);
    names_ = std::move(names);
}

void TDomainList::Destroy() {
    std::unique_lock lock(lock_);
    names_.reset();
}

bool TDomainList::Exists() const {
    std::shared_lock lock(lock_);
    return names_.has_value();
}

std::string TDomainList::Lookup(std::string_view text, TGnuGettextInstance* engine) const {
    if (text.empty()) {
        return {};
    }
    std::shared_lock lock(lock_);
    if (engine == nullptr) {
        engine = DefaultInstancePointer();
    }
    if (!names_ || engine == nullptr) {
        return std::string(text);
    }
    for (const std::string& domain : *names_) {
        std::string result = engine->TranslateInDomain(domain, text);
        if (result != text) {
            return result;
        }
    }
    return std::string(text);
}

TDomainList& WindowTextDomains() {
    static TDomainList list;
    return list;
}

TDomainList& BuiltInTextDomains() {
    static TDomainList list;
    return list;
}

std::string LookupBuiltInText(std::string_view text) {
    return BuiltInTextDomains().Lookup(text, nullptr);
}

std::string LookupWindowText(std::string_view text, TGnuGettextInstance* engine) {
    return WindowTextDomains().Lookup(text, engine);
}

}  // namespace i18n
