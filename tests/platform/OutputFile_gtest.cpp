// The output file of the exports: written in order, every failure raised,
// never a silently short file, and an existing file replaced whole or not at
// all.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

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
