#pragma once

// Whole-process measurements for the start-up benchmarks: one launch of a program, through
// dtusms_bench_launcher (DTUSMS_BENCH_LAUNCHER; see process_launcher.cpp for why), with its wall
// time and peak memory, the alternating runs of a program beside its reference, and the median of
// a series.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {

struct Run {
    double seconds = 0;  // from the program's spawn to the end of its wait; 0 when it failed
    double maxRssKb = 0;
};

// Runs arguments[0] with `arguments`, its standard output to /dev/null. A program that cannot start
// or exits other than with status 0 gives a Run of zeros.
inline Run Launch(const std::vector<std::string>& arguments) {
    std::vector<char*> argv{const_cast<char*>(DTUSMS_BENCH_LAUNCHER)};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    int report[2];
    if (::pipe(report) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, report[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, report[0]);
    pid_t launcher = 0;
    const int spawned = posix_spawn(&launcher, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(report[1]);
    std::string text;
    char buffer[128];
    for (ssize_t n; spawned == 0 && (n = ::read(report[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(report[0]);
    int launcherStatus = 0;
    if (spawned != 0 || ::waitpid(launcher, &launcherStatus, 0) != launcher || launcherStatus != 0) {
        return {};
    }
    int status = -1;
    Run run;
    if (std::sscanf(text.c_str(), "%d %lf %lf", &status, &run.seconds, &run.maxRssKb) != 3 ||
        !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return {};
    }
    return run;
}

// One Launch of `program` and one of `reference` per iteration of `state`, in alternating order so
// that neither always runs on a warmer cache; the iteration time is the program's. Stops with an
// error at the first failed run. Returns the pairs (program, reference) measured.
inline std::vector<std::pair<Run, Run>> LaunchSideBySide(benchmark::State& state,
                                                         const std::vector<std::string>& program,
                                                         const std::vector<std::string>& reference) {
    std::vector<std::pair<Run, Run>> runs;
    bool programFirst = true;
    for (auto _ : state) {
        Run ours, theirs;
        if (programFirst) {
            ours = Launch(program);
            theirs = Launch(reference);
        } else {
            theirs = Launch(reference);
            ours = Launch(program);
        }
        programFirst = !programFirst;
        if (ours.seconds <= 0 || theirs.seconds <= 0) {
            state.SkipWithError("a program failed to start or exited with an error");
            break;
        }
        state.SetIterationTime(ours.seconds);
        runs.emplace_back(ours, theirs);
    }
    return runs;
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace bench
