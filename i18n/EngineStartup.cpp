#include "i18n/EngineStartup.h"

#include <atomic>
#include <memory>
#include <mutex>

#include "i18n/BuiltInTextHooks.h"
#include "i18n/DomainLists.h"
#include "i18n/Errors.h"
#include "i18n/FileLocator.h"
#include "i18n/WindowTranslation.h"
#include "sms/BuiltInTexts.h"

namespace i18n {

namespace {

struct EngineState {
    std::string ProgramFileName;
    std::unique_ptr<TFileLocator> Locator;
    std::unique_ptr<TGnuGettextInstance> Engine;
    std::unique_ptr<THook<sms::ResStringLoader>> ResStringHook;
    std::unique_ptr<THook<sms::StringLoader>> StringHook;
    std::unique_ptr<THook<sms::FormatStringLoader>> FormatHook;
};

EngineState& State() {
    static EngineState state;
    return state;
}

// Start-up and shutdown run on the window's thread, but the built-in-text loaders (and Qt's texts
// through them) may ask for the engine and its creator thread from any thread.
std::atomic<TGnuGettextInstance*> runningEngine{nullptr};
std::atomic<std::thread::id> creatorThread{};

}  // namespace

void StartEngine(const std::string& programFileName, LocaleSource& locale, MessageSink& messages) {
    EngineState& s = State();
    if (s.Engine) {
        throw EGGProgrammingError("The localization engine is running already.");
    }
    s.ProgramFileName = programFileName;
    s.Locator = std::make_unique<TFileLocator>(programFileName);
    BuiltInTextDomains().Create({"default"});
    WindowTextDomains().Create({"default"});
    s.Engine = std::make_unique<TGnuGettextInstance>(*s.Locator, programFileName, locale, messages);
    s.Engine->TP_GlobalIgnoreClassProperty(ComponentClass(), "Name");
    s.Engine->TP_GlobalIgnoreClassProperty(CollectionClass(), "PropName");
    creatorThread.store(s.Engine->CreatorThreadId());
    runningEngine.store(s.Engine.get());
    // Strings are fetched as UTF-16 and converted, as the toolkit's own texts are.
    SetWideResources(true);
    s.ResStringHook =
        std::make_unique<THook<sms::ResStringLoader>>(sms::ResStringLoaderSlot(), &ReplacementLoadResString);
    s.StringHook = std::make_unique<THook<sms::StringLoader>>(sms::StringLoaderSlot(), &ReplacementLoadStr);
    s.FormatHook = std::make_unique<THook<sms::FormatStringLoader>>(sms::FormatStringLoaderSlot(),
                                                                    &ReplacementFmtLoadStr);
    s.ResStringHook->Enable();
    s.StringHook->Enable();
    s.FormatHook->Enable();
}

void ShutdownEngine() {
    EngineState& s = State();
    if (!s.Engine) {
        return;
    }
    runningEngine.store(nullptr);
    s.Engine.reset();
    BuiltInTextDomains().Destroy();
    WindowTextDomains().Destroy();
    s.FormatHook.reset();
    s.StringHook.reset();
    s.ResStringHook.reset();
    creatorThread.store(std::thread::id{});
    s.Locator.reset();
    s.ProgramFileName.clear();
}

TGnuGettextInstance* DefaultInstancePointer() noexcept {
    return runningEngine.load();
}

bool EngineRunning() noexcept {
    return DefaultInstancePointer() != nullptr;
}

TGnuGettextInstance& DefaultInstance() {
    TGnuGettextInstance* engine = DefaultInstancePointer();
    if (engine == nullptr) {
        throw EGGProgrammingError("The localization engine is not running.");
    }
    return *engine;
}

std::string ProgramFileName() {
    return State().ProgramFileName;
}

std::thread::id EngineCreatorThread() noexcept {
    return creatorThread.load();
}

std::string Translate(std::string_view msgid) {
    TGnuGettextInstance* engine = DefaultInstancePointer();
    return engine != nullptr ? engine->Translate(msgid) : std::string(msgid);
}

void TranslateComponent(const ObjectPtr& component, std::string_view domain) {
    DefaultInstance().TranslateComponent(component, domain);
}

void RetranslateComponent(const ObjectPtr& component) {
    DefaultInstance().RetranslateComponent(component);
}

}  // namespace i18n
