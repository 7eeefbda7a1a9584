#include "app/cli/PluginLoader.h"

#include <filesystem>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "tests/sms/TempDir.h"

#ifdef _WIN32
#include <windows.h>

#include "base/WideText.h"
#endif

namespace app {
namespace {

using sms::testing::TempDir;
using sms::testing::WriteBytes;

constexpr const char* kPluginFile = "libdtusms_test_plugin.so";
constexpr const char* kEntry = "dtusms_test_plugin_answer";

// `folder` with a copy of the test plugin in it, under `kPluginFile`.
std::string FolderWithPlugin(const TempDir& dir, const std::string& name) {
    const std::filesystem::path folder = dir.path() / name;
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(DTUSMS_TEST_PLUGIN, folder / kPluginFile);
    return folder.string() + "/";
}

std::string EmptyFolder(const TempDir& dir, const std::string& name) {
    std::filesystem::create_directories(dir.path() / name);
    return (dir.path() / name).string() + "/";
}

std::string ErrorOf(const std::variant<LoadedPlugin, PluginLoadError>& result) {
    const auto* error = std::get_if<PluginLoadError>(&result);
    return error != nullptr ? error->message : "(loaded from " + std::get<LoadedPlugin>(result).path + ")";
}

TEST(PluginLoaderTest, FoldersAreTheProgramsOwnThenLibDtusmsBesideIt) {
    const struct {
        std::string program;
        std::vector<std::string> folders;
    } rows[] = {
        {"/usr/bin/dtusms", {"/usr/bin/", "/usr/lib/dtusms/"}},
        {"/home/me/dtusms/build/app/dtusms",
         {"/home/me/dtusms/build/app/", "/home/me/dtusms/build/lib/dtusms/"}},
        {"/opt/dtusms", {"/opt/", "/lib/dtusms/"}},
        {"/dtusms", {"/", "/lib/dtusms/"}},
        {"dtusms", {}},
        {"", {}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PluginFolders(row.program), row.folders) << row.program;
    }
}

TEST(PluginLoaderTest, TheFirstFolderHoldingTheFileWins) {
    TempDir dir;
    const std::string empty = EmptyFolder(dir, "empty");
    const std::string first = FolderWithPlugin(dir, "first");
    const std::string second = FolderWithPlugin(dir, "second");
    const struct {
        std::vector<std::string> folders;
        std::string expectedPath;
    } rows[] = {
        {{empty, second}, second + kPluginFile},
        {{first, second}, first + kPluginFile},
        {{dir.File("missing") + "/", empty, first}, first + kPluginFile},
    };
    for (const auto& row : rows) {
        const auto result = LoadPlugin(row.folders, kPluginFile, kEntry);
        const auto* plugin = std::get_if<LoadedPlugin>(&result);
        ASSERT_NE(plugin, nullptr) << ErrorOf(result);
        EXPECT_EQ(plugin->path, row.expectedPath);
        ASSERT_NE(plugin->entry, nullptr);
        EXPECT_EQ(reinterpret_cast<int (*)()>(plugin->entry)(), 42);
    }
}

TEST(PluginLoaderTest, FaultsNameEveryPathTriedWithItsReasonOnOneLine) {
    TempDir dir;
    const std::string empty = EmptyFolder(dir, "empty");
    const std::string other = EmptyFolder(dir, "other");
    const std::string good = FolderWithPlugin(dir, "good");
    const std::string broken = EmptyFolder(dir, "broken");
    WriteBytes(broken + kPluginFile, "not a shared library\n");

    // Missing everywhere: every path, each with the system's reason.
    const std::string missing = ErrorOf(LoadPlugin({empty, other}, kPluginFile, kEntry));
    EXPECT_EQ(missing.find(empty + kPluginFile + ": "), 0u) << missing;
    EXPECT_NE(missing.find("; " + other + kPluginFile + ": "), std::string::npos) << missing;
#ifdef _WIN32
    EXPECT_NE(missing.find(base::SystemErrorText(ERROR_MOD_NOT_FOUND)), std::string::npos) << missing;
#else
    EXPECT_NE(missing.find("No such file"), std::string::npos) << missing;
#endif

    // A broken copy ends the search: the good one behind it is not taken in its place.
    const std::string unloadable = ErrorOf(LoadPlugin({empty, broken, good}, kPluginFile, kEntry));
    EXPECT_NE(unloadable.find(broken + kPluginFile + ": "), std::string::npos) << unloadable;
    EXPECT_EQ(unloadable.find(good), std::string::npos) << unloadable;

    // A library without the entry point is broken too.
    const std::string noEntry = ErrorOf(LoadPlugin({good}, kPluginFile, "dtusms_no_such_entry"));
    EXPECT_EQ(noEntry.find(good + kPluginFile + ": "), 0u) << noEntry;
    EXPECT_NE(noEntry.find("dtusms_no_such_entry"), std::string::npos) << noEntry;

    // Each path stands once, before its reason, even where the system's own text repeats it.
    for (const auto& [message, path] :
         {std::pair{unloadable, broken + kPluginFile}, {noEntry, good + kPluginFile}}) {
        EXPECT_EQ(message.find(path), message.rfind(path)) << message;
    }

    EXPECT_EQ(ErrorOf(LoadPlugin({}, kPluginFile, kEntry)),
              std::string(kPluginFile) + ": the program's own folder is unknown");
    for (const std::string& message : {missing, unloadable, noEntry}) {
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
}

}  // namespace
}  // namespace app
