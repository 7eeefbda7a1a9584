#include "i18n/WindowTranslation.h"

#include <deque>
#include <exception>
#include <set>

#include "base/AsciiText.h"
#include "i18n/Errors.h"

namespace i18n {

const char* const kSecondTranslateMessage =
    "This application tried to switch the language, but in an incorrect way. The programmer needs to "
    "replace a call to TranslateComponent with a call to RetranslateComponent(). The programmer should "
    "see the localization engine's documentation for more information.";

const char* const kRetranslateUntranslatedMessage =
    "Retranslate was called on an object that has not been translated before. Please use "
    "TranslateComponent() before RetranslateComponent().";

std::string ComponentErrorMessage(const std::string& className, const std::string& propertyName,
                                  const std::string& reason) {
    return "Property cannot be translated.\r\nAdd TP_GlobalIgnoreClassProperty(" + className + ",'" +
           propertyName + "') to your source code or use\r\nTP_Ignore (self,'." + propertyName +
           "') to prevent this message.\r\nReason: " + reason;
}

TGnuGettextComponentMarker* FindMarker(const ObjectPtr& component) {
    if (!component) {
        return nullptr;
    }
    TComponentAccess* access = component->AsComponent();
    if (access == nullptr) {
        return nullptr;
    }
    ObjectPtr found = access->FindComponent(kMarkerName);
    return found ? found->AsMarker() : nullptr;
}

namespace {

bool OwnsMarker(const ObjectPtr& object) {
    return FindMarker(object) != nullptr;
}

std::string LookupLine(TGnuGettextInstance* engine, std::string_view domain, const std::string& text) {
    if (!domain.empty()) {
        return engine->TranslateInDomain(domain, text);
    }
    return LookupWindowText(text, nullptr);
}

std::set<std::string> SkipSet(const TGnuGettextInstance& engine, const TClassInfo& cls) {
    std::set<std::string> skip;
    for (const TClassMode& rule : engine.GlobalClassRules) {
        if (cls.InheritsFrom(*rule.RuleClass)) {
            skip.insert(rule.IgnoredProperties.begin(), rule.IgnoredProperties.end());
        }
    }
    return skip;
}

void TranslateTextProperty(TGnuGettextInstance& engine, TObjectAccess& object, const PropertyInfo& property,
                           std::deque<ObjectPtr>& queue, std::string_view domain, const ObjectPtr& self) {
    try {
        if (property.Kind == PropertyKind::Object) {
            ObjectPtr referred = object.ReadObject(property.Name);
            if (referred && !OwnsMarker(referred)) {
                queue.push_back(std::move(referred));
            }
            return;
        }
        std::string old = object.ReadText(property.Name);
        if (old.empty() || !property.Writable) {
            return;
        }
        if (engine.PassRetranslator != nullptr) {
            engine.PassRetranslator->RecordUntranslated(self, property.Name, old);
        }
        std::string translated = LookupLine(&engine, domain, old);
        if (translated != old) {
            object.WriteText(property.Name, translated);
        }
    } catch (const std::exception& e) {
        const TClassInfo* cls = object.Class();
        throw EGGComponentError(
            ComponentErrorMessage(cls != nullptr ? cls->Name : std::string(), property.Name, e.what()));
    }
}

// Runs `change` inside the update bracket of `lines`, which is closed however the change ends.
template <typename Change>
void WithinUpdate(TLineListAccess& lines, Change change) {
    lines.BeginUpdate();
    try {
        change();
    } catch (...) {
        lines.EndUpdate();
        throw;
    }
    lines.EndUpdate();
}

// Leaves the engine without a running pass however the pass ends.
class PassScope {
public:
    explicit PassScope(TGnuGettextInstance& engine) : engine_(engine) {}
    ~PassScope() { engine_.PassRetranslator = nullptr; }
    PassScope(const PassScope&) = delete;
    PassScope& operator=(const PassScope&) = delete;

private:
    TGnuGettextInstance& engine_;
};

// Translates the text properties and lines of `object` and queues the objects it refers to, holds and
// owns (those that own a marker of their own excepted).
void TranslateObject(TGnuGettextInstance& engine, const ObjectPtr& object, std::string_view domain,
                     std::deque<ObjectPtr>& queue) {
    const std::set<std::string> skip = SkipSet(engine, *object->Class());
    for (const PropertyInfo& property : object->Properties()) {
        if (property.Kind != PropertyKind::Other && !skip.contains(base::UpperCaseAscii(property.Name))) {
            TranslateTextProperty(engine, *object, property, queue, domain, object);
        }
    }
    if (TLineListAccess* lines = object->AsLineList()) {
        std::string block = lines->BlockText();
        if (!block.empty() && engine.PassRetranslator != nullptr) {
            engine.PassRetranslator->RecordUntranslated(object, "Text", block);
        }
        TranslateLines(&engine, *lines, domain);
    }
    if (TCollectionAccess* collection = object->AsCollection()) {
        for (ObjectPtr& item : collection->Items()) {
            queue.push_back(std::move(item));
        }
    }
    if (TComponentAccess* component = object->AsComponent()) {
        for (ObjectPtr& owned : component->OwnedComponents()) {
            if (!OwnsMarker(owned)) {
                queue.push_back(std::move(owned));
            }
        }
    }
}

}  // namespace

void TranslateLines(TGnuGettextInstance* engine, TLineListAccess& lines, std::string_view domain) {
    std::vector<std::string> copy = lines.Lines();
    if (copy.empty()) {
        return;
    }
    WithinUpdate(lines, [&] {
        for (std::string& line : copy) {
            if (!line.empty()) {
                line = LookupLine(engine, domain, line);
            }
        }
        lines.ReplaceLines(copy);
    });
}

void TranslateObjectTree(TGnuGettextInstance& engine, const ObjectPtr& root, std::string_view domain) {
    PassScope scope(engine);
    if (engine.PassRetranslator != nullptr) {
        engine.PassRetranslator->DomainName = domain.empty() ? engine.CurrentDomain() : std::string(domain);
    }
    std::deque<ObjectPtr> queue{root};
    std::set<ObjectIdentity> visited;
    while (!queue.empty()) {
        ObjectPtr object = std::move(queue.front());
        queue.pop_front();
        if (object && object->Class() != nullptr && visited.insert(object->Identity()).second) {
            TranslateObject(engine, object, domain, queue);
        }
    }
}

void TTP_Retranslator::RecordUntranslated(ObjectPtr target, std::string propertyName,
                                          std::string untranslatedText) {
    Entries.push_back({std::move(target), std::move(propertyName), std::move(untranslatedText)});
}

void TTP_Retranslator::Replay() {
    for (const TTP_RetranslatorItem& entry : Entries) {
        TGnuGettextComponentMarker* marker = FindMarker(entry.Target);
        if (marker != nullptr && marker->Retranslation && marker->Retranslation.get() != this) {
            marker->Retranslation->Replay();
            continue;
        }
        if (TLineListAccess* lines = entry.Target->AsLineList()) {
            TStringLines scratch(SplitLines(entry.UntranslatedText));
            TranslateLines(&Engine, scratch, DomainName);
            WithinUpdate(*lines, [&] { lines->SetBlockText(scratch.BlockText()); });
            continue;
        }
        std::string translated = (DomainName.empty() || DomainName == "default")
                                     ? LookupWindowText(entry.UntranslatedText, &Engine)
                                     : Engine.TranslateInDomain(DomainName, entry.UntranslatedText);
        entry.Target->WriteText(entry.PropertyName, translated);
    }
}

void TGnuGettextInstance::TranslateComponent(const ObjectPtr& component, std::string_view domain) {
    if (!component || component->AsComponent() == nullptr) {
        throw EGGProgrammingError("TranslateComponent needs a component.");
    }
    TGnuGettextComponentMarker* marker = FindMarker(component);
    if (marker == nullptr) {
        auto created = std::make_unique<TGnuGettextComponentMarker>();
        created->Retranslation = std::make_unique<TTP_Retranslator>(*this);
        PassRetranslator = created->Retranslation.get();
        TranslateObjectTree(*this, component, domain);
        marker = created.get();
        component->AsComponent()->InsertComponent(std::move(created));
    } else if (marker->LanguageOfLastPass != CurrentLanguage()) {
        Messages().ShowMessage("Error", kSecondTranslateMessage);
    }
    marker->LanguageOfLastPass = CurrentLanguage();
}

// Not const, although it changes no member directly: the replay looks texts up in this engine, which
// opens and keeps catalogs.
// NOLINTNEXTLINE(*-make-member-function-const)
void TGnuGettextInstance::RetranslateComponent(const ObjectPtr& component) {
    TGnuGettextComponentMarker* marker = FindMarker(component);
    if (marker == nullptr) {
        throw EGGProgrammingError(kRetranslateUntranslatedMessage);
    }
    if (marker->LanguageOfLastPass != CurrentLanguage()) {
        marker->Retranslation->Replay();
    }
    marker->LanguageOfLastPass = CurrentLanguage();
}

void TGnuGettextInstance::TP_GlobalIgnoreClassProperty(const TClassInfo& cls, std::string_view propertyName) {
    std::string name = base::UpperCaseAscii(propertyName);
    for (auto it = GlobalClassRules.begin(); it != GlobalClassRules.end(); ++it) {
        if (it->RuleClass == &cls) {
            it->IgnoredProperties.insert(name);
            return;
        }
        if (cls.InheritsFrom(*it->RuleClass)) {
            GlobalClassRules.insert(it, TClassMode{&cls, {name}});
            return;
        }
    }
    GlobalClassRules.push_back(TClassMode{&cls, {name}});
}

}  // namespace i18n
