#include "i18n/FileLocator.h"

#include <algorithm>
#include <mutex>

#include "base/AsciiText.h"
#include "base/ProgramPath.h"
#include "i18n/Errors.h"

namespace i18n {

namespace {

// Blank, slash, slash, backslash, backslash, blank: cannot occur inside a resource name or an offset.
constexpr std::string_view kKeySeparator = " //\\\\ ";

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

}  // namespace

std::string InstalledCatalogDirectory(std::string_view programFileName) {
    std::string folder = base::FolderWithSeparator(programFileName);
    if (!folder.empty()) {
        folder.pop_back();
    }
    const std::size_t slash = folder.find_last_of(base::kPathSeparators);
    if (slash == std::string::npos || folder.substr(slash + 1) != "bin") {
        return {};
    }
    const char separator = base::kPathSeparator;
    return folder.substr(0, slash + 1) + "share" + separator + "dtusms" + separator + "locale";
}

bool CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const noexcept {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(base::AsciiUpper(x)) <
               static_cast<unsigned char>(base::AsciiUpper(y));
    });
}

TFileLocator::TFileLocator(std::string programFileName, ResourceFinder findResource)
    : programFileName_(std::move(programFileName)), findResource_(std::move(findResource)) {
    ScanProgramFile();
}

TFileLocator::~TFileLocator() = default;

void TFileLocator::ScanProgramFile() {
    programDirectory_ = base::FolderWithSeparator(programFileName_);
}

std::string TFileLocator::ResourceNameFor(std::string_view relativePath) {
    std::string name(relativePath);
    for (char& c : name) {
        c = (c == '/' || c == '\\') ? '_' : base::AsciiUpper(c);
    }
    ReplaceAll(name, "_LC_MESSAGES_", "_");
    ReplaceAll(name, ".MO", "");
    return name;
}

std::string_view TFileLocator::RelativePath(std::string_view path) const noexcept {
    if (path.starts_with(programDirectory_)) {
        path.remove_prefix(programDirectory_.size());
    }
    return path;
}

bool TFileLocator::CatalogExists(const std::string& path) {
    const std::string_view rel = RelativePath(path);
    {
        std::shared_lock lock(catalogLock_);
        if (appendedFiles_.contains(rel) || resourceFiles_.contains(rel)) {
            return true;
        }
    }
    std::string name = ResourceNameFor(rel);
    if (!findResource_ || !findResource_(name)) {
        return false;
    }
    std::unique_lock lock(catalogLock_);
    resourceFiles_.try_emplace(std::string(rel), TResourceFileInfo{std::move(name)});
    return true;
}

TMoFile* TFileLocator::AcquireCatalog(const std::string& path) {
    std::string realFile = path;
    std::string resourceName;
    std::int64_t offset = 0;
    std::int64_t size = 0;

    std::unique_lock lock(catalogLock_);
    if (path.starts_with(programDirectory_)) {
        const std::string_view rel = RelativePath(path);
        if (const auto appended = appendedFiles_.find(rel); appended != appendedFiles_.end()) {
            realFile = programFileName_;
            offset = appended->second.Offset;
            size = appended->second.Size;
        } else if (const auto resource = resourceFiles_.find(rel); resource != resourceFiles_.end()) {
            realFile = programFileName_;
            resourceName = resource->second.ResourceName;
        }
    }

    std::string key = (resourceName.empty() ? std::to_string(offset) : resourceName);
    key += kKeySeparator;
    key += realFile;
    auto shared = std::find_if(openCatalogs_.begin(), openCatalogs_.end(),
                               [&key](const auto& entry) { return entry.first == key; });
    if (shared == openCatalogs_.end()) {
        std::unique_ptr<TMoFile> catalog;
        if (!resourceName.empty()) {
            const auto bytes = findResource_ ? findResource_(resourceName) : std::nullopt;
            if (!bytes) {
                throw EGGIOError("Cannot open file " + realFile);
            }
            catalog = std::make_unique<TMoFile>(*bytes, realFile);
        } else {
            catalog = std::make_unique<TMoFile>(realFile, offset, size);
        }
        openCatalogs_.emplace_back(std::move(key), std::move(catalog));
        shared = std::prev(openCatalogs_.end());
    }
    shared->second->AddUser();
    return shared->second.get();
}

void TFileLocator::ReleaseCatalog(TMoFile* catalog) {
    if (catalog == nullptr) {
        return;
    }
    std::unique_lock lock(catalogLock_);
    if (catalog->RemoveUser() > 0) {
        return;
    }
    const auto held = std::find_if(openCatalogs_.rbegin(), openCatalogs_.rend(),
                                   [catalog](const auto& entry) { return entry.second.get() == catalog; });
    if (held != openCatalogs_.rend()) {
        openCatalogs_.erase(std::next(held).base());
    }
}

std::size_t TFileLocator::OpenCatalogCount() const {
    std::shared_lock lock(catalogLock_);
    return openCatalogs_.size();
}

}  // namespace i18n
