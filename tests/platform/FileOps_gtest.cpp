// File operations with exact rules about a target name that is taken.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/FileOps.h"
#include "tests/platform/FolderTest.h"

namespace fs = std::filesystem;
using namespace platform;

namespace {

class FileOpsTest : public FolderTest {
protected:
    unsigned Mode(const std::string& rel)
    {
        struct stat info {};
        ::lstat((root + rel).c_str(), &info);
        return info.st_mode & 07777;
    }
};

// Sets the umask for the guard's lifetime.
class UmaskGuard {
public:
    explicit UmaskGuard(mode_t mask) : old_(::umask(mask)) {}
    ~UmaskGuard() { ::umask(old_); }

private:
    mode_t old_;
};

}  // namespace

TEST_F(FileOpsTest, PrivateFolderHasMode0700WhateverTheUmask)
{
    for (mode_t mask : {mode_t(0), mode_t(022), mode_t(077), mode_t(0277)}) {
        SCOPED_TRACE(mask);
        UmaskGuard umask(mask);
        const std::string name = "run" + std::to_string(mask);
        ASSERT_TRUE(CreatePrivateFolder(root + name + "/"));  // a trailing "/" is fine
        EXPECT_TRUE(fs::is_directory(root + name));
        EXPECT_EQ(Mode(name), 0700u);
    }
}

TEST_F(FileOpsTest, PrivateFolderRefusesATakenName)
{
    fs::create_directory(root + "folder");
    Write("folder/inside", "x");
    Write("file", "bytes");
    fs::create_directory(root + "elsewhere");
    fs::create_directory_symlink(root + "elsewhere", root + "link");
    fs::create_symlink(root + "nowhere", root + "dangling");
    for (const char* name : {"folder", "file", "link", "dangling"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(CreatePrivateFolder(root + name));
        EXPECT_FALSE(CreatePrivateFolder(root + name + "/"));
    }
    EXPECT_EQ(Read("file"), "bytes");
    EXPECT_EQ(Read("folder/inside"), "x");
    EXPECT_TRUE(fs::is_symlink(root + "link"));
    EXPECT_TRUE(fs::is_empty(root + "elsewhere"));
    EXPECT_FALSE(fs::exists(root + "nowhere"));  // the dangling link was not followed
    EXPECT_FALSE(CreatePrivateFolder(""));
    EXPECT_FALSE(CreatePrivateFolder(root + "missing/child"));
}

TEST_F(FileOpsTest, RenameNoReplaceLeavesATakenTarget)
{
    Write("a", "new");
    Write("b", "old");
    EXPECT_FALSE(RenameNoReplace(root + "a", root + "b"));
    EXPECT_EQ(Read("a"), "new");
    EXPECT_EQ(Read("b"), "old");

    fs::create_symlink(root + "nowhere", root + "dangling");
    EXPECT_FALSE(RenameNoReplace(root + "a", root + "dangling"));
    EXPECT_EQ(Read("a"), "new");
    EXPECT_FALSE(fs::exists(root + "nowhere"));

    EXPECT_TRUE(RenameNoReplace(root + "a", root + "c"));
    EXPECT_FALSE(fs::exists(root + "a"));
    EXPECT_EQ(Read("c"), "new");
    EXPECT_FALSE(RenameNoReplace(root + "missing", root + "d"));
}

TEST_F(FileOpsTest, RenameReplaceTakesTheNameInOneStep)
{
    Write("a", "new");
    Write("a.bak", "old");
    EXPECT_TRUE(RenameReplace(root + "a", root + "a.bak"));
    EXPECT_FALSE(fs::exists(root + "a"));
    EXPECT_EQ(Read("a.bak"), "new");

    // A target it cannot replace: both stay as they were.
    Write("b", "file");
    fs::create_directory(root + "b.bak");
    Write("b.bak/keep", "x");
    EXPECT_FALSE(RenameReplace(root + "b", root + "b.bak"));
    EXPECT_EQ(Read("b"), "file");
    EXPECT_EQ(Read("b.bak/keep"), "x");
}

TEST_F(FileOpsTest, DeleteFileRemovesFilesAndLinksOnly)
{
    Write("file", "x");
    Write("target", "kept");
    fs::create_symlink(root + "target", root + "link");
    fs::create_directory(root + "folder");
    EXPECT_TRUE(DeleteFile(root + "file"));
    EXPECT_FALSE(fs::exists(root + "file"));
    EXPECT_TRUE(DeleteFile(root + "link"));
    EXPECT_FALSE(fs::is_symlink(root + "link"));
    EXPECT_EQ(Read("target"), "kept");
    EXPECT_FALSE(DeleteFile(root + "folder"));
    EXPECT_TRUE(fs::is_directory(root + "folder"));
    EXPECT_FALSE(DeleteFile(root + "missing"));
}

TEST(RandomCharactersTest, LettersAndDigitsThatDiffer)
{
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) {
        const std::string text = RandomCharacters(6);
        ASSERT_EQ(text.size(), 6u);
        for (char c : text)
            EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) << text;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 20u);
    EXPECT_EQ(RandomCharacters(0), "");
}
