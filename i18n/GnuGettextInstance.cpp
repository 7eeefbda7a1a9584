#include "i18n/GnuGettextInstance.h"

#include <algorithm>
#include <iterator>

#include "base/AsciiText.h"
#include "base/ProgramPath.h"
#include "i18n/Domain.h"
#include "i18n/FileLocator.h"
#include "i18n/LocaleIdentifiers.h"

namespace i18n {

namespace {

bool IsAsciiLetter(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsTwoLetters(std::string_view name) noexcept {
    return name.size() == 2 && IsAsciiLetter(name[0]) && IsAsciiLetter(name[1]);
}

std::string WithCarriageReturns(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            result += '\r';
        }
        result += text[i];
    }
    return result;
}

}  // namespace

TGnuGettextInstance::TGnuGettextInstance(TFileLocator& locator, const std::string& programFileName,
                                         LocaleSource& locale, MessageSink& messages)
    : locator_(locator),
      locale_(locale),
      messages_(messages),
      creatorThreadId_(std::this_thread::get_id()),
      currentDomain_("default") {
    defaultDirectory_ = base::FolderWithSeparator(programFileName) + "locale";
    installedDirectory_ = InstalledCatalogDirectory(programFileName);
    SelectLanguage("");
    BindDomainDirectory("default", defaultDirectory_);
    SetCurrentDomain("default");
}

TGnuGettextInstance::~TGnuGettextInstance() = default;

std::string TGnuGettextInstance::Translate(std::string_view msgid) {
    return TranslateInDomain(currentDomain_, msgid);
}

std::string TGnuGettextInstance::TranslateInDomain(std::string_view domain, std::string_view msgid) {
    TDomain& target = FindDomain(domain);
    // Catalogs store line feeds alone; the common identifier has no carriage return and costs no copy.
    std::string stripped;
    std::string_view key = msgid;
    if (msgid.find('\r') != std::string_view::npos) {
        stripped.reserve(msgid.size());
        std::copy_if(msgid.begin(), msgid.end(), std::back_inserter(stripped),
                     [](char c) { return c != '\r'; });
        key = stripped;
    }
    const std::string_view text = target.Lookup(key).Text;
    if (text.find('\n') == std::string_view::npos) {
        return std::string(text);
    }
    return WithCarriageReturns(text);
}

void TGnuGettextInstance::SelectLanguage(std::string_view code) {
    std::string language(code);
    if (language.empty()) {
        language = locale_.LangVariable();
        if (language.empty()) {
            language = DetectSystemLanguage();
        }
        if (const std::size_t dot = language.find('.'); dot != std::string::npos) {
            language.erase(dot);
        }
    }
    currentLanguage_ = language;
    for (const std::unique_ptr<TDomain>& domain : domains_) {
        domain->SetLanguageCode(currentLanguage_);
    }
}

void TGnuGettextInstance::BindDomainDirectory(std::string_view domain, std::string_view directory) {
    FindDomain(domain).SetDirectory(directory);
}

void TGnuGettextInstance::SetCurrentDomain(std::string_view domain) {
    currentDomain_ = domain;
}

TDomain& TGnuGettextInstance::FindDomain(std::string_view domain) {
    for (const std::unique_ptr<TDomain>& known : domains_) {
        if (base::EqualsIgnoringAsciiCase(known->Name(), domain)) {
            return *known;
        }
    }
    auto created = std::make_unique<TDomain>(locator_, messages_, std::string(domain));
    created->SetDirectory(defaultDirectory_);
    created->SetFallbackDirectory(installedDirectory_);
    created->SetLanguageCode(currentLanguage_);
    domains_.push_back(std::move(created));
    return *domains_.back();
}

std::string TGnuGettextInstance::DetectSystemLanguage() {
    std::string language = locale_.UserLanguageName();
    const std::string country = locale_.UserCountryName();
    if (IsTwoLetters(language) && IsTwoLetters(country)) {
        if (base::EqualsIgnoringAsciiCase(language, "no")) {
            language = "nb";
        }
        return language + "_" + country;
    }
    return std::string(LanguageCodeForThreadLocale(locale_.ThreadLocaleId()));
}

}  // namespace i18n
