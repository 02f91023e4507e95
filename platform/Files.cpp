#include "platform/Files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace platform {
namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

std::string SystemTempFolder()
{
    std::string dir = Env("TMPDIR");
    if (dir.empty())
        dir = "/tmp";
    std::error_code ec;
    const fs::path canonical = fs::canonical(dir, ec);
    if (ec || !fs::is_directory(canonical, ec))
        return "";
    return canonical.string();
}

std::string UserDataFolder()
{
    std::string dir = Env("XDG_DATA_HOME");
    if (dir.empty()) {
        const std::string home = Env("HOME");
        if (home.empty())
            return "";
        dir = home + "/.local/share";
    }
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec))
        return fs::equivalent(a, b, ec) && !ec;
    const fs::path first = fs::weakly_canonical(fs::absolute(a, ec), ec);
    if (ec)
        return false;
    const fs::path second = fs::weakly_canonical(fs::absolute(b, ec), ec);
    return !ec && first == second;
}

bool RemoveFolder(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    std::error_code ec;
    return fs::remove(p, ec) && !ec;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text, start, i - start);
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text, start);
    return lines;
}

std::string ReadFileBytes(const std::string& path)
{
    std::error_code ec;
    std::ifstream in;
    if (!fs::is_directory(path, ec))
        in.open(path, std::ios::binary);
    if (!in.is_open())
        throw EFOpenError("Cannot open file \"" + path + "\"");
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw EFOpenError("Cannot read file \"" + path + "\"");
    return bytes;
}

std::vector<std::string> LoadLines(const std::string& path)
{
    return SplitLines(ReadFileBytes(path));
}

}  // namespace platform
