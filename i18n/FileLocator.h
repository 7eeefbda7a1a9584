#pragma once

// The catalog locator: maps a catalog path (directory, language code, "LC_MESSAGES", domain + ".mo") to a
// catalog held by the program as a named byte block, or else to a file on disk, and shares the loaded
// catalogs between their holders.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "i18n/EmbeddedCatalogs.h"
#include "i18n/MoFile.h"

namespace i18n {

// ASCII-only, case-insensitive ordering of keys (relative paths, sharing keys).
struct CaseInsensitiveLess {
    bool operator()(std::string_view a, std::string_view b) const noexcept;
    using is_transparent = void;
};

// A catalog appended to the program file: absolute offset and size within it.
struct TEmbeddedFileInfo {
    std::int64_t Offset = 0;
    std::int64_t Size = 0;
};

// A catalog found among the program's named byte blocks.
struct TResourceFileInfo {
    std::string ResourceName;
};

// The catalog folder of an installed program, searched after the program's own "locale" folder:
// for a program inside a folder named "bin" (/usr/bin/dtusms), <prefix>/share/dtusms/locale with
// <prefix> that folder's parent (/usr); empty for a program anywhere else (a build tree, a portable
// copy), which has its catalogs beside it. On Windows a backslash separates folders as well, and the
// part added is written with backslashes.
std::string InstalledCatalogDirectory(std::string_view programFileName);

class TFileLocator {
public:
    using ResourceFinder = std::function<std::optional<std::span<const std::byte>>(std::string_view)>;

    // `programFileName` is the full path of the running program; `findResource` finds the program's
    // named byte blocks (the blocks must outlive the locator). Runs ScanProgramFile.
    explicit TFileLocator(std::string programFileName, ResourceFinder findResource = FindResource);
    ~TFileLocator();
    TFileLocator(const TFileLocator&) = delete;
    TFileLocator& operator=(const TFileLocator&) = delete;

    // Sets ProgramDirectory from the program file name (its folder with the trailing "/"). Catalogs
    // appended to the program file are not looked for: this program carries none.
    void ScanProgramFile();

    // Whether the program holds a catalog for `path`: `path` without a leading ProgramDirectory is
    // mapped to a block name (upper case, "/" and "\" to "_", "_LC_MESSAGES_" to "_", ".MO" removed;
    // locale/zh_cn/LC_MESSAGES/default.mo -> LOCALE_ZH_CN_DEFAULT). A hit is remembered.
    bool CatalogExists(const std::string& path);

    // The shared catalog for `path`: the program's block when CatalogExists found one for it, otherwise
    // the disk file at `path`. Each call adds one holder; give it back with ReleaseCatalog.
    // Throws EGGIOError when the catalog cannot be opened, mapped or is not a valid MO catalog (nothing
    // is kept then).
    TMoFile* AcquireCatalog(const std::string& path);
    // Drops one holder of `catalog`; the last one frees it.
    void ReleaseCatalog(TMoFile* catalog);

    const std::string& ProgramFileName() const noexcept { return programFileName_; }
    const std::string& ProgramDirectory() const noexcept { return programDirectory_; }
    // Number of catalogs loaded and shared now.
    std::size_t OpenCatalogCount() const;

    // The block name that `relativePath` maps to (LOCALE_ZH_CN_DEFAULT for
    // locale/zh_cn/LC_MESSAGES/default.mo).
    static std::string ResourceNameFor(std::string_view relativePath);

private:
    std::string_view RelativePath(std::string_view path) const noexcept;

    std::string programFileName_;
    std::string programDirectory_;
    ResourceFinder findResource_;
    mutable std::shared_mutex catalogLock_;
    std::map<std::string, TEmbeddedFileInfo, CaseInsensitiveLess> appendedFiles_;
    std::map<std::string, TResourceFileInfo, CaseInsensitiveLess> resourceFiles_;
    // Sharing key -> catalog; few entries, searched by identity from the end on release.
    std::vector<std::pair<std::string, std::unique_ptr<TMoFile>>> openCatalogs_;
};

}  // namespace i18n
