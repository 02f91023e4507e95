// File and folder services.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/Files.h"

#include "tests/EnvGuard.h"
#include "tests/platform/FolderTest.h"

namespace fs = std::filesystem;
using namespace platform;

namespace {

using FilesTest = FolderTest;

}  // namespace

TEST_F(FilesTest, SystemTempFolderIsCanonicalWithoutSlash)
{
    fs::create_directory(root + "real");
    fs::create_directory_symlink(root + "real", root + "alias");
    const std::string real = fs::canonical(root + "real").string();
    Write("file", "x");
    struct Case {
        std::optional<std::string> tmpdir;
        std::string expected;
    } cases[] = {
        {root + "alias", real},
        {root + "alias/", real},
        {root + "missing", ""},
        {root + "file", ""},  // not a folder
        {std::nullopt, fs::canonical("/tmp").string()},
        {std::string(""), fs::canonical("/tmp").string()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tmpdir.value_or("<unset>"));
        EnvGuard env("TMPDIR", c.tmpdir);
        EXPECT_EQ(SystemTempFolder(), c.expected);
    }
    EXPECT_FALSE(fs::exists(root + "missing"));
}

TEST_F(FilesTest, UserDataFolderFromXdgOrHome)
{
    struct Case {
        std::optional<std::string> xdg, home;
        std::string expected;
    } cases[] = {
        {"/x/data", "/h", "/x/data"},
        {"/x/data/", "/h", "/x/data"},
        {std::nullopt, "/h", "/h/.local/share"},
        {std::string(""), "/h", "/h/.local/share"},
        {std::nullopt, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xdg.value_or("<unset>") + " " + c.home.value_or("<unset>"));
        EnvGuard xdg("XDG_DATA_HOME", c.xdg);
        EnvGuard home("HOME", c.home);
        EXPECT_EQ(UserDataFolder(), c.expected);
    }
}

TEST_F(FilesTest, FileExistsOnlyForRegularFiles)
{
    Write("file", "x");
    fs::create_directory(root + "dir");
    fs::create_symlink(root + "file", root + "link");
    fs::create_symlink(root + "nowhere", root + "broken");
    EXPECT_TRUE(FileExists(root + "file"));
    EXPECT_TRUE(FileExists(root + "link"));
    EXPECT_FALSE(FileExists(root + "dir"));
    EXPECT_FALSE(FileExists(root + "broken"));
    EXPECT_FALSE(FileExists(root + "missing"));
}

TEST_F(FilesTest, SameFileByDeviceAndInodeOrResolvedPath)
{
    Write("file", "x");
    Write("other", "x");
    fs::create_directory(root + "sub");
    fs::create_hard_link(root + "file", root + "hard");
    fs::create_symlink(root + "file", root + "soft");
    fs::create_directory_symlink(root + "sub", root + "subalias");
    const struct Case {
        std::string a, b;
        bool same;
    } cases[] = {
        {root + "file", root + "file", true},
        {root + "file", root + "hard", true},
        {root + "soft", root + "file", true},
        {root + "sub/../file", root + "file", true},
        {root + "file", root + "other", false},  // the same bytes, another file
        {root + "file", root + "missing", false},
        {root + "missing", root + "sub/../missing", true},  // neither exists yet
        {root + "subalias/missing", root + "sub/missing", true},
        {root + "missing", root + "missing2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a + " / " + c.b);
        EXPECT_EQ(SameFile(c.a, c.b), c.same);
        EXPECT_EQ(SameFile(c.b, c.a), c.same);
    }
}

TEST_F(FilesTest, RemoveFolderRemovesOnlyEmptyFoldersAndLinks)
{
    fs::create_directories(root + "empty");
    fs::create_directories(root + "full");
    Write("full/f", "x");
    fs::create_directories(root + "target");
    Write("target/keep", "x");
    fs::create_directory_symlink(root + "target", root + "alias");

    EXPECT_TRUE(RemoveFolder(root + "empty/"));
    EXPECT_FALSE(fs::exists(root + "empty"));
    EXPECT_FALSE(RemoveFolder(root + "full/"));
    EXPECT_TRUE(fs::exists(root + "full/f"));
    EXPECT_TRUE(RemoveFolder(root + "alias/"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(root + "alias")));
    EXPECT_TRUE(fs::exists(root + "target/keep"));
    EXPECT_FALSE(RemoveFolder(root + "missing/"));
}

TEST(SplitLinesTest, BreaksAtCrLfLfAndCr)
{
    using V = std::vector<std::string>;
    struct Case {
        std::string text;
        V lines;
    } cases[] = {
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\n", {"a"}},
        {"a\r\n", {"a"}},
        {"", {}},
        {"\n", {""}},
        {"a\n\n", {"a", ""}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"no break", {"no break"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SplitLines(c.text), c.lines);
    }
}

TEST_F(FilesTest, ReadsBytesAndLines)
{
    const std::string bytes("\xB3\xF3\x64\x9F\0x\r\ny\n", 10);
    Write("data", bytes);
    EXPECT_EQ(ReadFileBytes(root + "data"), bytes);
    EXPECT_EQ(LoadLines(root + "data"), (std::vector<std::string>{std::string("\xB3\xF3\x64\x9F\0x", 6), "y"}));
    Write("empty", "");
    EXPECT_EQ(ReadFileBytes(root + "empty"), "");
    EXPECT_TRUE(LoadLines(root + "empty").empty());

    fs::create_directory(root + "dir");
    for (const std::string& bad : {root + "missing", root + "dir"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(ReadFileBytes(bad), EFOpenError);
        EXPECT_THROW(LoadLines(bad), EFOpenError);
    }
}
