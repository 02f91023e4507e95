// Loading an external library by absolute path for one call.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/Library.h"
#include "tests/platform/FolderTest.h"

namespace fs = std::filesystem;
using platform::Library;

namespace {

using SprVer = int (*)(const char*, const char*, const char*, int);

using LibraryTest = FolderTest;

}  // namespace

TEST_F(LibraryTest, LoadsByAbsolutePathAndCallsTheExport)
{
    fs::copy_file(QUOMIRA_SHIPPED_UPDATE_LIBRARY, root + "update.so");
    const Library library(root + "update.so");
    ASSERT_TRUE(library.Loaded());
    const auto sprVer = library.Function<SprVer>("_SprVer");
    ASSERT_NE(sprVer, nullptr);
    EXPECT_EQ(sprVer("dovra", "1.3.0.0", "Quomira", 1), 0);
    // Only the exact, undecorated name.
    EXPECT_EQ(library.Symbol("_OpenArch"), nullptr);
    EXPECT_EQ(library.Symbol("SprVer"), nullptr);
    EXPECT_EQ(library.Symbol("_sprver"), nullptr);
}

TEST_F(LibraryTest, WhatCannotBeLoadedCountsAsMissing)
{
    std::ofstream(root + "text.so") << "not a library";
    fs::create_directory(root + "folder.so");
    fs::copy_file(QUOMIRA_SHIPPED_UPDATE_LIBRARY, root + "update.so");
    const std::string cases[] = {
        root + "absent.so",
        root + "text.so",
        root + "folder.so",
        "",
        // Never a search of the system's paths or of the working folder.
        "libc.so.6",
        "update.so",
        fs::relative(root + "update.so").string(),
    };
    for (const std::string& path : cases) {
        SCOPED_TRACE(path);
        const Library library(path);
        EXPECT_FALSE(library.Loaded());
        EXPECT_EQ(library.Symbol("_SprVer"), nullptr);
    }
}
