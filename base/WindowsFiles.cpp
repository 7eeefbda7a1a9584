#include "base/WindowsFiles.h"

#include <algorithm>
#include <atomic>

#include "base/WideText.h"
#include "base/WindowsHandle.h"

namespace base {
namespace {

constexpr int kBusyTries = 10;
// The attributes a replaced file keeps. Read-only is not among them: such a file is refused before.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr DWORD kBusyPause = 50;

// The folder of `target` ready for a name to be appended.
std::string FolderWithSlash(const std::string& target) {
    std::string folder = FolderOfPath(target);
    if (folder.back() != '\\' && folder.back() != '/') {
        folder += '\\';
    }
    return folder;
}

std::wstring TemporaryPrefix(const std::string& target) {
    return ToWide(FolderWithSlash(target) + "." + NameOfPath(target) + ".tmp-");
}

bool Busy(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Wine's ReplaceFileW moves the old file aside before it moves the new one in, so a process ended
// between the two leaves no file at all (and the next write starts from nothing); its MoveFileExW is
// one rename(2), which never does. Wine marks itself by an export of its ntdll.
bool RunningUnderWine() {
    static const bool wine = [] {
        const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

DWORD ReplaceOnce(const std::wstring& replacement, const std::wstring& target) {
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || RunningUnderWine()) {
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kKeptAttributes) != 0) {
            ::SetFileAttributesW(replacement.c_str(), attributes & kKeptAttributes);
        }
        return ::MoveFileExW(replacement.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                   ? 0
                   : ::GetLastError();
    }
    // ReplaceFileW keeps the old file's security and creation time but not, on every system, its
    // attributes: a file the user hid stays hidden.
    if ((attributes & kKeptAttributes) != 0) {
        ::SetFileAttributesW(replacement.c_str(), attributes & kKeptAttributes);
    }
    if (::ReplaceFileW(target.c_str(), replacement.c_str(), nullptr,
                       REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr)) {
        return 0;
    }
    const DWORD error = ::GetLastError();
    // Without a backup name this error means that the old file is gone already and the new one still
    // has its temporary name: finishing the move is the only way to keep the content.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_FILE_NOT_FOUND) {
        if (!Exists(target)) {
            return ::MoveFileExW(replacement.c_str(), target.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                       ? 0
                       : ::GetLastError();
        }
    }
    return error;
}

// A final path as the system gives it, "\\?\C:\dir\file" or "\\?\UNC\server\share\file", in the
// spelling every call of the program takes: "C:\dir\file", "\\server\share\file".
std::wstring WithoutLongPathPrefix(std::wstring path) {
    if (path.starts_with(L"\\\\?\\UNC\\")) {
        return L"\\\\" + path.substr(8);
    }
    if (path.starts_with(L"\\\\?\\") && path.size() >= 6 && path[5] == L':') {
        return path.substr(4);
    }
    return path;
}

}  // namespace

std::optional<std::string> FollowLinks(const std::string& path) {
    const std::wstring wide = ToWide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return path;
    }
    // Opening follows every link of the chain; the system then names the file it reached.
    const WindowsHandle file(::CreateFileW(wide.c_str(), 0,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid()) {
        return std::nullopt;
    }
    std::wstring final(32768, L'\0');
    const DWORD length = ::GetFinalPathNameByHandleW(
        file.get(), final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= final.size()) {
        return std::nullopt;
    }
    final.resize(length);
    return ToUtf8(WithoutLongPathPrefix(final));
}

std::string FolderOfPath(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) {
        return ".";
    }
    // "C:\\name" and "\\name" keep their root separator: "C:" alone means that drive's current folder.
    if (slash == 0 || (slash == 2 && path[1] == ':')) {
        return path.substr(0, slash + 1);
    }
    return path.substr(0, slash);
}

std::string NameOfPath(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

HANDLE CreateTemporaryBeside(const std::string& target, std::wstring& temporary) {
    static std::atomic<unsigned> counter{0};
    const std::wstring prefix = TemporaryPrefix(target);
    if (prefix.empty()) {
        ::SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = prefix + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
        const HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    return INVALID_HANDLE_VALUE;
}

unsigned long PutInPlace(const std::wstring& replacement, const std::wstring& target) {
    DWORD error = 0;
    for (int attempt = 0; attempt < kBusyTries; ++attempt) {
        error = ReplaceOnce(replacement, target);
        if (!Busy(error)) {
            return error;
        }
        ::Sleep(kBusyPause);
    }
    return error;
}

namespace {

// Deletes the files that `pattern` finds in `folder` (ending in a separator) whose names are
// `namePrefix` (any ".<name>.tmp-" when empty) followed by "<pid>-<n>", and whose writer no longer runs.
void Sweep(const std::wstring& folder, const std::wstring& pattern, const std::wstring& namePrefix) {
    WIN32_FIND_DATAW entry{};
    const HANDLE search = ::FindFirstFileW((folder + pattern).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring name = entry.cFileName;
        const std::size_t mark = name.rfind(L".tmp-");
        std::size_t restAt = 0;
        if (!namePrefix.empty()) {
            restAt = name.starts_with(namePrefix) ? namePrefix.size() : 0;
        } else if (name.starts_with(L'.') && mark != std::wstring::npos && mark > 1) {
            restAt = mark + 5;
        }
        const std::wstring rest = name.substr(std::min(name.size(), restAt));
        const std::size_t dash = rest.find(L'-');
        if (restAt == 0 || dash == 0 || dash == std::wstring::npos || dash > 9 || dash + 1 == rest.size() ||
            rest.substr(0, dash).find_first_not_of(L"0123456789") != std::wstring::npos ||
            (namePrefix.empty() &&
             rest.substr(dash + 1).find_first_not_of(L"0123456789") != std::wstring::npos)) {
            continue;
        }
        const DWORD pid = static_cast<DWORD>(std::stoul(rest.substr(0, dash)));
        if (pid == ::GetCurrentProcessId()) {
            continue;
        }
        const WindowsHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        DWORD code = 0;
        // A process that runs, or one that cannot be asked (another user's), keeps its file.
        const bool gone = process.valid() ? ::GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE
                                          : ::GetLastError() == ERROR_INVALID_PARAMETER;
        if (gone) {
            ::DeleteFileW((folder + name).c_str());
        }
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
}

}  // namespace

void RemoveStrayTemporaries(const std::string& target) {
    const std::wstring prefix = TemporaryPrefix(target);
    if (prefix.empty()) {
        return;
    }
    const std::wstring folder = ToWide(FolderWithSlash(target));
    const std::wstring namePrefix = prefix.substr(folder.size());
    Sweep(folder, namePrefix + L"*", namePrefix);
}

void RemoveStrayTemporariesIn(const std::string& folder) {
    std::string withSeparator = folder;
    if (withSeparator.empty() || (withSeparator.back() != '\\' && withSeparator.back() != '/')) {
        withSeparator += '\\';
    }
    Sweep(ToWide(withSeparator), L".*.tmp-*", {});
}

}  // namespace base
