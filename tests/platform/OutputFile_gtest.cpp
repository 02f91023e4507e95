// The output file of the exports: created or emptied, written in order,
// every failure raised, never a silently short file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Files.h"
#include "platform/OutputFile.h"

namespace fs = std::filesystem;
using platform::OutputFile;

namespace {

class OutputFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "quomira-output-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern + "/";
    }
    void TearDown() override { fs::remove_all(root); }
    std::string root;
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
    const std::string path = root + "missing/\xc5\x82\xc3\xb3" "d\xc5\xba.txt";  // "łódź" in UTF-8
    try {
        OutputFile file(path);
        ADD_FAILURE() << "created";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + root + "missing/\xb3\xf3" "d\x9f.txt\"");
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
         [](OutputFile& f, const std::string& l) { f.Stream().write(l.data(), static_cast<std::streamsize>(l.size())); },
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
