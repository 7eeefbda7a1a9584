#pragma once

// Translation of a whole window in one pass, and its later retranslation into another language from
// the recorded English texts. The window is reached only through the object-access layer
// (ObjectAccess.h); the engine operations TranslateComponent, RetranslateComponent and
// TP_GlobalIgnoreClassProperty are members of TGnuGettextInstance and are implemented here.
//
// TGnuGettextInstance::TranslateComponent(component, domain): translates every non-empty writable
//   text property reachable from `component` and records its English text; then inserts a marker
//   named "GNUgettextMarker" into the component. A component that has a marker is not walked again;
//   if its marker is from another language, the engine's MessageSink shows the "Error" message.
//   Throws EGGComponentError when a property cannot be read, looked up or written (the component then
//   has no marker), and lets errors of list translation (EGGIOError) through unchanged.
// TGnuGettextInstance::RetranslateComponent(component): replays the recorded texts in the current
//   language when it differs from the language of the last pass. Throws EGGProgrammingError when the
//   component was never translated.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/GnuGettextInstance.h"
#include "i18n/ObjectAccess.h"

namespace i18n {

inline constexpr const char* kMarkerName = "GNUgettextMarker";

// An object that can be run.
class TExecutable {
public:
    virtual ~TExecutable() = default;
    virtual void Execute() = 0;
};

struct TTP_RetranslatorItem {
    ObjectPtr Target;
    std::string PropertyName;      // "Text" for a line list
    std::string UntranslatedText;  // a line list's block text, every line followed by CR LF
};

// The recorded untranslated texts of one translated component.
class TTP_Retranslator final : public TExecutable {
public:
    explicit TTP_Retranslator(TGnuGettextInstance& engine) : Engine(engine) {}

    void RecordUntranslated(ObjectPtr target, std::string propertyName, std::string untranslatedText);
    // Writes every recorded text, translated afresh into the current language, into its property.
    void Replay();
    void Execute() override { Replay(); }

    TGnuGettextInstance& Engine;
    std::string DomainName;
    std::vector<TTP_RetranslatorItem> Entries;
};

// The component that a translated component owns; holds the language of the last pass and the list.
class TGnuGettextComponentMarker {
public:
    std::string LanguageOfLastPass;
    std::unique_ptr<TTP_Retranslator> Retranslation;
};

// The message of the "Error" box of a TranslateComponent in another language.
extern const char* const kSecondTranslateMessage;
// The message of EGGProgrammingError raised by RetranslateComponent.
extern const char* const kRetranslateUntranslatedMessage;

// The message of EGGComponentError for a property of an object of class `className`.
std::string ComponentErrorMessage(const std::string& className, const std::string& propertyName,
                                  const std::string& reason);

// The pass over `object` and everything it owns or refers to, filling engine.PassRetranslator when set.
void TranslateObjectTree(TGnuGettextInstance& engine, const ObjectPtr& root, std::string_view domain);

// Translates every non-empty line of `lines` inside its update bracket; empty lines stay empty.
void TranslateLines(TGnuGettextInstance* engine, TLineListAccess& lines, std::string_view domain);

// `text` looked up through WindowTextDomains with `engine` (the program's engine when nullptr); `text`
// itself when empty, when there is no translation, or before engine start-up and after shutdown.
std::string LookupWindowText(std::string_view text, TGnuGettextInstance* engine);

// The marker that `component` owns, or nullptr.
TGnuGettextComponentMarker* FindMarker(const ObjectPtr& component);

}  // namespace i18n
