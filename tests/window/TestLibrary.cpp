#include "tests/window/TestLibrary.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/EnvGuard.h"

namespace fs = std::filesystem;

namespace {

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

}  // namespace

std::string TestLibrary::TestLibraryPath()
{
    return QUOMIRA_TEST_LIBRARY;
}

std::string TestLibrary::ShippedUpdateLibraryPath()
{
    return QUOMIRA_SHIPPED_UPDATE_LIBRARY;
}

void TestLibrary::Install(const std::string& libraryPath, const std::string& folder, const std::string& fileName)
{
    fs::copy_file(libraryPath, folder + fileName, fs::copy_options::overwrite_existing);
}

TestLibrary::TestLibrary(const std::string& controlFolder) : folder_(controlFolder)
{
    if (folder_.empty() || folder_.back() != '/')
        folder_ += '/';
    fs::create_directories(folder_);
    env_ = std::make_unique<EnvGuard>("QUOMIRA_TESTLIB_DIR", folder_);
}

TestLibrary::~TestLibrary() = default;

void TestLibrary::InstallAs(const std::string& folder, const std::string& fileName) const
{
    Install(TestLibraryPath(), folder, fileName);
}

void TestLibrary::SetUpdateAnswer(int answer) const
{
    WriteFile(folder_ + "answer", std::to_string(answer));
}

void TestLibrary::SetUnpackSource(const std::string& folder) const
{
    WriteFile(folder_ + "unpack", folder);
}

void TestLibrary::SetFolderMadeWhileUnpacking(const std::string& path) const
{
    WriteFile(folder_ + "makefolder", path);
}

std::vector<TestLibrary::Call> TestLibrary::Calls() const
{
    std::vector<Call> calls;
    std::ifstream in(folder_ + "calls", std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        const std::vector<std::string> fields = SplitTabs(line);
        if (fields.size() < 2)
            continue;
        Call call;
        call.exportName = fields.front();
        call.last = fields.back();
        for (size_t i = 1; i + 1 < fields.size(); ++i) {
            if (fields[i] == "-")
                call.texts.emplace_back(std::nullopt);
            else
                call.texts.emplace_back(fields[i].substr(1));
        }
        calls.push_back(std::move(call));
    }
    return calls;
}

void TestLibrary::ClearCalls() const
{
    std::error_code error;
    fs::remove(folder_ + "calls", error);
}
