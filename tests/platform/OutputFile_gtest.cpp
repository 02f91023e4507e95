// The output file of the exports: written in order, every failure raised,
// never a silently short file, and an existing file replaced whole or not at
// all.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Files.h"
#include "platform/OutputFile.h"
#include "tests/FileSizeLimit.h"
#include "tests/platform/FolderTest.h"

namespace fs = std::filesystem;
using platform::OutputFile;

namespace {

class OutputFileTest : public FolderTest {
protected:
    static fs::perms Mode(const std::string& path) { return fs::status(path).permissions() & fs::perms::all; }
};

// The full device answers every write with "no space left".
bool HaveDevFull()
{
    return fs::is_character_file("/dev/full");
}

}  // namespace

TEST_F(OutputFileTest, CreatesOrEmptiesAndWritesInOrder)
{
    std::ofstream(root + "old.txt", std::ios::binary) << std::string(100000, 'o');
    for (const std::string name : {"new.txt", "old.txt", "no extension"}) {
        SCOPED_TRACE(name);
        OutputFile file(root + name);
        file.Write("head|");
        file.Stream() << "body|";
        const std::string large(200000, 'b');  // larger than the buffer
        file.Stream().write(large.data(), static_cast<std::streamsize>(large.size()));
        file.Write("|foot");
        file.Close();
        EXPECT_EQ(platform::ReadFileBytes(root + name), "head|body|" + large + "|foot");
    }
    OutputFile empty(root + "old.txt");
    empty.Close();
    EXPECT_EQ(fs::file_size(root + "old.txt"), 0u);
}

TEST_F(OutputFileTest, AFileThatCannotBeCreatedRaisesTheCreationError)
{
    fs::create_directory(root + "folder");
    for (const std::string& path : {root + "folder", root + "missing/x.txt"}) {
        SCOPED_TRACE(path);
        try {
            OutputFile file(path);
            ADD_FAILURE() << "created";
        } catch (const EFCreateError& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + path + "\"");
        }
    }
    EXPECT_TRUE(fs::is_directory(root + "folder"));
    EXPECT_FALSE(fs::exists(root + "missing"));
}

TEST_F(OutputFileTest, ThePathInTheCreationErrorIsProgramText)
{
    const std::string path = root +
        "missing/\xc5\x82\xc3\xb3"
        "d\xc5\xba.txt";  // "łódź" in UTF-8
    try {
        OutputFile file(path);
        ADD_FAILURE() << "created";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot create file \"" + root +
                      "missing/\xb3\xf3"
                      "d\x9f.txt\"");
    }
}

