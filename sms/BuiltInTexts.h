#pragma once

// The program's built-in runtime texts (numeric identifiers, English wording) and the three loaders
// that fetch them. Each loader is called through a replaceable slot; the localization engine puts its
// own loaders into the slots at start-up and restores these defaults at shutdown, so this module does
// not depend on the engine. The defaults return the texts as stored, untranslated.

#include <atomic>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "base/Placeholders.h"

namespace sms {

// Identifiers of the built-in texts of this program.
enum BuiltInTextId : unsigned {
    SUnableToWrite = 0xF000,  // "Unable to write to %s"
};

// The string table of one module (the stand-in for a module's string resources). Texts are UTF-8.
class StringModule {
public:
    explicit StringModule(std::map<unsigned, std::string> strings) : strings_(std::move(strings)) {}

    // Copies string `id` as UTF-16 into `buffer`, cut to `capacity` - 1 code units, and a NUL; returns
    // the number of code units copied, 0 when the module has no such string or `capacity` is 0.
    std::size_t LoadWide(unsigned id, char16_t* buffer, std::size_t capacity) const;
    // The same as UTF-8 bytes, cut to `capacity` - 1 bytes.
    std::size_t LoadNarrow(unsigned id, char* buffer, std::size_t capacity) const;

private:
    std::map<unsigned, std::string> strings_;
};

// String `id` of `module` fetched as UTF-16 and given back as UTF-8, whole however long it is; ""
// when the module has no such string.
std::string FetchWideText(const StringModule& module, unsigned id);
// String `id` of `module` fetched as UTF-8 bytes into a buffer of 1024, so cut to 1023 bytes; ""
// when the module has no such string.
std::string FetchNarrowText(const StringModule& module, unsigned id);

// The module that holds this program's built-in texts.
const StringModule& ProgramStrings();
// The modules that the loaders by identifier search in turn; ProgramStrings() first.
std::vector<const StringModule*>& ResourceModules();

// A resource-string reference: the module that holds the string and its identifier.
struct ResStringRec {
    const StringModule* Module = nullptr;
    unsigned Identifier = 0;
};

using ResStringLoader = std::string (*)(const ResStringRec&);
using StringLoader = std::string (*)(unsigned id);
using FormatStringLoader = std::string (*)(unsigned id, const std::vector<base::FormatArg>& args);

// The slots; each holds the loader in force.
std::atomic<ResStringLoader>& ResStringLoaderSlot();
std::atomic<StringLoader>& StringLoaderSlot();
std::atomic<FormatStringLoader>& FormatStringLoaderSlot();

// The default loaders: the stored text of the reference or identifier ("" when none), and that text
// filled with `args` by base::FillPlaceholders.
std::string DefaultLoadResString(const ResStringRec& rec);
std::string DefaultLoadStr(unsigned id);
std::string DefaultFmtLoadStr(unsigned id, const std::vector<base::FormatArg>& args);

// Calls through the slots.
std::string LoadResString(const ResStringRec& rec);
std::string LoadStr(unsigned id);
std::string FmtLoadStr(unsigned id, const std::vector<base::FormatArg>& args);

// The text of a refused settings write: SUnableToWrite, "Unable to write to %s", with `path` in place
// of %s, fetched through the formatting loader, so that it is translated while the engine runs.
std::string UnableToWriteText(const std::string& path);

}  // namespace sms
