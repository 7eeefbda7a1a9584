#include "tests/app/cli/ProgramRunner.h"

#include <csignal>
#include <filesystem>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
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

// Starts `program` with its output in `folder`/out and `folder`/err; -1 when it cannot start.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            const std::vector<std::string>& extraEnvironment, LocaleVariables locale,
            const std::string& folder, const std::string& input) {
    const std::string outPath = folder + "/out";
    const std::string errPath = folder + "/err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.empty() ? "/dev/null" : input.c_str(),
                                     O_RDONLY, 0);
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
    pid_t child = 0;
    const bool started =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return started ? child : -1;
}

Outcome Collect(pid_t child, const std::string& folder) {
    Outcome outcome;
    if (child > 0) {
        int status = 0;
        rusage usage{};
        ::wait4(child, &status, 0, &usage);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        outcome.peakKilobytes = usage.ru_maxrss;
    }
    outcome.out = sms::testing::ReadBytes(folder + "/out");
    outcome.err = sms::testing::ReadBytes(folder + "/err");
    return outcome;
}

}  // namespace

Outcome RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& extraEnvironment,
                   LocaleVariables locale) {
    return RunProgramFile(DTUSMS_PROGRAM, args, extraEnvironment, locale);
}

Outcome RunProgramFile(const std::string& program, const std::vector<std::string>& args,
                       const std::vector<std::string>& extraEnvironment, LocaleVariables locale) {
    sms::testing::TempDir capture;
    const std::string folder = capture.path().string();
    return Collect(Spawn(program, args, extraEnvironment, locale, folder, {}), folder);
}

Outcome RunProgramWithInput(const std::vector<std::string>& args, const std::string& input,
                            const std::vector<std::string>& extraEnvironment) {
    sms::testing::TempDir capture;
    const std::string folder = capture.path().string();
    return Collect(Spawn(DTUSMS_PROGRAM, args, extraEnvironment, LocaleVariables::kInherit, folder, input),
                   folder);
}

RunningProgram::RunningProgram(const std::vector<std::string>& args,
                               const std::vector<std::string>& extraEnvironment, const std::string& input) {
    std::string pattern = (std::filesystem::temp_directory_path() / "dtusms-run-XXXXXX").string();
    folder_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    if (!folder_.empty()) {
        pid_ = Spawn(DTUSMS_PROGRAM, args, extraEnvironment, LocaleVariables::kInherit, folder_, input);
    }
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

void RunningProgram::Signal(int signal) const {
    if (pid_ > 0) {
        ::kill(pid_, signal);
    }
}

std::string RunningProgram::OutputSoFar() const {
    return sms::testing::ReadBytes(folder_ + "/out");
}

Outcome RunningProgram::Wait() {
    const Outcome outcome = Collect(pid_, folder_);
    pid_ = -1;
    return outcome;
}

}  // namespace app::testing
