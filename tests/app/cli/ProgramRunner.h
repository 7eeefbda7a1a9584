#pragma once

// Runs the built program (DTUSMS_PROGRAM) as a child process, for the end-to-end command-line tests.

#include <string>
#include <vector>

namespace app::testing {

struct Outcome {
    int status = -1;  // exit status; -1 when the program could not start or did not exit normally
    std::string out;
    std::string err;
};

// Whether the child sees this process's LANG, LC_ALL and LC_MESSAGES. Tests of the automatic
// language drop them, so that the machine's locale cannot decide the result.
enum class LocaleVariables { kInherit, kDrop };

// Runs the program with `args`; `extraEnvironment` ("NAME=value") takes precedence over this
// process's environment.
Outcome RunProgram(const std::vector<std::string>& args,
                   const std::vector<std::string>& extraEnvironment = {},
                   LocaleVariables locale = LocaleVariables::kInherit);

// The same for the program file at `program` (a copy of the built program, say).
Outcome RunProgramFile(const std::string& program, const std::vector<std::string>& args,
                       const std::vector<std::string>& extraEnvironment = {},
                       LocaleVariables locale = LocaleVariables::kInherit);

}  // namespace app::testing
