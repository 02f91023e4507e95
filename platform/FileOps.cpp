#include "platform/FileOps.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::string WithoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

constexpr std::string_view kTemporarySuffix = ".part-";
constexpr size_t kTemporaryRandom = 8;

std::string NameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsRandomPart(std::string_view rest)
{
    if (rest.size() != kTemporaryRandom)
        return false;
    for (const char c : rest)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    return true;
}

// The name of a temporary file beside path. A name too long to take the
// suffix gives the suffix alone, still in path's folder.
std::string TemporaryName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t nameLength = slash == std::string::npos ? path.size() : path.size() - slash - 1;
    const std::string base = nameLength + kTemporarySuffix.size() + kTemporaryRandom > NAME_MAX
        ? path.substr(0, slash == std::string::npos ? 0 : slash + 1)
        : path;
    return base + std::string(kTemporarySuffix) + RandomCharacters(kTemporaryRandom);
}

}  // namespace

bool CreatePrivateFolder(const std::string& path)
{
    if (path.empty())
        return false;
    const std::string folder = WithoutTrailingSlash(path);
    // mkdir never follows a symbolic link in the last component: any
    // existing name, a dangling link included, fails with EEXIST.
    if (::mkdir(folder.c_str(), 0700) != 0)
        return false;
    // The umask may have taken bits away; set exactly 0700 on what was made.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool modeSet = ::fchmod(fd, 0700) == 0;
    ::close(fd);
    return modeSet;
}

int CreateFileBeside(const std::string& path, unsigned mode, std::string& temporary)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        temporary = TemporaryName(path);
        // O_EXCL: a name that exists, a symbolic link included, is refused.
        int fd;
        do
            fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        while (fd < 0 && errno == EINTR);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

void RemoveFilesBesideLeftOver(const std::string& path)
{
    RemoveFilesBesideNamed(path, std::string(kTemporarySuffix), IsRandomPart);
}

void RemoveFilesBesideNamed(const std::string& path, const std::string& suffix, bool (*rest)(std::string_view))
{
    const std::string prefix = NameOf(path) + suffix;
    const int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return;
    // The listing gets a descriptor of its own; names are looked at and
    // removed relative to the folder opened once.
    const int listed = ::dup(folder);
    DIR* const entries = listed < 0 ? nullptr : ::fdopendir(listed);
    if (!entries) {
        if (listed >= 0)
            ::close(listed);
        ::close(folder);
        return;
    }
    while (const dirent* entry = ::readdir(entries)) {
        const std::string_view name(entry->d_name);
        if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix ||
            !rest(name.substr(prefix.size())))
            continue;
        struct stat info {};
        if (::fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::geteuid())
            ::unlinkat(folder, entry->d_name, 0);
    }
    ::closedir(entries);
    ::close(folder);
}

void SyncFolderOf(const std::string& path)
{
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool RenameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // The file system cannot rename without replacing: a hard link fails
    // when the target name exists.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    return ::unlink(from.c_str()) == 0;
}

bool RenameReplace(const std::string& from, const std::string& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool DeleteFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

std::string RandomCharacters(int count)
{
    static constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string text;
    while (static_cast<int>(text.size()) < count) {
        unsigned char bytes[32];
        const ssize_t got = ::getrandom(bytes, sizeof bytes, 0);
        if (got <= 0) {
            if (got < 0 && errno == EINTR)
                continue;
            break;  // no random source: the caller gets fewer characters
        }
        for (ssize_t i = 0; i < got && static_cast<int>(text.size()) < count; ++i) {
            // 248 = 4 * 62: higher bytes are dropped so that no character
            // is likelier than another.
            if (bytes[i] < 248)
                text += kAlphabet[bytes[i] % kAlphabet.size()];
        }
    }
    return text;
}

}  // namespace platform
