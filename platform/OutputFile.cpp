#include "platform/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <streambuf>
#include <vector>

#include "platform/Cp1250.h"
#include "platform/FileOps.h"

namespace platform {

// A stream buffer over a file descriptor. Every failure throws EWriteError
// and leaves the buffer failed, so a later flush or close reports it again.
class OutputFile::Buffer : public std::streambuf {
public:
    explicit Buffer(int fd) : fd_(fd), space_(kSize) { setp(space_.data(), space_.data() + space_.size()); }
    ~Buffer() override { Release(false); }

    void Append(const char* data, std::streamsize size)
    {
        if (failed_ || xsputn(data, size) != size)
            Fail();
    }

    // Flushes and closes; with sync, the bytes are on the disk first.
    void Close(bool sync)
    {
        Flush();
        if (sync && ::fsync(fd_) != 0)
            Fail();
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            Fail();
    }

    bool IsRegularFile() const
    {
        struct stat info {};
        return fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
    }

    // Closes without reporting; with writePending, what is buffered is
    // still tried once.
    void Release(bool writePending) noexcept
    {
        if (fd_ < 0)
            return;
        if (writePending && !failed_)
            WriteOut(pbase(), pptr() - pbase());
        ::close(fd_);
        fd_ = -1;
    }

protected:
    int_type overflow(int_type c) override
    {
        Flush();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    std::streamsize xsputn(const char* data, std::streamsize size) override
    {
        if (size <= epptr() - pptr()) {
            traits_type::copy(pptr(), data, static_cast<std::size_t>(size));
            pbump(static_cast<int>(size));
            return size;
        }
        // Too large for what is left: out with the buffer, then the bytes
        // themselves (small ones through the buffer again).
        Flush();
        if (size < epptr() - pptr())
            return xsputn(data, size);
        if (!WriteOut(data, size))
            Fail();
        return size;
    }

    int sync() override
    {
        Flush();
        return 0;
    }

private:
    static constexpr std::size_t kSize = 64 * 1024;

    [[noreturn]] void Fail()
    {
        failed_ = true;
        throw EWriteError();
    }

    void Flush()
    {
        if (failed_ || fd_ < 0)
            Fail();
        const std::streamsize pending = pptr() - pbase();
        setp(space_.data(), space_.data() + space_.size());
        if (!WriteOut(space_.data(), pending))
            Fail();
    }

    // All of the bytes to the file: a short write goes on, an interrupted
    // one is repeated, any other failure (a full disk, an I/O error) ends it.
    bool WriteOut(const char* data, std::streamsize size) noexcept
    {
        while (size > 0) {
            const ssize_t written = ::write(fd_, data, static_cast<std::size_t>(size));
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            data += written;
            size -= written;
        }
        return true;
    }

    int fd_;
    std::vector<char> space_;
    bool failed_ = false;
};

namespace {

EFCreateError CreateError(const std::string& path)
{
    return EFCreateError("Cannot create file \"" + Utf8ToCp1250(path) + "\"");
}

// A device or a pipe: opened and written as it is, since no file can stand
// in its place.
int OpenInPlace(const std::string& path)
{
    int fd;
    do
        fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throw CreateError(path);
    return fd;
}

// A file that may be written in a folder where no new file can be made: it
// is written where it is, as the same file that was looked at (target, no
// link followed any more), and emptied only once it is open.
int OpenFileInPlace(const std::string& path, const std::string& target, const struct stat& existing)
{
    int fd;
    do
        fd = ::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throw CreateError(path);
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_dev != existing.st_dev ||
        opened.st_ino != existing.st_ino || ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        throw CreateError(path);
    }
    return fd;
}

// The file path names through any symbolic links; EFCreateError when there
// is none.
std::string RealPath(const std::string& path)
{
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        throw CreateError(path);
    std::string resolved(real);
    std::free(real);
    return resolved;
}

// Opens what the bytes for path go into: the new file beside the file that
// is to take the name (target), named temporary, or path itself for a
// device or a pipe (temporary stays empty).
int StartFile(const std::string& path, std::string& target, std::string& temporary)
{
    struct stat existing {};
    const bool replaces = ::stat(path.c_str(), &existing) == 0;
    if (!replaces) {
        struct stat link {};
        if (path.empty() || ::lstat(path.c_str(), &link) == 0)
            throw CreateError(path);  // a link that points nowhere
        target = path;
    } else if (!S_ISREG(existing.st_mode)) {
        return OpenInPlace(path);  // a folder fails here
    } else if (::access(path.c_str(), W_OK) != 0) {
        throw CreateError(path);  // a file that may not be written stays so
    } else {
        target = RealPath(path);
    }
    RemoveFilesBesideLeftOver(target);
    // A replacing file is private until it has the old file's mode.
    const int fd = CreateFileBeside(target, replaces ? 0600 : 0666, temporary);
    if (fd < 0) {
        const bool folderClosed = errno == EACCES || errno == EPERM || errno == EROFS;
        temporary.clear();
        if (replaces && folderClosed)
            return OpenFileInPlace(path, target, existing);
        throw CreateError(path);
    }
    if (replaces)
        ::fchmod(fd, existing.st_mode & 0777);
    return fd;
}

}  // namespace

OutputFile::OutputFile(const std::string& path)
    : path_(path), buffer_(std::make_unique<Buffer>(StartFile(path, target_, temporary_))), stream_(buffer_.get())
{
    // The buffer's EWriteError leaves the stream's calls as it is.
    stream_.exceptions(std::ios::badbit);
}

OutputFile::~OutputFile()
{
    buffer_->Release(temporary_.empty());
    if (!temporary_.empty())
        DeleteFile(temporary_);
}

void OutputFile::Write(const std::string& bytes)
{
    buffer_->Append(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void OutputFile::Close()
{
    const bool inPlace = temporary_.empty();
    // A file written in place is synced too; a device or a pipe cannot be.
    buffer_->Close(!inPlace || buffer_->IsRegularFile());
    if (inPlace)
        return;
    if (!RenameReplace(temporary_, target_))
        throw CreateError(path_);
    temporary_.clear();
    SyncFolderOf(target_);
}

}  // namespace platform
