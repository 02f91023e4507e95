#include "platform/OutputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <streambuf>
#include <vector>

#include "platform/Cp1250.h"

namespace platform {

// A stream buffer over a file descriptor. Every failure throws EWriteError
// and leaves the buffer failed, so a later flush or close reports it again.
class OutputFile::Buffer : public std::streambuf {
public:
    explicit Buffer(int fd) : fd_(fd), space_(kSize)
    {
        setp(space_.data(), space_.data() + space_.size());
    }
    ~Buffer() override { Release(); }

    void Append(const char* data, std::streamsize size)
    {
        if (failed_ || xsputn(data, size) != size)
            Fail();
    }

    void Close()
    {
        Flush();
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            Fail();
    }

    // Closes without reporting: what is buffered is still tried once.
    void Release() noexcept
    {
        if (fd_ < 0)
            return;
        if (!failed_)
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

int CreateFile(const std::string& path)
{
    int fd;
    do
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        throw EFCreateError("Cannot create file \"" + Utf8ToCp1250(path) + "\"");
    return fd;
}

}  // namespace

OutputFile::OutputFile(const std::string& path)
    : buffer_(std::make_unique<Buffer>(CreateFile(path))), stream_(buffer_.get())
{
    // The buffer's EWriteError leaves the stream's calls as it is.
    stream_.exceptions(std::ios::badbit);
}

OutputFile::~OutputFile() = default;

void OutputFile::Write(const std::string& bytes)
{
    buffer_->Append(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void OutputFile::Close()
{
    buffer_->Close();
}

}  // namespace platform
