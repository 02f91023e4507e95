#include "platform/Process.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
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

    // Run by the helper of StartDetachedInSession, in our memory, on a stack
    // the sanitizer does not know: it is left out of the sanitizer's
    // bookkeeping of stacks at _exit.
    __attribute__((no_sanitize_address)) static int SpawnAndEnd(void* start)
    {
        auto* self = static_cast<Start*>(start);
        self->detachedStarted_ = self->Spawn() > 0;
        ::_exit(0);
    }
    bool detachedStarted_ = false;

private:
    std::string program_;
    std::vector<std::string> args_;
    std::vector<char*> argv_;
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

}  // namespace

int StartChildInSession(const std::string& program, const std::vector<std::string>& args)
{
    Start start(program, args);
    return start.Spawn();
}

bool StartDetachedInSession(const std::string& program, const std::vector<std::string>& args)
{
    Start start(program, args);
    // The helper shares our memory and runs on a stack of its own while this
    // thread waits (CLONE_VFORK) until it ends, just after the program runs.
    // No signal is taken meanwhile: a handler must not run on its stack.
    constexpr std::size_t kStack = 64 * 1024;
    void* stack = ::mmap(nullptr, kStack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (stack == MAP_FAILED)
        return false;
    sigset_t all;
    sigset_t old;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &old);
    const pid_t helper =
        ::clone(&Start::SpawnAndEnd, static_cast<char*>(stack) + kStack, CLONE_VM | CLONE_VFORK | SIGCHLD, &start);
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
    ::munmap(stack, kStack);
    if (helper < 0)
        return false;
    int status = 0;
    while (::waitpid(helper, &status, 0) < 0 && errno == EINTR) {}
    return start.detachedStarted_;
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
