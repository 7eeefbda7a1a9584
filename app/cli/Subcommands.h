#pragma once

// The subcommands of the command line, one run function each (one file each, named after it), all of
// the same shape so that the runner dispatches them from one table.
//
// A run function reads the request's fields, writes its result to `out` and its messages to `err`,
// and returns the exit status: kExitDone, kExitFailed (a missing field, a failed check or request),
// never kExitUsage, which only the parser's faults give. It may throw on a fault of the program's
// own (the runner reports it on `err` with status 1).

#include <iosfwd>
#include <string>
#include <vector>

#include "app/cli/CliOptions.h"
#include "base/Placeholders.h"
#include "base/Translate.h"

namespace app {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Where a subcommand writes and in which language.
struct CliOutput {
    std::ostream& out;
    std::ostream& err;
    base::TranslateFn translate;  // empty: English
    // True when `err` is a terminal that a person watches: progress lines go there only then.
    bool errIsTerminal = false;
    // True when `out` is a terminal: qr draws its code in forced colours only then.
    bool outIsTerminal = false;
};

// `format` in the output's language with its placeholders filled by `args`.
inline std::string Say(const CliOutput& output, const std::string& format,
                       const std::vector<base::FormatArg>& args) {
    return base::FillPlaceholders(base::TranslateOrKeep(output.translate, format), args);
}

int RunSms(const CliRequest& request, const CliOutput& output);
int RunCheckPort(const CliRequest& request, const CliOutput& output);
int RunJudgeMapping(const CliRequest& request, const CliOutput& output);
int RunWanIp(const CliRequest& request, const CliOutput& output);
int RunQr(const CliRequest& request, const CliOutput& output);
int RunSend(const CliRequest& request, const CliOutput& output);
int RunBatch(const CliRequest& request, const CliOutput& output);
int RunListen(const CliRequest& request, const CliOutput& output);

}  // namespace app
