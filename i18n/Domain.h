#pragma once

// A text domain: one catalog name (the program uses "default") whose catalog for the current language is
// opened lazily at the first lookup.
//
// States: Closed (no catalog, not searched), Open (a catalog held), Missing (searched, none found).
// SetLanguageCode and SetDirectory bring every state back to Closed. A catalog whose Content-Type does
// not say charset=UTF-8 switches the domain off (Active false) for the rest of its life.

#include <optional>
#include <string>
#include <string_view>

#include "i18n/MoFile.h"

namespace i18n {

class MessageSink;
class TFileLocator;

class TDomain {
public:
    enum class State { Closed, Open, Missing };

    // `locator` and `messages` must outlive the domain. Starts Closed and Active, without directory
    // or language.
    TDomain(TFileLocator& locator, MessageSink& messages, std::string name);
    ~TDomain();
    TDomain(const TDomain&) = delete;
    TDomain& operator=(const TDomain&) = delete;

    // The translation of the UTF-8 identifier, or the identifier itself when the domain is inactive, has
    // no catalog or the catalog lacks it. Opens the catalog first when the domain is Closed.
    // Throws EGGIOError from the locator; the domain then stays Closed.
    TMoFile::LookupResult Lookup(std::string_view msgid);

    // Looks for the catalog <Directory><LanguageCode>/LC_MESSAGES/<Name>.mo, then with only the first two
    // characters of the code, each time among the program's catalogs before the disk; when neither is
    // found, the same two in the fallback directory (when set), on disk. Opens it when found (Open),
    // else Missing. Does nothing unless Closed. A catalog without charset=UTF-8 is
    // released at once, reported through the message sink ("Localization problem") and the domain
    // switched off. Throws EGGIOError from the locator.
    void OpenCatalog();
    // Releases the catalog, if any, and forgets an earlier failed search.
    void CloseCatalog();
    // Stores the directory with a trailing separator ("/"; on Windows "\\", where a "/" at the end is
    // kept as well) and closes the catalog. Catalog paths are written with the same separator.
    void SetDirectory(std::string_view directory);
    // The directory searched after Directory() (an installed program's shared catalog folder), stored
    // with a trailing "/"; empty for none. Closes the catalog.
    void SetFallbackDirectory(std::string_view directory);
    // Closes the catalog and stores the code.
    void SetLanguageCode(std::string_view code);

    // The value of header line `name` ("Content-Type") of the open catalog, without surrounding blanks
    // and control characters; "" when no line matches or no catalog is open. The name is compared
    // without regard to ASCII case.
    std::string GetHeaderField(std::string_view name);

    const std::string& Name() const noexcept { return name_; }
    const std::string& Directory() const noexcept { return directory_; }
    const std::string& FallbackDirectory() const noexcept { return fallbackDirectory_; }
    const std::string& LanguageCode() const noexcept { return languageCode_; }
    const TMoFile* Catalog() const noexcept { return catalog_; }
    bool Active() const noexcept { return active_; }
    State CurrentState() const noexcept;

private:
    std::string CatalogPath(const std::string& directory, std::string_view code) const;
    bool CatalogAvailable(const std::string& path) const;
    // The path of the catalog for the language code, then for its first two characters, in
    // `directory`; nullopt when neither is available.
    std::optional<std::string> FindCatalog(const std::string& directory) const;

    TFileLocator& locator_;
    MessageSink& messages_;
    std::string name_;
    std::string directory_;
    std::string fallbackDirectory_;
    std::string languageCode_;
    TMoFile* catalog_ = nullptr;
    bool openFailed_ = false;
    bool active_ = true;
};

}  // namespace i18n
