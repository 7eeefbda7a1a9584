#include "i18n/Domain.h"

#include <filesystem>
#include <system_error>

#include "base/AsciiText.h"
#include "base/ProgramPath.h"
#include "base/Utf8Path.h"
#include "i18n/FileLocator.h"
#include "i18n/GnuGettextInstance.h"

namespace i18n {

namespace {

// The first `count` characters of UTF-8 text (a character's continuation bytes stay with it).
std::string_view FirstCharacters(std::string_view text, std::size_t count) {
    std::size_t end = 0;
    for (std::size_t seen = 0; end < text.size() && seen < count; ++seen) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
            ++end;
        }
    }
    return text.substr(0, end);
}

bool IsBlankOrControl(char c) noexcept {
    return static_cast<unsigned char>(c) <= 32 || c == 127;
}

}  // namespace

TDomain::TDomain(TFileLocator& locator, MessageSink& messages, std::string name)
    : locator_(locator), messages_(messages), name_(std::move(name)) {}

TDomain::~TDomain() {
    CloseCatalog();
}

TDomain::State TDomain::CurrentState() const noexcept {
    if (catalog_ != nullptr) {
        return State::Open;
    }
    return openFailed_ ? State::Missing : State::Closed;
}

TMoFile::LookupResult TDomain::Lookup(std::string_view msgid) {
    if (!active_) {
        return {msgid, false};
    }
    if (catalog_ == nullptr && !openFailed_) {
        OpenCatalog();
    }
    if (catalog_ == nullptr) {
        return {msgid, false};
    }
    return catalog_->Lookup(msgid);
}

std::string TDomain::CatalogPath(const std::string& directory, std::string_view code) const {
    std::string path = directory;
    path.append(code).append(1, base::kPathSeparator).append("LC_MESSAGES");
    path.append(1, base::kPathSeparator).append(name_).append(".mo");
    return path;
}

std::optional<std::string> TDomain::FindCatalog(const std::string& directory) const {
    for (const std::string_view code : {std::string_view(languageCode_), FirstCharacters(languageCode_, 2)}) {
        std::string path = CatalogPath(directory, code);
        if (CatalogAvailable(path)) {
            return path;
        }
    }
    return std::nullopt;
}

bool TDomain::CatalogAvailable(const std::string& path) const {
    // The program's own catalogs come first, so one of them wins over a file of the same path.
    if (locator_.CatalogExists(path)) {
        return true;
    }
    std::error_code error;
    return std::filesystem::is_regular_file(base::Utf8Path(path), error);
}

void TDomain::OpenCatalog() {
    if (catalog_ != nullptr || openFailed_) {
        return;
    }
    std::optional<std::string> found = FindCatalog(directory_);
    if (!found && !fallbackDirectory_.empty()) {
        found = FindCatalog(fallbackDirectory_);
    }
    if (!found) {
        openFailed_ = true;
        return;
    }
    const std::string& path = *found;
    catalog_ = locator_.AcquireCatalog(path);

    if (base::UpperCaseAscii(GetHeaderField("Content-Type")).find("CHARSET=UTF-8") == std::string::npos) {
        CloseCatalog();
        active_ = false;
        messages_.ShowMessage(
            "Localization problem",
            "The translation for the language code " + languageCode_ + " (in " + path +
                ") does not have charset=utf-8 in its Content-Type. Translations are turned off.");
    }
}

void TDomain::CloseCatalog() {
    if (catalog_ != nullptr) {
        TMoFile* catalog = catalog_;
        catalog_ = nullptr;
        locator_.ReleaseCatalog(catalog);
    }
    openFailed_ = false;
}

void TDomain::SetDirectory(std::string_view directory) {
    directory_ = directory;
    if (directory_.empty() || (directory_.back() != '/' && directory_.back() != base::kPathSeparator)) {
        directory_ += base::kPathSeparator;
    }
    CloseCatalog();
}

void TDomain::SetFallbackDirectory(std::string_view directory) {
    fallbackDirectory_ = directory;
    if (!fallbackDirectory_.empty() && fallbackDirectory_.back() != '/' &&
        fallbackDirectory_.back() != base::kPathSeparator) {
        fallbackDirectory_ += base::kPathSeparator;
    }
    CloseCatalog();
}

void TDomain::SetLanguageCode(std::string_view code) {
    CloseCatalog();
    languageCode_ = code;
}

std::string TDomain::GetHeaderField(std::string_view name) {
    const std::string prefix = base::UpperCaseAscii(name) + ": ";
    const std::string_view header = Lookup("").Text;
    std::size_t start = 0;
    while (start < header.size()) {
        std::size_t end = header.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = header.size();
        }
        const std::string_view line = header.substr(start, end - start);
        if (line.size() >= prefix.size() && base::UpperCaseAscii(line.substr(0, prefix.size())) == prefix) {
            std::string_view value = line.substr(prefix.size());
            while (!value.empty() && IsBlankOrControl(value.front())) {
                value.remove_prefix(1);
            }
            while (!value.empty() && IsBlankOrControl(value.back())) {
                value.remove_suffix(1);
            }
            return std::string(value);
        }
        start = end + 1;
    }
    return "";
}

}  // namespace i18n
