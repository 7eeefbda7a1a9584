#include "tests/app/cli/ProgramRunner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/sms/TempDir.h"

extern char** environ;

namespace app::testing {

namespace {

bool IsLocaleVariable(const std::string& variable) {
    return variable.starts_with("LANG=") || variable.starts_with("LC_ALL=") ||
           variable.starts_with("LC_MESSAGES=");
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& entry : strings) {
        pointers.push_back(entry.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

Outcome RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& extraEnvironment,
                   LocaleVariables locale) {
    return RunProgramFile(DTUSMS_PROGRAM, args, extraEnvironment, locale);
}

Outcome RunProgramFile(const std::string& program, const std::vector<std::string>& args,
                       const std::vector<std::string>& extraEnvironment, LocaleVariables locale) {
    sms::testing::TempDir capture;
    const std::string outPath = capture.File("out");
    const std::string errPath = capture.File("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);

    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    // The first of two equal names wins in getenv, so the extra variables go first.
    std::vector<std::string> envStrings = extraEnvironment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable(*entry);
        if (locale == LocaleVariables::kInherit || !IsLocaleVariable(variable)) {
            envStrings.push_back(variable);
        }
    }
    std::vector<char*> argv = Pointers(argStrings);
    std::vector<char*> envp = Pointers(envStrings);

    Outcome outcome;
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        ::waitpid(child, &status, 0);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    outcome.out = sms::testing::ReadBytes(outPath);
    outcome.err = sms::testing::ReadBytes(errPath);
    return outcome;
}

}  // namespace app::testing
