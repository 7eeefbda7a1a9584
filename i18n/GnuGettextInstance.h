#pragma once

// The localization engine: the current language, the text domains and the lookup of English message
// identifiers in the catalog of the current language. All texts are UTF-8.

#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "i18n/ClassRules.h"

namespace i18n {

class TDomain;
class TFileLocator;
class TObjectAccess;
class TTP_Retranslator;

// Where the automatic language comes from; tests replace it.
class LocaleSource {
public:
    virtual ~LocaleSource() = default;
    // The value of the environment variable "LANG", empty when unset.
    virtual std::string LangVariable() = 0;
    // The user's locale: ISO 639 language name ("zh") and ISO 3166 country name ("CN"); either may be
    // empty or longer than two letters when the locale does not say.
    virtual std::string UserLanguageName() = 0;
    virtual std::string UserCountryName() = 0;
    // Numeric locale identifiers (2052 zh_CN, 1028 zh_TW, 1033 en_US, ...): the thread's locale and
    // the user's default language.
    virtual unsigned ThreadLocaleId() = 0;
    virtual unsigned UserDefaultLangId() = 0;
};

// The locale of this process: LANG, then LC_ALL / LC_MESSAGES for the user's locale; on Windows, LANG,
// then the user's locale in the system's settings (GetLocaleInfoW, GetThreadLocale,
// GetUserDefaultLangID).
LocaleSource& SystemLocaleSource();

// Modal messages of the engine ("Localization problem", "Error"): the window shows a message box,
// the command line writes a line to standard error, tests record them.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;
};

class TGnuGettextInstance {
public:
    // `programFileName` is the full path of the running program; the default directory is its folder
    // followed by "locale". Selects the automatic language, binds "default" to the default directory
    // and makes it the current domain. Every domain also searches InstalledCatalogDirectory() of the
    // program after its own directory. `locator`, `locale` and `messages` must outlive the engine.
    TGnuGettextInstance(TFileLocator& locator, const std::string& programFileName, LocaleSource& locale,
                        MessageSink& messages);
    ~TGnuGettextInstance();
    TGnuGettextInstance(const TGnuGettextInstance&) = delete;
    TGnuGettextInstance& operator=(const TGnuGettextInstance&) = delete;

    // TranslateInDomain(CurrentDomain(), msgid).
    std::string Translate(std::string_view msgid);
    // The translation of `msgid` in `domain` for the current language, or `msgid` itself; line breaks
    // always come back as CR LF. Throws EGGIOError for a catalog that cannot be read.
    std::string TranslateInDomain(std::string_view domain, std::string_view msgid);

    // Makes `code` the language of every later lookup, kept as written. An empty code is the automatic
    // language: the LANG variable when set, else DetectSystemLanguage(), without its part from the
    // first "." on (zh_CN.UTF-8 gives zh_CN). Closes every domain's catalog; the next lookup opens the
    // catalog of the new language. Never throws but std::bad_alloc.
    void SelectLanguage(std::string_view code);
    // Makes `directory` (a "/" is added when missing) the folder in which the catalogs of `domain` are
    // looked for, creating the domain when it is unknown, and closes its catalog.
    void BindDomainDirectory(std::string_view domain, std::string_view directory);
    // The domain that Translate looks in; nothing is created or opened until its first lookup.
    void SetCurrentDomain(std::string_view domain);
    // The domain named `domain` (compared without regard to ASCII case); an unknown one is created,
    // bound to DefaultDirectory() and set to the current language. It lives as long as the engine.
    TDomain& FindDomain(std::string_view domain);
    // The user's locale as "language_COUNTRY" when both names are two ASCII letters (language "no"
    // becomes "nb"); otherwise the code of the thread locale identifier (LanguageCodeForThreadLocale),
    // which is "C" for an identifier it does not know.
    std::string DetectSystemLanguage();

    const std::string& CurrentLanguage() const noexcept { return currentLanguage_; }
    const std::string& CurrentDomain() const noexcept { return currentDomain_; }
    const std::string& DefaultDirectory() const noexcept { return defaultDirectory_; }
    // InstalledCatalogDirectory(programFileName); empty for a program outside a "bin" folder.
    const std::string& InstalledDirectory() const noexcept { return installedDirectory_; }
    std::thread::id CreatorThreadId() const noexcept { return creatorThreadId_; }
    // The domains created so far, in creation order.
    const std::vector<std::unique_ptr<TDomain>>& Domains() const noexcept { return domains_; }
    LocaleSource& Locale() noexcept { return locale_; }
    MessageSink& Messages() noexcept { return messages_; }

    // Window translation (WindowTranslation.cpp).
    void TranslateComponent(const std::shared_ptr<TObjectAccess>& component, std::string_view domain = {});
    void RetranslateComponent(const std::shared_ptr<TObjectAccess>& component);
    void TP_GlobalIgnoreClassProperty(const TClassInfo& cls, std::string_view propertyName);
    // The skip rules and the list that the running pass records into are the engine's published
    // state, which the window-translation functions read and fill.
    std::vector<TClassMode> GlobalClassRules;      // NOLINT(*-non-private-member-variables-in-classes)
    TTP_Retranslator* PassRetranslator = nullptr;  // NOLINT(*-non-private-member-variables-in-classes)

private:
    TFileLocator& locator_;
    LocaleSource& locale_;
    MessageSink& messages_;
    std::thread::id creatorThreadId_;
    std::string currentLanguage_;
    std::string currentDomain_;
    std::string defaultDirectory_;
    std::string installedDirectory_;
    std::vector<std::unique_ptr<TDomain>> domains_;
};

}  // namespace i18n
