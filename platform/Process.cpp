#include "platform/Process.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Files.h"

extern char** environ;

namespace fs = std::filesystem;

namespace platform {
namespace {

// One start: the program's arguments and the spawn settings, made before
// anything forks (nothing is allocated between the fork and the exec).
class Start {
public:
    Start(const std::string& program, const std::vector<std::string>& args) : program_(program), args_(args)
    {
        args_.insert(args_.begin(), ExtractFileName(program));
        for (std::string& arg : args_)
            argv_.push_back(arg.data());
        argv_.push_back(nullptr);
        posix_spawn_file_actions_init(&actions_);
        posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawnattr_init(&attributes_);
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setsigdefault(&attributes_, &all);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~Start()
    {
        posix_spawnattr_destroy(&attributes_);
        posix_spawn_file_actions_destroy(&actions_);
    }
    Start(const Start&) = delete;
    Start& operator=(const Start&) = delete;

    // The pid of the program, or -1; returns once it runs.
    int Spawn()
    {
        pid_t pid = -1;
        return ::posix_spawn(&pid, program_.c_str(), &actions_, &attributes_, argv_.data(), environ) == 0 ? pid : -1;
    }

private:
    std::string program_;
    std::vector<std::string> args_;
    std::vector<char*> argv_;
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

// The runs of StartDetachedInSession, every argument list made before
// anything forks: the launcher only reads them, so it allocates nothing.
//
// The thread that starts them makes a helper that shares our memory and
// runs on a stack of its own while the thread waits (CLONE_VFORK); the
// helper forks the launcher and ends at once, so the launcher belongs to
// the system and the thread waits for one fork only: one copy of the page
// tables, whatever the number of runs. The launcher starts each program
// the same way, from a helper that shares its memory until the exec, in
// their order, and reaps those that have ended as it goes. From the fork
// on, only async-signal-safe calls are made; the code on those stacks is
// left out of the sanitizer's bookkeeping of stacks.
class Launcher {
public:
    Launcher(const std::string& program, const std::vector<std::vector<std::string>>& runs)
        : program_(program), environment_(environ)
    {
        const std::string name = ExtractFileName(program);
        for (const std::vector<std::string>& args : runs) {
            strings_.push_back({name});
            strings_.back().insert(strings_.back().end(), args.begin(), args.end());
        }
        for (std::vector<std::string>& strings : strings_) {
            starts_.push_back(argv_.size());
            for (std::string& string : strings)
                argv_.push_back(string.data());
            argv_.push_back(nullptr);
        }
        sigemptyset(&none_);
    }

    // True when the launcher was forked; returns once it was.
    bool Start()
    {
        void* stacks =
            ::mmap(nullptr, 2 * kStack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
        if (stacks == MAP_FAILED)
            return false;
        programStack_ = static_cast<char*>(stacks) + kStack;
        // No signal is taken on the helper's stack; the launcher starts with
        // every signal blocked and sets them all to their default.
        sigset_t all;
        sigset_t old;
        sigfillset(&all);
        ::pthread_sigmask(SIG_BLOCK, &all, &old);
        const pid_t helper =
            ::clone(&Launcher::Detach, static_cast<char*>(stacks) + 2 * kStack, CLONE_VM | CLONE_VFORK | SIGCHLD, this);
        ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
        ::munmap(stacks, 2 * kStack);
        if (helper < 0)
            return false;
        int status = 0;
        while (::waitpid(helper, &status, 0) < 0 && errno == EINTR) {}
        return forked_;
    }

private:
    static constexpr std::size_t kStack = 64 * 1024;

    // The helper: forks the launcher and ends. It has a descriptor table of
    // its own, so it drops those closed on exec before the fork: once Start
    // returns, the launcher holds no lock or file of ours.
    __attribute__((no_sanitize_address)) static int Detach(void* self)
    {
        auto* launcher = static_cast<Launcher*>(self);
        CloseThoseClosedOnExec();
        const pid_t pid = ::_Fork();
        if (pid == 0)
            launcher->Run();
        launcher->forked_ = pid > 0;
        ::_exit(0);
    }

    // The launcher, in a copy of our memory: its own session, every signal
    // at its default and none blocked, as the programs it starts inherit.
    __attribute__((no_sanitize_address, noreturn)) void Run()
    {
        ::setsid();
        struct sigaction fallback = {};
        fallback.sa_handler = SIG_DFL;
        sigemptyset(&fallback.sa_mask);
        for (int signal = 1; signal < NSIG; ++signal)
            ::sigaction(signal, &fallback, nullptr);
        input_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (input_ < 0)
            ::_exit(1);
        ::sigprocmask(SIG_SETMASK, &none_, nullptr);
        for (const std::size_t start : starts_) {
            current_ = argv_.data() + start;
            // Out of processes: once one of ours has ended, try again.
            while (::clone(&Launcher::Exec, programStack_, CLONE_VM | CLONE_VFORK | SIGCHLD, this) < 0)
                if (::waitpid(-1, nullptr, 0) < 0)
                    ::_exit(1);
            while (::waitpid(-1, nullptr, WNOHANG) > 0) {}
        }
        ::_exit(0);
    }

    // The launcher keeps none of the descriptors that its programs would not
    // inherit: a lock or a file of ours must not stay open while it runs.
    // Closing an entry does not move the ones after it in /proc/self/fd.
    __attribute__((no_sanitize_address)) static void CloseThoseClosedOnExec()
    {
        const int folder = ::open("/proc/self/fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0) {
            rlimit limit = {};
            ::getrlimit(RLIMIT_NOFILE, &limit);
            for (rlim_t fd = 0; fd < limit.rlim_cur && fd <= INT_MAX; ++fd)
                CloseIfClosedOnExec(static_cast<int>(fd));
            return;
        }
        alignas(dirent64) char entries[4096];
        long size = 0;
        while ((size = ::syscall(SYS_getdents64, folder, entries, sizeof entries)) > 0) {
            for (long at = 0; at < size;) {
                const auto* entry = reinterpret_cast<const dirent64*>(entries + at);
                at += entry->d_reclen;
                int fd = 0;
                const char* digit = entry->d_name;
                for (; *digit >= '0' && *digit <= '9'; ++digit)
                    fd = fd * 10 + (*digit - '0');
                if (digit != entry->d_name && *digit == '\0' && fd != folder)
                    CloseIfClosedOnExec(fd);
            }
        }
        ::close(folder);
    }

    __attribute__((no_sanitize_address)) static void CloseIfClosedOnExec(int fd)
    {
        const int flags = ::fcntl(fd, F_GETFD);
        if (flags >= 0 && (flags & FD_CLOEXEC) != 0)
            ::close(fd);
    }

    // One program, in a session of its own with /dev/null as its input.
    __attribute__((no_sanitize_address)) static int Exec(void* self)
    {
        auto* launcher = static_cast<Launcher*>(self);
        ::setsid();
        if (launcher->input_ == STDIN_FILENO)
            ::fcntl(STDIN_FILENO, F_SETFD, 0);
        else
            ::dup2(launcher->input_, STDIN_FILENO);
        ::execve(launcher->program_.c_str(), launcher->current_, launcher->environment_);
        ::_exit(127);
    }

    std::string program_;
    char** environment_;
    std::vector<std::vector<std::string>> strings_;
    std::vector<char*> argv_;          // each run's arguments and a null, one after another
    std::vector<std::size_t> starts_;  // where each run's arguments begin in argv_
    sigset_t none_;
    char* programStack_ = nullptr;  // the top of the stack the programs' helper runs on
    bool forked_ = false;           // set by the helper
    // The launcher's own, in its copy of our memory.
    int input_ = -1;
    char** current_ = nullptr;
};

bool IsExecutableFile(const std::string& path)
{
    struct stat info = {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

int StartChildInSession(const std::string& program, const std::vector<std::string>& args)
{
    Start start(program, args);
    return start.Spawn();
}

bool StartDetachedInSession(const std::string& program, const std::vector<std::vector<std::string>>& runs)
{
    if (!IsExecutableFile(program))
        return false;
    if (runs.empty())
        return true;
    Launcher launcher(program, runs);
    return launcher.Start();
}

ChildState ReapChild(int pid)
{
    int status = 0;
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == 0)
        return ChildState::Running;
    if (ended < 0)
        return ChildState::Failed;  // not ours, or already reaped
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ChildState::Succeeded : ChildState::Failed;
}

std::string ExecutablePath()
{
    std::error_code error;
    const fs::path path = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string ExtractFileName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtractFilePath(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool DirectoryExists(const std::string& path)
{
    std::error_code error;
    return !path.empty() && fs::is_directory(path, error);
}

bool CreateDir(const std::string& path)
{
    std::error_code error;
    return fs::create_directory(path, error) && !error;
}

bool CreatePrivateDirs(const std::string& path)
{
    if (path.empty())
        return false;
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    if (DirectoryExists(trimmed))
        return true;
    const std::string parent = ExtractFilePath(trimmed);
    if (!parent.empty() && parent != trimmed + "/" && !CreatePrivateDirs(parent))
        return false;
    if (::mkdir(trimmed.c_str(), 0700) == 0)
        return true;
    return errno == EEXIST && DirectoryExists(trimmed);
}

bool MoveFileReplace(const std::string& from, const std::string& to)
{
    std::error_code error;
    fs::rename(from, to, error);
    if (!error)
        return true;
    if (error != std::errc::cross_device_link)
        return false;
    if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, error) || error)
        return false;
    return fs::remove(from, error);
}

std::string RuntimeFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && DirectoryExists(runtime))
        return std::string(runtime) + "/";
    const std::string temp = SystemTempFolder();
    return temp.empty() ? std::string() : temp + "/";
}

SingleInstanceLock::~SingleInstanceLock()
{
    Release();
}

SingleInstanceLock::Result SingleInstanceLock::Acquire(const std::string& name, const std::string& folder)
{
    Release();
    const std::string dir = folder.empty() ? RuntimeFolder() : folder;
    if (dir.empty() || name.empty())
        return Result::Unavailable;
    // Close-on-exec: a program started from here (a browser opening a link)
    // must not inherit the lock and keep it after we end.
    const int fd = ::open((dir + name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return Result::Unavailable;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? Result::HeldElsewhere : Result::Unavailable;
    }
    fd_ = fd;
    return Result::Acquired;
}

void SingleInstanceLock::Release()
{
    if (fd_ < 0)
        return;
    ::close(fd_);  // closing the only descriptor drops the flock
    fd_ = -1;
}

}  // namespace platform
