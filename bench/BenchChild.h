// A benchmark's child process, timed from just before it is started until it
// says it is ready: one line on a pipe whose descriptor it finds in the
// environment variable BENCH_READY_FD. Its peak memory is the kernel's
// ru_maxrss of the process once it has ended. No Qt: the bare programs of
// bench/ are started the same way as the program.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

struct ChildRun {
    bool ok = false;     // ready in time, then ended with status 0
    double seconds = 0;  // from the start until the ready line
    double peakMiB = 0;  // ru_maxrss of the ended process
    std::string line;    // the ready line, without its line end
};

// The descriptor the child writes its ready line to.
constexpr int kReadyFd = 9;

// Reads one line from fd within the time left; false on time out or end.
inline bool ReadLine(int fd, std::chrono::steady_clock::time_point deadline, std::string& line)
{
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd waiting{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&waiting, 1, static_cast<int>(left.count())) <= 0)
            return false;
        char c = 0;
        if (::read(fd, &c, 1) != 1)
            return false;
        if (c == '\n')
            return true;
        line += c;
    }
}

// Starts argv (argv[0] a path) with extraEnv ("NAME=value") added to this
// process's environment (in place of a variable of the same name), and
// waits at most timeoutSeconds for its ready line. A child that is not
// ready in time is killed.
inline ChildRun RunUntilReady(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                              double timeoutSeconds)
{
    ChildRun run;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return run;
    std::vector<std::string> env = extraEnv;
    env.push_back("BENCH_READY_FD=" + std::to_string(kReadyFd));
    // The variables given replace those of this process of the same name.
    const auto given = [&env](const char* variable) {
        for (const std::string& e : env)
            if (std::strncmp(variable, e.data(), e.find('=') + 1) == 0)
                return true;
        return false;
    };
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
        if (!given(*e))
            envp.push_back(*e);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char*> argp;
    for (std::string& a : args)
        argp.push_back(a.data());
    argp.push_back(nullptr);

    // The write end as kReadyFd in the child (dup2 clears its close-on-exec);
    // moved above kReadyFd first, so that dup2 never finds it already there.
    const int writeEnd = ::fcntl(ends[1], F_DUPFD_CLOEXEC, kReadyFd + 1);
    ::close(ends[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, writeEnd, kReadyFd);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(writeEnd);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s\n", argp[0]);
        ::close(ends[0]);
        return run;
    }
    const auto deadline = start +
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    const bool ready = ReadLine(ends[0], deadline, run.line);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::close(ends[0]);
    if (!ready) {
        std::fprintf(stderr, "%s was not ready within %.0f s\n", argp[0], timeoutSeconds);
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // KiB on Linux
    run.ok = ready && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (ready && !run.ok)
        std::fprintf(stderr, "%s ended with status %d\n", argp[0], status);
    return run;
}

// For a child: says it is ready (the line), when it was started by
// RunUntilReady.
inline void SayReady(const std::string& line)
{
    const char* fd = std::getenv("BENCH_READY_FD");
    if (!fd)
        return;
    const std::string text = line + "\n";
    if (::write(std::atoi(fd), text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        std::fputs("cannot say ready\n", stderr);
}
