#include "platform/FileCopy.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileOps.h"

namespace platform {
namespace {

// Closes a descriptor when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    bool Close()
    {
        if (fd_ < 0)
            return true;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return closed;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool CopyBytes(int in, int out)
{
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!WriteAll(out, buffer, static_cast<size_t>(got)))
            return false;
    }
}

// The copy into the new file out; true when every byte is on disk.
bool FillTemporary(int in, Descriptor& out, mode_t mode)
{
    return CopyBytes(in, out.Get()) && ::fchmod(out.Get(), mode) == 0 && ::fsync(out.Get()) == 0 && out.Close();
}

}  // namespace

bool CopyFileNoReplace(const std::string& from, const std::string& to)
{
    struct stat existing {};
    if (to.empty() || ::lstat(to.c_str(), &existing) == 0)
        return false;  // taken: the final rename would refuse it anyway
    Descriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat source {};
    if (!in.Valid() || ::fstat(in.Get(), &source) != 0 || !S_ISREG(source.st_mode))
        return false;

    std::string temporary;
    Descriptor out(CreateFileBeside(to, 0600, temporary));
    if (!out.Valid())
        return false;

    if (!FillTemporary(in.Get(), out, source.st_mode & 0777) || !RenameNoReplace(temporary, to)) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolderOf(to);
    return true;
}

}  // namespace platform
