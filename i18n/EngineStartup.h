#pragma once

// Start-up and shutdown of the program's single localization engine, and the program-wide shortcuts
// to it.
//
// StartEngine(programFileName, locale, messages), on the user-interface thread before any window:
//   records the program file name, creates the catalog locator, the domain lists BuiltInTextDomains and
//   WindowTextDomains (each holding "default"), the engine (automatic language, domain "default" bound
//   to the program's folder + "locale", the skip rules TComponent.Name and TCollection.PropName), and
//   switches the three built-in-text loaders to the engine. `locale` and `messages` must outlive the
//   engine. Throws EGGProgrammingError when the engine runs already.
// ShutdownEngine(), after the last window is gone: destroys the engine, the domain lists, the loader
//   redirections (restoring the loaders), the locator. Afterwards every lookup returns its input.
//   Does nothing when the engine is not running.

#include <string>
#include <string_view>
#include <thread>

#include "i18n/GnuGettextInstance.h"
#include "i18n/ObjectAccess.h"

namespace i18n {

void StartEngine(const std::string& programFileName, LocaleSource& locale, MessageSink& messages);
void ShutdownEngine();

// Runs StartEngine on construction and ShutdownEngine on destruction.
class EngineSession {
public:
    EngineSession(const std::string& programFileName, LocaleSource& locale, MessageSink& messages) {
        StartEngine(programFileName, locale, messages);
    }
    ~EngineSession() { ShutdownEngine(); }
    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;
};

// The running engine. DefaultInstance throws EGGProgrammingError when the engine is not running.
TGnuGettextInstance& DefaultInstance();
TGnuGettextInstance* DefaultInstancePointer() noexcept;
bool EngineRunning() noexcept;

// The full path of the program file given at start-up; empty when the engine is not running.
std::string ProgramFileName();
// The thread that started the engine; a default id when the engine is not running.
std::thread::id EngineCreatorThread() noexcept;

// Shortcuts to the running engine. Translate returns `msgid` itself when the engine is not running.
std::string Translate(std::string_view msgid);
void TranslateComponent(const ObjectPtr& component, std::string_view domain = {});
void RetranslateComponent(const ObjectPtr& component);

}  // namespace i18n
