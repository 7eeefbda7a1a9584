#pragma once

// Shared pieces of the engine tests: temporary program folders, catalog bytes, recording fakes.

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/ProgramPath.h"
#include "i18n/GnuGettextInstance.h"

namespace i18n::test {

std::vector<std::byte> ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::vector<std::byte>& bytes);

// A compiled fixture catalog (tests/data/i18n/<name>.po compiled at build time) or a checked-in one.
std::filesystem::path Fixture(const std::string& fileName);
std::filesystem::path TestData(const std::string& fileName);

// The same catalog with every 32-bit word of its header, tables and hash table byte-swapped.
std::vector<std::byte> BigEndianTwin(const std::vector<std::byte>& littleEndian);

// A little-endian MO catalog of the given (identifier, translation) pairs, sorted as the format asks.
std::vector<std::byte> WriteCatalog(std::vector<std::pair<std::string, std::string>> entries);

// A fresh folder that plays the program's folder; removed with everything in it.
class TempProgramDir {
public:
    TempProgramDir();
    ~TempProgramDir();
    const std::filesystem::path& Path() const { return path_; }
    std::string ProgramFile() const { return (path_ / "dtusms").string(); }
    // The folder of ProgramFile() with the system's separator at its end.
    std::string ProgramFolder() const { return path_.string() + base::kPathSeparator; }
    // Places `catalog` at locale/<code>/LC_MESSAGES/default.mo and returns that path.
    std::filesystem::path PutCatalog(const std::string& code, const std::filesystem::path& catalog) const;

private:
    std::filesystem::path path_;
};

struct RecordingSink final : MessageSink {
    std::vector<std::pair<std::string, std::string>> Shown;
    void ShowMessage(const std::string& caption, const std::string& text) override {
        Shown.emplace_back(caption, text);
    }
};

struct FakeLocale final : LocaleSource {
    std::string Lang, Language, Country;
    unsigned ThreadId = 0, UserId = 0;
    std::string LangVariable() override { return Lang; }
    std::string UserLanguageName() override { return Language; }
    std::string UserCountryName() override { return Country; }
    unsigned ThreadLocaleId() override { return ThreadId; }
    unsigned UserDefaultLangId() override { return UserId; }
};

}  // namespace i18n::test
