// Times the HTML export of the whole catalogue (links in 50 categories) to a
// file through the main window's TForm1::ExportToHtml, the save dialog
// answered from a script. The floor, in the same run: a bare SQLite program
// that reads the same rows in one ordered pass and writes the same bytes to
// a file, synced as the export's is. Goal: the export within 1.5 times the
// floor (and under 0.4 s at 100,000 links). The two files must be equal.
// Run by hand: export_bench [links] [rounds]
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchTiming.h"
#include "bench/BenchWorld.h"
#include "bench/LargeCatalogue.h"
#include "platform/Files.h"
#include "platform/testing/ScriptedBoxes.h"
#include "window/mainwindow/dovra_.h"

namespace {

// The floor's own escaping, written as a bare program would write it rather
// than calling the store's: the floor shares no code with what it measures.
void AppendEscaped(std::string& out, const unsigned char* text)
{
    for (; text && *text; ++text) {
        switch (*text) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += static_cast<char>(*text);
        }
    }
}

// The floor's writer: everything to one descriptor, in large pieces.
class FloorFile {
public:
    explicit FloorFile(const std::string& path) : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)) {}
    ~FloorFile()
    {
        Flush();
        ::fsync(fd_);
        ::close(fd_);
    }
    std::string& Buffer() { return buffer_; }
    void FlushSometimes()
    {
        if (buffer_.size() >= (1u << 20))
            Flush();
    }
    void Flush()
    {
        if (::write(fd_, buffer_.data(), buffer_.size()) != static_cast<ssize_t>(buffer_.size()))
            std::fputs("the floor's write failed\n", stderr);
        buffer_.clear();
    }

private:
    int fd_;
    std::string buffer_;
};

// The categories in the export's order (the uncategorised links first, then
// by position), then every link in one pass ordered by category id and
// position: the bench's catalogue has its ids in the categories' order and
// no link of no category, so this is the cheapest read of the same rows.
// Its links need no mending of their addresses.
void Floor(const std::string& database, const std::string& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::vector<std::pair<long long, std::string>> categories{{0, "Bez kategorii"}};
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "select ID, NAME from CATEGS order by POS, ID", -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW)
        categories.emplace_back(sqlite3_column_int64(statement, 0),
                                reinterpret_cast<const char*>(sqlite3_column_text(statement, 1)));
    sqlite3_finalize(statement);
    sqlite3_prepare_v2(db, "select CAT_ID, LINK, DESCR from LINKS order by CAT_ID, POS", -1, &statement, nullptr);

    FloorFile file(path);
    std::string& out = file.Buffer();
    out = "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">\n<title>";
    AppendEscaped(out, reinterpret_cast<const unsigned char*>(path.c_str()));
    out += "</title>\n</head>\n<body>\n";
    bool row = sqlite3_step(statement) == SQLITE_ROW;
    for (const auto& [id, name] : categories) {
        out += "<p>[";
        AppendEscaped(out, reinterpret_cast<const unsigned char*>(name.c_str()));
        out += "]</p>\n";
        for (; row && sqlite3_column_int64(statement, 0) == id; row = sqlite3_step(statement) == SQLITE_ROW) {
            const unsigned char* link = sqlite3_column_text(statement, 1);
            out += "<A href=\"";
            AppendEscaped(out, link);
            out += "\">";
            AppendEscaped(out, link);
            out += "</A> ";
            AppendEscaped(out, sqlite3_column_text(statement, 2));
            out += "<br>\n";
            file.FlushSometimes();
        }
    }
    out += "</body>\n</html>";
    sqlite3_finalize(statement);
    sqlite3_close(db);
}

}  // namespace

int main(int argc, char* argv[])
{
    BenchApplication bench(argc, argv);
    const BenchWorld& world = bench.world;
    const int links = Rounds(argc, argv, kCategories * kLinksPerCategory);
    const int rounds = Rounds(argc, argv, 5, 2);
    BuildLargeCatalogue(world.ArchiveFolder(), std::max(1, links / kCategories));

    platform::ScriptedBoxes boxes;
    TForm1 form(boxes, world.ExePath());
    form.FormCreate();
    boxes.TakeAsked();

    // Both files have the same name length, so that their titles differ
    // only in the name.
    const std::string path = world.Root() + "eksport.html";
    const std::string floorPath = world.Root() + "podloga.html";
    std::vector<double> command, floor;
    for (int round = 0; round < rounds; ++round) {
        std::filesystem::remove(path);  // no overwrite question
        boxes.Script(platform::BoxAnswer::Path(QString::fromStdString(path)));
        Clock::time_point start = Clock::now();
        form.ExportToHtml(-1);
        command.push_back(Milliseconds(start));
        if (boxes.TakeAsked().size() != 1 || boxes.PendingAnswers() != 0) {
            std::fputs("the export did not run as scripted\n", stderr);
            return 1;
        }

        start = Clock::now();
        Floor(world.ArchiveFolder() + "dovra.db", floorPath);
        floor.push_back(Milliseconds(start));
    }
    std::string exported = platform::ReadFileBytes(path);
    std::string floorBytes = platform::ReadFileBytes(floorPath);
    const std::size_t title = exported.find("eksport.html");
    if (title == std::string::npos || floorBytes.size() != exported.size() ||
        exported.replace(title, 12, "podloga.html") != floorBytes) {
        std::fputs("the export and the floor wrote different bytes\n", stderr);
        return 1;
    }

    std::printf("%d links in %d categories; %d rounds; file %zu bytes\n",
                kCategories * std::max(1, links / kCategories), kCategories, rounds, floorBytes.size());
    Report("ExportToHtml of the whole catalogue (command)", command, links == 100000 ? 400 : 0);
    Report("bare SQLite, one ordered pass, same bytes (floor)", floor, 0);
    const double ratio = Median(command) / Median(floor);
    std::printf("command / floor: %.2f (goal <= 1.50) %s\n", ratio, ratio <= 1.5 ? "ok" : "SLOW");
    return 0;
}
