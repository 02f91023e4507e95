#include "platform/Process.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Files.h"

namespace fs = std::filesystem;

namespace platform {

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
