// The executable's path, the file operations of start-up and the
// single-instance lock, across real processes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Process.h"

namespace fs = std::filesystem;
using platform::SingleInstanceLock;
using Result = platform::SingleInstanceLock::Result;

namespace {

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = (fs::temp_directory_path() /
               ("process_test_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name()))
                  .string() +
            "/";
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string dir;
};

// Runs body in a child process that reports one byte through a pipe and
// then waits to be killed; answers the child's pid and its byte.
pid_t Child(char (*body)(const std::string&), const std::string& dir, char& reported)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const char byte = body(dir);
        (void)!::write(fds[1], &byte, 1);
        for (;;)
            ::pause();
    }
    ::close(fds[1]);
    if (::read(fds[0], &reported, 1) != 1)
        reported = '?';
    ::close(fds[0]);
    return pid;
}

char TakeLock(const std::string& dir)
{
    static SingleInstanceLock lock;  // held until the process is killed
    return lock.Acquire("quomira", dir) == Result::Acquired ? 'A' : 'N';
}

}  // namespace

TEST_F(ProcessTest, ExecutablePathIsThisProgram)
{
    const std::string path = platform::ExecutablePath();
    EXPECT_EQ(platform::ExtractFileName(path), "platform_sys_tests");
    EXPECT_EQ(platform::ExtractFilePath(path), fs::path(path).parent_path().string() + "/");
}

TEST_F(ProcessTest, PathParts)
{
    EXPECT_EQ(platform::ExtractFileName("/a/b/prog"), "prog");
    EXPECT_EQ(platform::ExtractFilePath("/a/b/prog"), "/a/b/");
    EXPECT_EQ(platform::ExtractFileName("prog"), "prog");
    EXPECT_EQ(platform::ExtractFilePath("prog"), "");
    EXPECT_EQ(platform::ExtractFileName("/a/"), "");
}

TEST_F(ProcessTest, CreateDirMakesOneLevel)
{
    EXPECT_TRUE(platform::CreateDir(dir + "one"));
    EXPECT_TRUE(platform::DirectoryExists(dir + "one/"));
    EXPECT_FALSE(platform::CreateDir(dir + "one"));  // exists already
    EXPECT_FALSE(platform::CreateDir(dir + "two/three"));
    EXPECT_FALSE(platform::DirectoryExists(dir + "two"));
}

TEST_F(ProcessTest, MoveFileReplacesTheTarget)
{
    std::ofstream(dir + "a") << "new";
    std::ofstream(dir + "b") << "old";
    EXPECT_TRUE(platform::MoveFileReplace(dir + "a", dir + "b"));
    EXPECT_FALSE(fs::exists(dir + "a"));
    std::ifstream in(dir + "b");
    std::string text;
    in >> text;
    EXPECT_EQ(text, "new");
    EXPECT_FALSE(platform::MoveFileReplace(dir + "missing", dir + "c"));
}

TEST_F(ProcessTest, OneHolderPerName)
{
    SingleInstanceLock first;
    SingleInstanceLock second;
    SingleInstanceLock other;
    EXPECT_EQ(first.Acquire("quomira", dir), Result::Acquired);
    EXPECT_EQ(second.Acquire("quomira", dir), Result::HeldElsewhere);
    EXPECT_FALSE(second.Held());
    EXPECT_EQ(other.Acquire("quomira2", dir), Result::Acquired);  // another file name
    first.Release();
    EXPECT_EQ(second.Acquire("quomira", dir), Result::Acquired);
}

TEST_F(ProcessTest, AnotherProcessHoldsTheLockUntilItDies)
{
    char reported = 0;
    const pid_t child = Child(&TakeLock, dir, reported);
    ASSERT_GT(child, 0);
    ASSERT_EQ(reported, 'A');
    SingleInstanceLock lock;
    EXPECT_EQ(lock.Acquire("quomira", dir), Result::HeldElsewhere);
    // A crash: the child never releases anything itself.
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(lock.Acquire("quomira", dir), Result::Acquired);
}

