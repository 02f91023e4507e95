// The running program: its executable, the single-instance lock, the few
// file operations of start-up, and the programs it starts. POSIX only, no Qt.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The executable's full path (from /proc/self/exe); "" when unknown.
std::string ExecutablePath();

// "/a/b/prog" -> "prog" and "/a/b/"; a path without "/" has the folder "".
std::string ExtractFileName(const std::string& path);
std::string ExtractFilePath(const std::string& path);

bool DirectoryExists(const std::string& path);
// Creates one folder level; false when it fails or the folder existed.
bool CreateDir(const std::string& path);
// Creates a folder with every missing parent, each folder it creates with
// mode 0700 (for the user alone). True when the folder exists afterwards.
bool CreatePrivateDirs(const std::string& path);
// Moves a file, replacing an existing target; across file systems it copies
// and deletes. False when it fails.
bool MoveFileReplace(const std::string& from, const std::string& to);

// Programs the desktop runs for us (its opener): each starts in a session of
// its own, with standard input from /dev/null, no signal blocked and every
// signal at its default action; the other descriptors are inherited as
// they are. program is an absolute path, args its arguments after its name.
//
// A child of ours, to be reaped with ReapChild: its pid, or -1 when it
// could not be started. Returns once the program runs.
int StartChildInSession(const std::string& program, const std::vector<std::string>& args);
// No child of ours: program is started once for each of runs (its
// arguments), in their order, by one launcher process that belongs to the
// system (init reaps it and what it started). Every argument list is made
// before the launcher is forked, so the call returns at once, whatever the
// number of runs: it neither waits for a start nor holds anything of them.
// The launcher keeps none of our descriptors that are closed on exec.
// False when program is no executable file or the launcher could not be
// started; a run that fails to start later is not known here.
bool StartDetachedInSession(const std::string& program, const std::vector<std::vector<std::string>>& runs);

enum class ChildState { Running, Succeeded, Failed };
// Reaps the child pid when it has ended, without waiting: Failed for an
// exit status other than 0 or an end by a signal.
ChildState ReapChild(int pid);

// $XDG_RUNTIME_DIR when it is an existing folder, else the temp folder;
// ending with "/", or "" when neither exists.
std::string RuntimeFolder();

// The lock that keeps a second copy of the program from running. It is an
// exclusive flock on "<name>.lock" in the runtime folder, so the kernel
// releases it when the holding process ends in any way, a crash included.
class SingleInstanceLock {
public:
    enum class Result {
        Acquired,       // this object holds the lock until it is destroyed
        HeldElsewhere,  // another holder (process or lock object) has it
        Unavailable,    // no lock file could be opened; nothing is held
    };

    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // name is the executable's file name: copies under other names do not
    // see each other. folder "" means RuntimeFolder().
    Result Acquire(const std::string& name, const std::string& folder = "");
    bool Held() const { return fd_ >= 0; }
    void Release();

private:
    int fd_ = -1;
};

}  // namespace platform
