// Copying a file that never replaces, never writes through a link, and never
// leaves a partial copy behind.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/FileCopy.h"
#include "tests/FileSizeLimit.h"
#include "tests/platform/FolderTest.h"

namespace fs = std::filesystem;
using namespace platform;

namespace {

class FileCopyTest : public FolderTest {
protected:
    void SetUp() override
    {
        FolderTest::SetUp();
        fs::create_directory(root + "to");
    }
    void TearDown() override
    {
        fs::permissions(root + "to", fs::perms::owner_all);
        FolderTest::TearDown();
    }
    // The names in the target folder, sorted.
    std::vector<std::string> TargetNames() const { return Names("to"); }
};

}  // namespace

TEST_F(FileCopyTest, CopiesBytesAndPermissionsUnderTheNewName)
{
    std::string bytes(300000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    Write("dovra.db", bytes);
    fs::permissions(root + "dovra.db", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    ASSERT_TRUE(CopyFileNoReplace(root + "dovra.db", root + "to/dovra.db"));
    EXPECT_EQ(Read("to/dovra.db"), bytes);
    EXPECT_EQ(Read("dovra.db"), bytes);
    EXPECT_EQ(fs::status(root + "to/dovra.db").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(TargetNames(), std::vector<std::string>{"dovra.db"});  // no temporary file left
}

TEST_F(FileCopyTest, ATakenTargetNameIsLeftAsItWas)
{
    Write("dovra.db", "new bytes");
    Write("elsewhere", "not to be written");
    const struct {
        const char* what;
        std::function<void()> make;
        std::function<void()> check;
    } cases[] = {
        {"a file", [&] { Write("to/dovra.db", "old"); }, [&] { EXPECT_EQ(Read("to/dovra.db"), "old"); }},
        {"a folder", [&] { fs::create_directory(root + "to/dovra.db"); },
         [&] { EXPECT_TRUE(fs::is_directory(fs::symlink_status(root + "to/dovra.db"))); }},
        {"a link to a file", [&] { fs::create_symlink(root + "elsewhere", root + "to/dovra.db"); },
         [&] {
             EXPECT_TRUE(fs::is_symlink(root + "to/dovra.db"));
             EXPECT_EQ(Read("elsewhere"), "not to be written");
         }},
        {"a dangling link", [&] { fs::create_symlink(root + "nothing", root + "to/dovra.db"); },
         [&] {
             EXPECT_TRUE(fs::is_symlink(root + "to/dovra.db"));
             EXPECT_FALSE(fs::exists(fs::symlink_status(root + "nothing")));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root + "to");
        fs::create_directory(root + "to");
        c.make();
        EXPECT_FALSE(CopyFileNoReplace(root + "dovra.db", root + "to/dovra.db"));
        c.check();
        EXPECT_EQ(TargetNames(), std::vector<std::string>{"dovra.db"});
    }
}

TEST_F(FileCopyTest, FailuresLeaveNoFileBehind)
{
    fs::create_directory(root + "folder");
    Write("dovra.db", "bytes");
    EXPECT_FALSE(CopyFileNoReplace(root + "missing", root + "to/dovra.db"));
    EXPECT_FALSE(CopyFileNoReplace(root + "folder", root + "to/dovra.db"));
    EXPECT_FALSE(CopyFileNoReplace(root + "dovra.db", root + "absent/dovra.db"));
    EXPECT_FALSE(CopyFileNoReplace(root + "dovra.db", ""));
    EXPECT_TRUE(TargetNames().empty());
    if (::geteuid() != 0) {
        // A folder that cannot be written.
        fs::permissions(root + "to", fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(CopyFileNoReplace(root + "dovra.db", root + "to/dovra.db"));
        fs::permissions(root + "to", fs::perms::owner_all);
        EXPECT_TRUE(TargetNames().empty());
    }
}

TEST_F(FileCopyTest, AWriteFailingMidwayLeavesNoPartialCopy)
{
    // A file size limit makes the writes fail part way, as a full disk does.
    Write("dovra.db", std::string(200000, 'x'));
    bool copied = true;
    {
        const FileSizeLimit limit(50000);
        ASSERT_TRUE(limit.Set());
        copied = CopyFileNoReplace(root + "dovra.db", root + "to/dovra.db");
    }
    EXPECT_FALSE(copied);
    EXPECT_TRUE(TargetNames().empty());
}
