#pragma once

// The engine's replacements for the three built-in-text loaders of sms/BuiltInTexts.h, and THook, which
// puts a replacement into a loader slot and the replaced loader back.

#include <atomic>
#include <string>
#include <vector>

#include "sms/BuiltInTexts.h"

namespace i18n {

// One redirection of a loader slot; prepared off. Switching off (also on destruction) puts back the
// loader that the slot held when the hook was created.
template <class Loader>
class THook {
public:
    THook(std::atomic<Loader>& slot, Loader replacement)
        : slot_(slot), original_(slot.load()), replacement_(replacement) {}
    ~THook() { Disable(); }
    THook(const THook&) = delete;
    THook& operator=(const THook&) = delete;

    void Enable() {
        slot_.store(replacement_);
        enabled_ = true;
    }
    void Disable() {
        if (enabled_) {
            slot_.store(original_);
            enabled_ = false;
        }
    }

private:
    std::atomic<Loader>& slot_;
    Loader original_;
    Loader replacement_;
    bool enabled_ = false;
};

// Whether string resources are fetched as wide text (set at start-up).
void SetWideResources(bool wide) noexcept;

// Resource-string loader: "ERROR" for an identifier of 65536 or more; otherwise the stored text, fetched
// whole, passed through LookupBuiltInText only on the thread that started the engine.
std::string ReplacementLoadResString(const sms::ResStringRec& rec);
// String loader by identifier: the first non-empty text among sms::ResourceModules() (cut to 1023
// bytes), passed through LookupBuiltInText on any thread.
std::string ReplacementLoadStr(unsigned id);
// Formatting loader: ReplacementLoadStr, then filled with `args` by base::FillPlaceholders.
std::string ReplacementFmtLoadStr(unsigned id, const std::vector<base::FormatArg>& args);

}  // namespace i18n
