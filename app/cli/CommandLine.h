#pragma once

// The command line of dtusms: composes the SMS and runs the server checks without a window, from
// the settings file that the window keeps and the flags given (see app/cli/CliOptions.h for the
// grammar and app/cli/Subcommands.h for the subcommands).
//
// Exit status: 0 done (command printed, connection made, verdict given, reply read: its address
// may be empty); 1 a missing field (its validation message on standard error), a failed connection
// or a failed request (the error box's text on standard error); 2 a bad flag or value (a one-line
// message on standard error). The settings file is only read, never written.

#include <string>
#include <vector>

#include "app/cli/Subcommands.h"

namespace app {

// Runs the arguments that follow the program name, writing to `output` in its language. The
// language is then chosen on the running localization engine, if any: --lang, else the settings
// file's "nLanguageID". Returns the exit status; never throws.
int RunCommandLine(const std::vector<std::string>& args, const CliOutput& output);

// The same for main()'s arguments, on standard output and standard error, with the program's own
// localization engine running for the call. Returns 1 when standard output cannot be written.
int RunCommandLine(int argc, char* argv[]);

}  // namespace app