TEST_F(OutputFileTest, AFullDiskIsAWriteErrorWhereverItShows)
{
    if (!HaveDevFull())
        GTEST_SKIP() << "no /dev/full";
    const std::string large(300000, 'x');
    // Small writes stay in the buffer and fail at the close; a large one
    // fails at once, through the stream as through Write.
    const struct Case {
        const char* name;
        void (*write)(OutputFile&, const std::string&);
        bool small;
    } cases[] = {
        {"small Write", [](OutputFile& f, const std::string&) { f.Write("head"); }, true},
        {"small stream write", [](OutputFile& f, const std::string&) { f.Stream() << "body"; }, true},
        {"large Write", [](OutputFile& f, const std::string& l) { f.Write(l); }, false},
        {"large stream write",
         [](OutputFile& f, const std::string& l) {
             f.Stream().write(l.data(), static_cast<std::streamsize>(l.size()));
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OutputFile file("/dev/full");
        if (c.small) {
            EXPECT_NO_THROW(c.write(file, large));
            try {
                file.Close();
                ADD_FAILURE() << "closed";
            } catch (const EWriteError& error) {
                EXPECT_EQ(std::string(error.what()), "Stream write error");
            }
        } else {
            EXPECT_THROW(c.write(file, large), EWriteError);
            EXPECT_THROW(file.Close(), EWriteError);  // a failed file is never closed as complete
        }
    }
}

TEST_F(OutputFileTest, AStreamThatHasFailedStaysFailed)
{
    if (!HaveDevFull())
        GTEST_SKIP() << "no /dev/full";
    OutputFile file("/dev/full");
    const std::string large(300000, 'x');
    EXPECT_THROW(file.Write(large), EWriteError);
    EXPECT_THROW(file.Stream() << large, EWriteError);
    EXPECT_FALSE(file.Stream().good());
    EXPECT_THROW(file.Write("x"), EWriteError);
}

TEST_F(OutputFileTest, AWriteFailingPartWayLeavesTheOldFileAsItWas)
{
    const std::string path = root + "dovra.html";
    const std::string old = std::string(100000, 'o');
    const std::string small(1000, 's');
    const std::string large(200000, 'n');
    // The file system takes 50,000 bytes of the new file, then no more.
    const struct Case {
        const char* name;
        void (*write)(OutputFile&, const std::string& small, const std::string& large);
    } cases[] = {
        {"fails in a write", [](OutputFile& f, const std::string&, const std::string& l) { f.Write(l); }},
        {"fails in the stream",
         [](OutputFile& f, const std::string&, const std::string& l) {
             f.Stream().write(l.data(), static_cast<std::streamsize>(l.size()));
         }},
        {"fails at the close",
         [](OutputFile& f, const std::string& s, const std::string&) {
             for (int i = 0; i < 60; ++i)
                 f.Write(s);  // 60,000 bytes: all in the buffer until the close
             f.Close();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(path, std::ios::binary) << old;
        {
            const FileSizeLimit limit(50000);
            ASSERT_TRUE(limit.Set());
            try {
                OutputFile file(path);
                c.write(file, small, large);
                file.Close();
                ADD_FAILURE() << "closed";
            } catch (const EWriteError& error) {
                EXPECT_EQ(std::string(error.what()), "Stream write error");
            }
        }
        const std::string kept = platform::ReadFileBytes(path);
        EXPECT_EQ(kept.size(), old.size());
        EXPECT_TRUE(kept == old);
        EXPECT_EQ(Names(), std::vector<std::string>{"dovra.html"});  // nothing left beside it
    }
}

TEST_F(OutputFileTest, AFileNeverClosedReplacesNothing)
{
    // An export ended by an error elsewhere leaves the object without Close.
    const std::string path = root + "dovra.txt";
    std::ofstream(path, std::ios::binary) << "old";
    {
        OutputFile file(path);
        file.Write(std::string(200000, 'n'));
    }
    EXPECT_EQ(platform::ReadFileBytes(path), "old");
    EXPECT_EQ(Names(), std::vector<std::string>{"dovra.txt"});
    {
        OutputFile file(root + "new.txt");
        file.Write("never closed");
    }
    EXPECT_EQ(Names(), std::vector<std::string>{"dovra.txt"});
}

TEST_F(OutputFileTest, AReplacedFileKeepsItsModeAndItsLinks)
{
    using fs::perms;
    const std::string path = root + "old.html";
    std::ofstream(path, std::ios::binary) << std::string(5000, 'o');
    fs::permissions(path, perms::owner_read | perms::owner_write | perms::group_read);
    fs::create_symlink(path, root + "link.html");
    for (const std::string name : {"old.html", "link.html"}) {
        SCOPED_TRACE(name);
        OutputFile file(root + name);
        file.Write("new " + name);
        file.Close();
        EXPECT_EQ(platform::ReadFileBytes(path), "new " + name);
        EXPECT_EQ(Mode(path), perms::owner_read | perms::owner_write | perms::group_read);
        EXPECT_TRUE(fs::is_symlink(root + "link.html"));  // the link still points at the file
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"link.html", "old.html"}));
}

TEST_F(OutputFileTest, ANewFileTakesTheModeOfANormalCreate)
{
    using fs::perms;
    const struct {
        mode_t umask;
        perms mode;
    } cases[] = {
        {022, perms::owner_read | perms::owner_write | perms::group_read | perms::others_read},
        {077, perms::owner_read | perms::owner_write},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.umask);
        const mode_t old = ::umask(c.umask);
        const std::string path = root + "new" + std::to_string(c.umask) + ".txt";
        OutputFile file(path);
        file.Write("x");
        file.Close();
        ::umask(old);
        EXPECT_EQ(Mode(path), c.mode);
    }
}

// One program runs at a time, so a file beside the target with the writer's
// own temporary name can only be what an ended run left: the next write of
// that file removes it. Nothing else goes, and a link is never followed.
TEST_F(OutputFileTest, TheNextWriteRemovesTheLeftoversOfThatFileOnly)
{
    Write("victim", "victim");
    Write("dovra.html", "old");
    const std::vector<std::string> leftovers = {"dovra.html.part-AbCd1234", "dovra.html.part-00000000"};
    const std::vector<std::string> others = {
        "dovra.html.part-AbCd123",    // one character short
        "dovra.html.part-AbCd12345",  // one too many
        "dovra.html.part-AbC_1234",   // not a letter or digit
        "dovra.htm.part-AbCd1234",    // another file's
        "xdovra.html.part-AbCd1234", "dovra.html.tmp123", "dovra.html",
    };
    for (const std::string& name : leftovers)
        Write(name, "left");
    for (const std::string& name : others)
        if (name != "dovra.html")
            Write(name, "kept");
    fs::create_symlink(root + "victim", root + "dovra.html.part-Link0000");
    fs::create_directory(root + "dovra.html.part-Fold0000");
    OutputFile file(root + "dovra.html");
    file.Write("new");
    file.Close();

    std::vector<std::string> expected = others;
    expected.insert(expected.end(), {"dovra.html.part-Fold0000", "dovra.html.part-Link0000", "victim"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Names(), expected);
    EXPECT_EQ(Read("dovra.html"), "new");
    EXPECT_EQ(Read("victim"), "victim");
    EXPECT_TRUE(fs::is_symlink(root + "dovra.html.part-Link0000"));
}

// Through the user's symbolic link the leftovers are those beside the file
// it points to, where the writer makes its files.
TEST_F(OutputFileTest, TheLeftoversOfALinkedFileAreThoseBesideItsTarget)
{
    fs::create_directory(root + "real");
    Write("real/dovra.ini", "old");
    Write("real/dovra.ini.part-Left0000", "left");
    Write("dovra.ini.part-Kept0000", "kept");
    fs::create_symlink(root + "real/dovra.ini", root + "dovra.ini");
    OutputFile file(root + "dovra.ini");
    file.Write("new");
    file.Close();
    EXPECT_EQ(Names("real"), std::vector<std::string>{"dovra.ini"});
    EXPECT_EQ(Names(), (std::vector<std::string>{"dovra.ini", "dovra.ini.part-Kept0000", "real"}));
    EXPECT_EQ(Read("real/dovra.ini"), "new");
}

namespace {

// What the writer in the closed folder came to.
enum InPlaceResult { kWritten = 0, kCreateError = 1, kOtherError = 2, kCannotDrop = 77 };

// Writes bytes to path as a user who may not write its folder: as root in a
// child process that has become the user nobody (65534), else as this user.
int WriteAsUserOfClosedFolder(const std::string& path, const std::string& bytes)
{
    const auto write = [&] {
        try {
            OutputFile file(path);
            file.Write(bytes);
            file.Close();
            return kWritten;
        } catch (const EFCreateError&) {
            return kCreateError;
        } catch (...) {
            return kOtherError;
        }
    };
    if (::geteuid() != 0)
        return write();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(kCannotDrop);
        ::_exit(write());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : kOtherError;
}

}  // namespace

// A folder the user cannot write, over a file the user can: no new file can
// be made beside it, so the file is emptied and written where it is (as an
// editor saves it). A file the user cannot write still refuses, and no new
// file is made there.
TEST_F(OutputFileTest, AFileInAFolderThatCannotBeWrittenIsWrittenInPlace)
{
    using fs::perms;
    fs::permissions(root,
                    perms::owner_all | perms::group_read | perms::group_exec | perms::others_read | perms::others_exec);
    fs::create_directory(root + "closed");
    Write("closed/dovra.txt", "an older and longer text");
    Write("closed/locked.txt", "locked");
    fs::permissions(root + "closed/dovra.txt",
                    perms::all & ~(perms::owner_exec | perms::group_exec | perms::others_exec));
    fs::permissions(root + "closed/locked.txt", perms::owner_read | perms::group_read | perms::others_read);
    const perms closed = perms::owner_read | perms::owner_exec | perms::group_read | perms::group_exec |
        perms::others_read | perms::others_exec;
    fs::permissions(root + "closed", closed);

    const int written = WriteAsUserOfClosedFolder(root + "closed/dovra.txt", "new");
    if (written == kCannotDrop)
        GTEST_SKIP() << "cannot become the user nobody (65534) to write as a user without write permission";
    if (::geteuid() != 0 && ::access((root + "closed").c_str(), W_OK) == 0)
        GTEST_SKIP() << "this user may write any folder";
    EXPECT_EQ(written, kWritten);
    EXPECT_EQ(Read("closed/dovra.txt"), "new");
    EXPECT_EQ(WriteAsUserOfClosedFolder(root + "closed/locked.txt", "new"), kCreateError);
    EXPECT_EQ(WriteAsUserOfClosedFolder(root + "closed/missing.txt", "new"), kCreateError);
    fs::permissions(root + "closed", perms::owner_all);
    EXPECT_EQ(Read("closed/locked.txt"), "locked");
    EXPECT_EQ(Names("closed"), (std::vector<std::string>{"dovra.txt", "locked.txt"}));
}
