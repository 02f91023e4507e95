// A stand-in for both external libraries in tests: it exports _SprVer and
// _OpenArch, so a test copies it into the stand-in executable folder as
// "update.so" or "archuse.so". The program loads it for one call and
// unloads it at once, so it keeps no state of its own: everything goes
// through the control folder named by $QUOMIRA_TESTLIB_DIR (see
// TestLibrary.h, which writes and reads these files):
//   answer  _SprVer's result as decimal digits (0 without the file);
//   unpack  the path of a folder whose files _OpenArch copies into the
//           run subfolder (without the file it unpacks nothing);
//   makefolder  a path that _OpenArch makes a folder while it unpacks
//           (a file of that name is deleted first);
//   calls   one line appended per call: the export's name, each text as
//           "=" + bytes or "-" for a null pointer, then _SprVer's mode or
//           the mode of the run subfolder as _OpenArch found it.
// Written against POSIX and plain strings only: no symbol of it may be
// unique to the process (readelf shows none as UNIQUE), or the dynamic
// loader would keep it loaded after the program unloads it.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#define EXPORT __attribute__((visibility("default")))

extern "C" int SprVer(const char* name, const char* version, const char* title, int mode) __asm__("_SprVer") EXPORT;
extern "C" void OpenArch(const char* tempFolder, const char* runSubfolder,
                         const char* archiveFolder) __asm__("_OpenArch") EXPORT;

namespace {

std::string ControlPath(const char* file)
{
    const char* dir = std::getenv("QUOMIRA_TESTLIB_DIR");
    if (!dir || !*dir)
        return std::string();
    std::string path = dir;
    if (path.back() != '/')
        path += '/';
    return path + file;
}

std::string ReadControl(const char* file)
{
    const std::string path = ControlPath(file);
    std::string text;
    if (path.empty())
        return text;
    if (FILE* in = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
            text.append(buffer, got);
        std::fclose(in);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

std::string Field(const char* text)
{
    return text ? std::string("=") + text : std::string("-");
}

void Record(const std::string& line)
{
    const std::string path = ControlPath("calls");
    if (path.empty())
        return;
    if (FILE* out = std::fopen(path.c_str(), "ab")) {
        std::fwrite(line.data(), 1, line.size(), out);
        std::fputc('\n', out);
        std::fclose(out);
    }
}

// "0700" for a folder, "link" for a symbolic link, "file", or "none".
std::string FolderMode(const std::string& path)
{
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    struct stat info;
    if (::lstat(folder.c_str(), &info) != 0)
        return "none";
    if (S_ISLNK(info.st_mode))
        return "link";
    if (!S_ISDIR(info.st_mode))
        return "file";
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    return text;
}

// Copies the regular files of from (symbolic links as links) into the
// existing folder to; never replaces anything there.
void CopyFiles(const std::string& from, const std::string& to)
{
    DIR* dir = ::opendir(from.c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string source = from + "/" + name;
        const std::string target = to + "/" + name;
        struct stat info;
        if (::lstat(source.c_str(), &info) != 0)
            continue;
        if (S_ISLNK(info.st_mode)) {
            char link[4096];
            const ssize_t length = ::readlink(source.c_str(), link, sizeof link - 1);
            if (length > 0) {
                link[length] = '\0';
                (void)!::symlink(link, target.c_str());
            }
            continue;
        }
        if (!S_ISREG(info.st_mode))
            continue;
        const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
        const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        char buffer[65536];
        ssize_t got;
        while (in >= 0 && out >= 0 && (got = ::read(in, buffer, sizeof buffer)) > 0)
            (void)!::write(out, buffer, static_cast<size_t>(got));
        if (in >= 0)
            ::close(in);
        if (out >= 0)
            ::close(out);
    }
    ::closedir(dir);
}

}  // namespace

extern "C" int SprVer(const char* name, const char* version, const char* title, int mode)
{
    char modeText[16];
    std::snprintf(modeText, sizeof modeText, "%d", mode);
    Record("_SprVer\t" + Field(name) + "\t" + Field(version) + "\t" + Field(title) + "\t" + modeText);
    const std::string answer = ReadControl("answer");
    return answer.empty() ? 0 : std::atoi(answer.c_str());
}

extern "C" void OpenArch(const char* tempFolder, const char* runSubfolder, const char* archiveFolder)
{
    const std::string runFolder = std::string(tempFolder ? tempFolder : "") + (runSubfolder ? runSubfolder : "");
    Record("_OpenArch\t" + Field(tempFolder) + "\t" + Field(runSubfolder) + "\t" + Field(archiveFolder) + "\t" +
           FolderMode(runFolder));
    const std::string source = ReadControl("unpack");
    if (!source.empty() && FolderMode(runFolder) != "none")
        CopyFiles(source, runFolder);
    const std::string madeWhileUnpacking = ReadControl("makefolder");
    if (!madeWhileUnpacking.empty()) {
        ::unlink(madeWhileUnpacking.c_str());
        ::mkdir(madeWhileUnpacking.c_str(), 0700);
    }
}
