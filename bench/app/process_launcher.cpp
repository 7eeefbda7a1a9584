// Starts one program for the start-up benchmarks and reports its figures on standard output as
// "<wait status> <seconds> <peak resident KiB>". The program's standard output goes to /dev/null.
//
// Why a process of its own: Linux counts in a child's peak memory (ru_maxrss) the peak of the
// process it was spawned from, so a benchmark that spawned the program itself would add its own
// few MiB to every figure. This launcher uses the C library alone and stays near 1 MiB, below any
// program measured.
//
// Usage: dtusms_bench_launcher PROGRAM [ARGUMENT ...]

#include <cstdio>
#include <ctime>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: dtusms_bench_launcher PROGRAM [ARGUMENT ...]\n", stderr);
        return 2;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    timespec start{};
    timespec end{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t child = 0;
    if (posix_spawn(&child, argv[1], &actions, nullptr, argv + 1, environ) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        std::perror("wait4");
        return 1;
    }
    clock_gettime(CLOCK_MONOTONIC, &end);
    const double seconds = static_cast<double>(end.tv_sec - start.tv_sec) +
                           static_cast<double>(end.tv_nsec - start.tv_nsec) * 1e-9;
    std::printf("%d %.9f %ld\n", status, seconds, usage.ru_maxrss);
    return 0;
}
