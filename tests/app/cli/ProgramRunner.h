#pragma once

// Runs the built program (DTUSMS_PROGRAM) as a child process, for the end-to-end command-line tests.

#include <string>
#include <vector>

namespace app::testing {

struct Outcome {
    int status = -1;  // exit status; -1 when the program could not start or did not exit normally
    std::string out;
    std::string err;
    long peakKilobytes = 0;  // the child's peak resident memory
    int signal = 0;          // the signal that ended it, if one did
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

// The same with `input` as the program's standard input (a file's path; empty: none).
Outcome RunProgramWithInput(const std::vector<std::string>& args, const std::string& input,
                            const std::vector<std::string>& extraEnvironment = {});

// The built program running in the background, for tests that talk to it or interrupt it. Its
// standard output and error go to files that Wait reads.
class RunningProgram final {
public:
    // `input`: a path opened as the program's standard input (empty: none).
    explicit RunningProgram(const std::vector<std::string>& args,
                            const std::vector<std::string>& extraEnvironment = {},
                            const std::string& input = {});
    // Kills the program if it still runs.
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return pid_ > 0; }
    void Signal(int signal) const;
    // What the program wrote to standard output so far.
    std::string OutputSoFar() const;
    // Waits for the program to end.
    Outcome Wait();

private:
    std::string folder_;
    int pid_ = -1;
};

}  // namespace app::testing
