// Reading an unpacked catalogue of the older storage generation: the file
// "kategorie" with one "<n>" name per line, and the link files "kat" + i with
// "<n>" link and "<o>" description per line. kat0 holds the links without a
// category, "kat" + (i + 1) the links of category line i. The files were
// written without escapes, so their values are taken raw.
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "store/Db_sqlite.h"
#include "store/Funcs.h"

namespace {

// A legacy file's lines, raw but for its NUL bytes (which would cut a value
// short in the inserts).
std::vector<std::string> LoadLegacyLines(const std::string& path)
{
    return platform::SplitLines(platform::WithoutNul(platform::ReadFileBytes(path)));
}

// Appends the links of one legacy file under category id catId.
void ReadLinkFile(const std::string& path, int catId, int& running)
{
    if (!platform::FileExists(path))
        return;
    const std::vector<std::string> lines = LoadLegacyLines(path);
    for (std::size_t j = 0; j < lines.size(); ++j) {
        const std::string link = ReplaceAll(GetRawTagValue(lines[j], "<n>"), "'", "");
        LinkItems.emplace_back(running + static_cast<int>(j) + 1, catId, static_cast<int>(j), link,
                               GetRawTagValue(lines[j], "<o>"));
    }
    running += static_cast<int>(lines.size());
}

}  // namespace

void SQLiteClass::ImportLegacyFolder(const std::string& folder, const std::string& subfolder)
{
    const std::string dir = folder + subfolder;
    ClearBuffers();
    if (!platform::FileExists(dir + "kategorie"))
        return;
    const std::vector<std::string> categories = LoadLegacyLines(dir + "kategorie");
    int running = 0;
    ReadLinkFile(dir + "kat0", 0, running);
    // The category of line i carries the id i + 1 in this batch; the insert
    // stores its links under the id SQLite gives it.
    for (std::size_t i = 0; i < categories.size(); ++i) {
        const int id = static_cast<int>(i) + 1;
        CatItems.emplace_back(id, id, GetRawTagValue(categories[i], "<n>"), "");
        ReadLinkFile(dir + "kat" + std::to_string(id), id, running);
    }
    EmptyFolder(dir);
    platform::RemoveFolder(dir);
}