TEST_F(ProcessTest, ProgramsStartedByTheHolderDoNotInheritTheLock)
{
    SingleInstanceLock lock;
    ASSERT_EQ(lock.Acquire("quomira", dir), Result::Acquired);
    // The pipe closes in the child when it execs: from then on only the
    // started program runs there.
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(child, 0);
    ::close(fds[1]);
    char byte;
    while (::read(fds[0], &byte, 1) > 0) {}
    ::close(fds[0]);
    lock.Release();
    SingleInstanceLock next;
    EXPECT_EQ(next.Acquire("quomira", dir), Result::Acquired);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

// Neither does the launcher of detached runs, while it starts them: it
// holds no descriptor that the programs would not inherit.
TEST_F(ProcessTest, TheLauncherOfDetachedRunsHoldsNoLock)
{
    SingleInstanceLock lock;
    ASSERT_EQ(lock.Acquire("quomira", dir), Result::Acquired);
    const std::vector<std::vector<std::string>> runs(200, {"-c", ":"});
    ASSERT_TRUE(platform::StartDetachedInSession("/bin/sh", runs));
    lock.Release();
    SingleInstanceLock next;
    EXPECT_EQ(next.Acquire("quomira", dir), Result::Acquired);
}

TEST_F(ProcessTest, NoLockFolderMeansNoLock)
{
    SingleInstanceLock lock;
    EXPECT_EQ(lock.Acquire("quomira", dir + "nie/ma/"), Result::Unavailable);
    EXPECT_FALSE(lock.Held());
}

TEST_F(ProcessTest, RuntimeFolderFallsBackToTheTempFolder)
{
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", dir.substr(0, dir.size() - 1).c_str(), 1);
    EXPECT_EQ(platform::RuntimeFolder(), dir);
    ::setenv("XDG_RUNTIME_DIR", (dir + "nie").c_str(), 1);
    const std::string fallback = platform::RuntimeFolder();
    EXPECT_NE(fallback, dir + "nie/");
    EXPECT_FALSE(fallback.empty());
    if (saved)
        ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
}

// A started program runs in a session of its own with /dev/null as input;
// a child's ending is read without waiting; a detached one is no child.
TEST_F(ProcessTest, ProgramsStartInASessionOfTheirOwn)
{
    const std::string out = dir + "started.txt";
    const std::string script = "read line; echo \"$$ $(cut -d' ' -f6 /proc/$$/stat) $PPID ${line:-none}\" > " + out;
    const int child = platform::StartChildInSession("/bin/sh", {"-c", script + "; exit 3"});
    ASSERT_GT(child, 0);
    platform::ChildState state = platform::ChildState::Running;
    for (int i = 0; i < 500 && state == platform::ChildState::Running; ++i) {
        ::usleep(10000);
        state = platform::ReapChild(child);
    }
    EXPECT_EQ(state, platform::ChildState::Failed);
    std::ifstream started(out);
    int pid = 0, session = 0, parent = 0;
    std::string input;
    started >> pid >> session >> parent >> input;
    EXPECT_EQ(pid, child);
    EXPECT_EQ(session, child);
    EXPECT_EQ(parent, ::getpid());
    EXPECT_EQ(input, "none");

    std::filesystem::remove(out);
    ASSERT_TRUE(platform::StartDetachedInSession("/bin/sh", {{"-c", script}}));
    for (int i = 0; i < 500 && !std::filesystem::exists(out); ++i)
        ::usleep(10000);
    ::usleep(50000);
    std::ifstream detached(out);
    detached >> pid >> session >> parent >> input;
    EXPECT_EQ(session, pid);
    EXPECT_NE(parent, ::getpid());
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);  // no child of ours left
    EXPECT_FALSE(platform::StartDetachedInSession(dir + "nie-ma", {}));
}

// Detached runs, started by one launcher while a signal is blocked and one
// ignored here: each in a session of its own, with /dev/null as input, no
// signal blocked or ignored, and none left a child of ours.
TEST_F(ProcessTest, DetachedRunsStartAsProgramsDo)
{
    constexpr int kRuns = 3;
    std::vector<std::vector<std::string>> runs;
    for (int i = 0; i < kRuns; ++i) {
        const std::string out = dir + "run" + std::to_string(i) + ".txt";
        runs.push_back({"-c",
                        "read line; set -- $(cut -d' ' -f6 /proc/$$/stat) $(grep -E '^Sig(Blk|Ign)' "
                        "/proc/$$/status | cut -f2); echo \"$$ $1 ${line:-none} $2 $3\" > " +
                            out + ".part; mv " + out + ".part " + out});
    }
    sigset_t blocked;
    sigset_t old;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    ::pthread_sigmask(SIG_BLOCK, &blocked, &old);
    const auto oldInterrupt = ::signal(SIGINT, SIG_IGN);
    const bool started = platform::StartDetachedInSession("/bin/sh", runs);
    ::signal(SIGINT, oldInterrupt);
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
    ASSERT_TRUE(started);
    for (int i = 0; i < kRuns; ++i) {
        const std::string out = dir + "run" + std::to_string(i) + ".txt";
        for (int wait = 0; wait < 1000 && !std::filesystem::exists(out); ++wait)
            ::usleep(10000);
        std::ifstream run(out);
        int pid = 0, session = 0;
        std::string input, blockedMask, ignoredMask;
        run >> pid >> session >> input >> blockedMask >> ignoredMask;
        EXPECT_EQ(session, pid) << i;
        EXPECT_EQ(input, "none") << i;
        EXPECT_EQ(blockedMask, "0000000000000000") << i;
        EXPECT_EQ(ignoredMask, "0000000000000000") << i;
    }
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(platform::StartChildInSession(dir + "nie-ma", {}), -1);
}
