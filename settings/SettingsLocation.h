#pragma once

// Where the settings file lives when no --settings option names it.
//
// Beside the program (a copy unpacked into a folder of its own, a build tree) when that folder can
// hold the file or a file this user may write is there already; otherwise, for an installed program
// whose folder the user cannot write (/usr/bin), in the user's configuration folder:
// $XDG_CONFIG_HOME/dtusms/GPRSInfo.ini, or ~/.config/dtusms/GPRSInfo.ini.

#include <functional>
#include <optional>
#include <string>

namespace settings {

// What the choice depends on, read from the system by SystemSettingsEnvironment(); tests fill it in.
struct SettingsEnvironment {
    // The program's folder with its final "/"; empty when the system does not say (the current
    // folder is then "beside the program", as it always was).
    std::string programFolder;
    // $XDG_CONFIG_HOME and $HOME; nullopt when unset.
    std::optional<std::string> xdgConfigHome;
    std::optional<std::string> home;
    // The home folder of the user's passwd entry; asked only when $HOME is unset or unusable.
    std::function<std::optional<std::string>()> passwdHome;
    // Whether `folder` lets this user create a file in it (write and search permission).
    std::function<bool(const std::string& folder)> folderWritable;
    // Whether `path` names something this user may write (links followed).
    std::function<bool(const std::string& path)> fileWritable;
};

struct SettingsLocation {
    std::string path;
    // The path is in the user's configuration folder, whose missing folders the first write makes
    // (MakeSettingsFolder).
    bool inConfigFolder = false;
};

// The settings file for `environment`:
// 1. <programFolder>GPRSInfo.ini when this user may write that file (a portable copy in a read-only
//    folder: the file is written in place), or create it (the program's folder is writable).
// 2. Otherwise <config>/dtusms/GPRSInfo.ini, with <config> the value of $XDG_CONFIG_HOME when it is
//    an absolute path (any other value is ignored), else <home>/.config, where <home> is $HOME when
//    it is an absolute path, else the passwd entry's home folder. So a file beside an installed
//    program that only another user could write (left by a run as root) does not keep this user
//    from saving.
// 3. When no home folder is known either: the path of rule 1, whose writes are then refused.
SettingsLocation ChooseSettingsLocation(const SettingsEnvironment& environment);

// The environment of this process: the folder of /proc/self/exe, the variables, access(2).
SettingsEnvironment SystemSettingsEnvironment();

// ChooseSettingsLocation(SystemSettingsEnvironment()).
SettingsLocation DefaultSettingsLocation();

// Makes the missing folders above the settings file at `path`, each with mode 0700 (the folder of a
// user's private settings, whatever the umask). Does nothing when the folder exists. Throws
// ProfileWriteError ("Unable to write to <path>", the settings file's path) when a folder cannot be
// made or a name on the way is no folder.
void MakeSettingsFolder(const std::string& path);

}  // namespace settings
