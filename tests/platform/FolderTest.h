// A fresh folder for each test, removed with all it holds afterwards, and
// whole-file writes and reads in it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quomira-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern + "/";
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    void Write(const std::string& rel, const std::string& bytes) const
    {
        std::ofstream(root + rel, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& rel) const
    {
        std::ifstream in(root + rel, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // The names in a folder below the root ("" for the root), sorted.
    std::vector<std::string> Names(const std::string& rel = "") const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(root + rel))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string root;  // ends with "/"
};
