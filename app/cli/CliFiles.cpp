#include "app/cli/CliFiles.h"

#include "base/Placeholders.h"
#include "base/Translate.h"
#include "fleet/OutputFile.h"

namespace app {

std::string UnableToWriteMessage(const CliOutput& output, const std::string& path,
                                 const std::string& reason) {
    return base::FillPlaceholders(base::TranslateOrKeep(output.translate, "Unable to write to %s: %s"),
                                  {path, reason});
}

std::string WriteWholeFile(const std::string& path, std::string_view bytes, const CliOutput& output) {
    try {
        fleet::OutputFile file(path);
        file.Write(bytes);
        file.Commit();
        return {};
    } catch (const fleet::OutputError& error) {
        return UnableToWriteMessage(output, error.path(), error.reason());
    }
}

}  // namespace app
