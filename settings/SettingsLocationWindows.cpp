// The system side of the settings location on Windows: the program's folder, the user's roaming
// application-data folder (%APPDATA%) in the place of the configuration folder, and access checks
// made by trying, since a folder's access list cannot be read as a set of permission bits. An
// installed copy keeps its settings in %APPDATA% although the user may write its folder.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <windows.h>
// After windows.h, whose types it uses.
#include <shlobj.h>

#include "base/ProgramPath.h"
#include "base/Utf8Path.h"
#include "base/WideText.h"
#include "base/WindowsHandle.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsLocation.h"
#include "sms/BuiltInTexts.h"

namespace settings {
namespace {

std::optional<std::string> RoamingAppData() {
    if (const wchar_t* value = ::_wgetenv(L"APPDATA"); value != nullptr && *value != L'\0') {
        return base::ToUtf8(value);
    }
    PWSTR folder = nullptr;
    std::optional<std::string> found;
    if (::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder) == S_OK) {
        found = base::ToUtf8(folder);
    }
    ::CoTaskMemFree(folder);
    return found;
}

// A probe file that vanishes when closed: only a folder that lets this user make files takes it.
bool FolderTakesNewFiles(const std::string& folder) {
    std::string probe = folder;
    if (!probe.empty() && probe.back() != '\\' && probe.back() != '/') {
        probe += '\\';
    }
    probe += ".dtusms-write-probe-" + std::to_string(::GetCurrentProcessId());
    const std::wstring wide = base::ToWide(probe);
    if (wide.empty()) {
        return false;
    }
    const base::WindowsHandle file(::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                                 nullptr));
    return file.valid();
}

// A file that exists, is no folder, has no read-only attribute and opens for writing.
bool FileTakesWrites(const std::string& path) {
    const std::wstring wide = base::ToWide(path);
    const DWORD attributes = wide.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        return false;
    }
    const base::WindowsHandle file(::CreateFileW(wide.c_str(), GENERIC_WRITE,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
}

// The installer puts this file beside the program. A per-user install goes into
// %LOCALAPPDATA%\Programs, which the user may write, but that folder holds programs, not data, and
// the uninstaller removes it: the settings go to %APPDATA% as for a program in a folder the user
// cannot write. A portable copy has no such file and keeps its settings beside itself.
constexpr const char* kInstalledMarker = "dtusms-installed.txt";

bool IsInstalledCopy(const std::string& programFolder) {
    const std::wstring marker = base::ToWide(programFolder + kInstalledMarker);
    const DWORD attributes = marker.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(marker.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

SettingsEnvironment SystemSettingsEnvironment() {
    SettingsEnvironment environment;
    environment.programFolder = base::FolderWithSeparator(base::ProgramFilePath());
    // Windows keeps a user's settings in the roaming application-data folder; with it in the place of
    // $XDG_CONFIG_HOME the file is %APPDATA%\dtusms\GPRSInfo.ini. There is no home to fall back on.
    environment.xdgConfigHome = RoamingAppData();
    if (!environment.programFolder.empty() && IsInstalledCopy(environment.programFolder)) {
        // Nothing beside an installed program counts as a place for its settings.
        environment.folderWritable = [](const std::string&) { return false; };
        environment.fileWritable = [](const std::string&) { return false; };
        return environment;
    }
    environment.folderWritable = FolderTakesNewFiles;
    environment.fileWritable = FileTakesWrites;
    return environment;
}

void MakeSettingsFolder(const std::string& path) {
    const std::filesystem::path folder = base::Utf8Path(path).parent_path();
    std::error_code error;
    if (folder.empty() || std::filesystem::is_directory(folder, error)) {
        return;
    }
    // The new folders inherit the access list of the user's profile, which is private already.
    if (!std::filesystem::create_directories(folder, error) || error) {
        throw ProfileWriteError(sms::UnableToWriteText(path), path);
    }
}

}  // namespace settings
