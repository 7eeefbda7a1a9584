#pragma once

// The command line of dtusms: composes the SMS and runs the server checks without a window, from
// the settings file that the window keeps and the flags given (see app/CliOptions.h for the grammar).
//
// Exit status: 0 done (command printed, connection made, verdict given, reply read: its address
// may be empty); 1 a missing field (its validation message on standard error), a failed connection
// or a failed request (the error box's text on standard error); 2 a bad flag or value (a one-line
// message on standard error). The settings file is only read, never written.

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace app {

// Translation of the texts the command line shows; the identity until the localization engine
// installs one with SetCliTranslator (an empty function restores the identity).
using CliTranslator = std::function<std::string(const std::string&)>;
void SetCliTranslator(CliTranslator translator);
std::string CliTranslate(const std::string& english);

// The help text, translated, ending with a line end.
std::string HelpText();

// Runs the arguments that follow the program name, writing to `out` and `err`; returns the exit
// status. Never throws.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The same for main()'s arguments, on standard output and standard error.
int RunCommandLine(int argc, char* argv[]);

}  // namespace app
