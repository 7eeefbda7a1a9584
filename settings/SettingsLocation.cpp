#include "settings/SettingsLocation.h"

#include <string_view>

#include "base/ProgramPath.h"
#include "settings/Settings.h"

namespace settings {
namespace {

bool IsAbsolute(const std::optional<std::string>& path) {
    return path && base::IsAbsolutePath(*path);
}

std::string WithoutFinalSlashes(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == base::kPathSeparator)) {
        path.pop_back();
    }
    return path;
}

// `folder` + separator + `name`, without doubling the slash of the root folder.
std::string Joined(const std::string& folder, std::string_view name) {
    return (folder == "/" ? std::string() : folder) + base::kPathSeparator + std::string(name);
}

std::optional<std::string> ConfigFolder(const SettingsEnvironment& environment) {
    if (IsAbsolute(environment.xdgConfigHome)) {
        return WithoutFinalSlashes(*environment.xdgConfigHome);
    }
    std::optional<std::string> home = environment.home;
    if (!IsAbsolute(home)) {
        home = environment.passwdHome ? environment.passwdHome() : std::nullopt;
    }
    if (!IsAbsolute(home)) {
        return std::nullopt;
    }
    return Joined(WithoutFinalSlashes(*home), ".config");
}

}  // namespace

SettingsLocation ChooseSettingsLocation(const SettingsEnvironment& environment) {
    const std::string beside = environment.programFolder + std::string(kSettingsFileName);
    const std::string folder = environment.programFolder.empty() ? "." : environment.programFolder;
    if ((environment.fileWritable && environment.fileWritable(beside)) ||
        (environment.folderWritable && environment.folderWritable(folder))) {
        return {beside, false};
    }
    const std::optional<std::string> config = ConfigFolder(environment);
    if (!config) {
        return {beside, false};
    }
    return {Joined(Joined(*config, "dtusms"), kSettingsFileName), true};
}

SettingsLocation DefaultSettingsLocation() {
    return ChooseSettingsLocation(SystemSettingsEnvironment());
}

}  // namespace settings
