#pragma once

// The two program-wide lists of domain names that window texts and built-in texts are looked up
// through. Engine start-up creates each holding "default"; shutdown destroys them. Each lookup holds
// its list's read lock while it tries the domains.

#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

namespace i18n {

class TGnuGettextInstance;

class TDomainList {
public:
    void Create(std::vector<std::string> names);
    void Destroy();
    bool Exists() const;

    // The first translation of `text` that differs from it, trying each domain in order with `engine`
    // (the program's engine when nullptr). `text` when it is empty, when no domain translates it, or
    // when the list or the engine does not exist.
    std::string Lookup(std::string_view text, TGnuGettextInstance* engine) const;

private:
    // The lock outlives the list so that a lookup racing with shutdown never waits on a destroyed lock.
    mutable std::shared_mutex lock_;
    std::optional<std::vector<std::string>> names_;
};

TDomainList& WindowTextDomains();
TDomainList& BuiltInTextDomains();

// A built-in text of the runtime or of the toolkit, looked up through BuiltInTextDomains with the
// program's engine; `text` itself when there is no translation, before start-up and after shutdown.
std::string LookupBuiltInText(std::string_view text);

}  // namespace i18n
