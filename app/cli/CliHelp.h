#pragma once

// The help text of the command line: the usage line, one line per subcommand (kCliSubcommands), one
// row per option, and the exit statuses. It is assembled in English and translated as a whole, so a
// catalog holds it as one message.

#include <string>

#include "base/Translate.h"

namespace app {

// The help text in English, ending with a line end.
std::string EnglishHelpText();

// The help text through `translate` (English when it is empty).
std::string HelpText(const base::TranslateFn& translate);

// The line that follows the help text: "Settings file: <path>" (the format through `translate`),
// ending with a line end.
std::string SettingsFileLine(const base::TranslateFn& translate, const std::string& path);

}  // namespace app
