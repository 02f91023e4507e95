// Times the HTML export of the whole catalogue (links in 50 categories) to a
// new file through the main window's TForm1::ExportToHtml, the save dialog
// answered from a script. The floor, in the same run: a bare SQLite program
// that reads the same rows in one ordered pass and writes the same bytes to
// a new file, synced as the export's is (the file, then its folder), with
// bulk appends to one buffer written in large pieces. The two alternate
// which goes first, and each round's ratio is taken from its own pair. Goal:
// the median ratio within 1.2 (and the export under 0.4 s at 100,000
// links). The two files must be equal. Run by hand:
// export_bench [links] [rounds]; without links, at 1,000, 10,000, 100,000
// and 1,000,000 links in turn.
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
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
// The text between two characters to escape goes in with one append.
void AppendEscaped(std::string& out, const unsigned char* text)
{
    const char* rest = reinterpret_cast<const char*>(text);
    while (rest && *rest) {
        const std::size_t plain = std::strcspn(rest, "&<>\"");
        out.append(rest, plain);
        rest += plain;
        switch (*rest) {
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
            return;  // the end of the text
        }
        ++rest;
    }
}

// The floor's writer: everything to one descriptor, in large pieces.
class FloorFile {
public:
    explicit FloorFile(const std::string& path)
        : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644)),
          folder_(std::filesystem::path(path).parent_path().string())
    {
        buffer_.reserve(kWriteSize + (1u << 16));
    }
    // Written, synced and closed, and its new name synced with its folder:
    // the file is on the disk as the export's is.
    ~FloorFile()
    {
        Flush();
        ::fsync(fd_);
        ::close(fd_);
        const int folder = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
        ::fsync(folder);
        ::close(folder);
    }
    std::string& Buffer() { return buffer_; }
    void FlushSometimes()
    {
        if (buffer_.size() >= kWriteSize)
            Flush();
    }
    void Flush()
    {
        if (::write(fd_, buffer_.data(), buffer_.size()) != static_cast<ssize_t>(buffer_.size()))
            std::fputs("the floor's write failed\n", stderr);
        buffer_.clear();
    }

private:
    static constexpr std::size_t kWriteSize = 1u << 20;

    int fd_;
    std::string folder_;
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

bool SameBytes(const std::string& path, const std::string& floorPath)
{
    std::string exported = platform::ReadFileBytes(path);
    const std::string floorBytes = platform::ReadFileBytes(floorPath);
    const std::size_t title = exported.find("eksport.html");
    return title != std::string::npos && floorBytes.size() == exported.size() &&
        exported.replace(title, 12, "podloga.html") == floorBytes;
}

// One size: a catalogue of links, exported by the program and written by the
// floor rounds times each. False when the export did not run as scripted
// or the two wrote different bytes.
bool RunSize(const BenchWorld& world, int links, int rounds)
{
    std::filesystem::remove(world.ArchiveFolder() + "dovra.db");
    const int perCategory = std::max(1, links / kCategories);
    BuildLargeCatalogue(world.ArchiveFolder(), perCategory);

    platform::ScriptedBoxes boxes;
    TForm1 form(boxes, world.ExePath());
    form.FormCreate();
    boxes.TakeAsked();

    // Both files have the same name length, so that their titles differ
    // only in the name; each round writes both anew.
    const std::string path = world.Root() + "eksport.html";
    const std::string floorPath = world.Root() + "podloga.html";
    const auto exportOnce = [&] {
        std::filesystem::remove(path);  // no overwrite question
        boxes.Script(platform::BoxAnswer::Path(QString::fromStdString(path)));
        const Clock::time_point start = Clock::now();
        form.ExportToHtml(-1);
        const double ms = Milliseconds(start);
        return boxes.TakeAsked().size() == 1 && boxes.PendingAnswers() == 0 ? ms : -1;
    };
    const auto floorOnce = [&] {
        std::filesystem::remove(floorPath);
        const Clock::time_point start = Clock::now();
        Floor(world.ArchiveFolder() + "dovra.db", floorPath);
        return Milliseconds(start);
    };
    std::vector<double> command, floor, ratios;
    for (int round = 0; round < rounds; ++round) {
        double c = 0, f = 0;
        if (round % 2 == 0) {
            c = exportOnce();
            f = floorOnce();
        } else {
            f = floorOnce();
            c = exportOnce();
        }
        if (c < 0) {
            std::fputs("the export did not run as scripted\n", stderr);
            return false;
        }
        command.push_back(c);
        floor.push_back(f);
        ratios.push_back(c / f);
    }
    if (!SameBytes(path, floorPath)) {
        std::fputs("the export and the floor wrote different bytes\n", stderr);
        return false;
    }

    std::printf("%d links in %d categories; %d rounds, alternating which goes first; file %ju bytes\n",
                kCategories * perCategory, kCategories, rounds,
                static_cast<std::uintmax_t>(std::filesystem::file_size(floorPath)));
    Report("ExportToHtml of the whole catalogue (command)", command, links == 100000 ? 400 : 0);
    Report("bare SQLite, one ordered pass, same bytes (floor)", floor, 0);
    const double ratio = Median(ratios);
    std::printf("command / floor, median of the pairs' ratios: %.2f (goal <= 1.20) %s\n\n", ratio,
                ratio <= 1.2 ? "ok" : "NOT MET");
    std::fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    BenchApplication bench(argc, argv);
    const std::vector<int> sizes =
        argc > 1 ? std::vector<int>{Rounds(argc, argv, 0)} : std::vector<int>{1000, 10000, 100000, 1000000};
    const int rounds = Rounds(argc, argv, 9, 2);
    for (const int links : sizes)
        if (!RunSize(bench.world, links, rounds))
            return 1;
    return 0;
}
