// Times the main window on a large catalogue, 1,000,000 links in 50
// categories of 20,000. Run by hand: window_bench [rounds] [startup]
// ("startup" measures start-up alone).
//
// Start-up is the program's own: each round starts build/window/quomira in a
// fresh process (with the shipped update.so beside it) and takes the time
// until its main window is shown and its link list has painted the
// 1,000,000 links; paint_probe.so, preloaded into the unchanged program, says
// when. Its floor, in the same run: startup_floor, a bare SQLite program in
// a process of its own that reads the same rows in the same order and touches
// every column. The two alternate which goes first, each round's ratio is
// taken from its own pair, and the median ratio is reported (goal: within
// 1.5 times the floor), with the peak memory (ru_maxrss) of both (goal: the
// program under 200 MiB).
//
// The commands on the shown catalogue are timed inside child processes
// (window_bench --program|--anchor <dovra.db> [rounds]) against an anchor, a
// bare QListWidget filled with the same lines read with raw SQLite; each
// child reports the median of its rounds and its own peak memory:
// - all links -> a category of 20,000 -> all links (goal under 0.2 s each);
// - selecting every other of 20,000 rows one at a time inside one command,
//   repaint included (goal under 0.05 s);
// - deleting 10,000 selected rows of 200,000 (goal under 0.1 s).
#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <QListWidget>
#include <QProcess>

#include "bench/BenchChild.h"
#include "bench/BenchTiming.h"
#include "bench/BenchWorld.h"
#include "platform/testing/ScriptedBoxes.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "window/mainwindow/dovra_.h"
#include "window/widgets/LineListBox.h"

namespace {

constexpr int kCategories = 50;
constexpr int kLinksPerCategory = 20000;
constexpr int kLinks = kCategories * kLinksPerCategory;
constexpr int kDeleteListRows = 200000;
constexpr int kDeleteEvery = 20;  // 10,000 of 200,000

// The process's own high-water mark of resident memory, in MiB.
double PeakMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

// The page faults the process has taken so far: memory touched for the first time.
long MinorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

bool Check(bool ok, const char* what)
{
    if (!ok)
        std::fprintf(stderr, "check failed: %s\n", what);
    return ok;
}

void Exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, error ? error : "?");
        std::exit(1);
    }
}

// The catalogue with raw SQLite in one transaction: category c holds links
// at positions 1..20,000, so the position order of all links interleaves
// the categories.
void BuildCatalogue(const std::string& folder)
{
    if (DbInit(folder) != DbOk) {
        std::fputs("cannot create the catalogue\n", stderr);
        std::exit(1);
    }
    sqlite3* db = nullptr;
    sqlite3_open((folder + "dovra.db").c_str(), &db);
    Exec(db, "begin");
    sqlite3_stmt* category = nullptr;
    sqlite3_prepare_v2(db, "insert into CATEGS values(?,?,?,'')", -1, &category, nullptr);
    sqlite3_stmt* link = nullptr;
    sqlite3_prepare_v2(db, "insert into LINKS(CAT_ID,POS,LINK,DESCR) values(?,?,?,?)", -1, &link, nullptr);
    for (int c = 1; c <= kCategories; ++c) {
        const std::string name = "Kategoria " + std::to_string(c);
        sqlite3_bind_int(category, 1, c);
        sqlite3_bind_int(category, 2, c);
        sqlite3_bind_text(category, 3, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(category);
        sqlite3_reset(category);
        for (int i = 1; i <= kLinksPerCategory; ++i) {
            const std::string text = "http://www.example" + std::to_string(c) + ".pl/strona/" + std::to_string(i);
            const std::string descr = "Opis linku numer " + std::to_string(i);
            sqlite3_bind_int(link, 1, c);
            sqlite3_bind_int(link, 2, i);
            sqlite3_bind_text(link, 3, text.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(link, 4, descr.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(link);
            sqlite3_reset(link);
        }
    }
    sqlite3_finalize(category);
    sqlite3_finalize(link);
    Exec(db, "commit");
    sqlite3_close(db);
}

// Puts the built catalogue into this process's own world.
void UseCatalogue(const std::string& built, const std::string& folder)
{
    const std::string target = folder + "dovra.db";
    std::error_code ec;
    std::filesystem::create_hard_link(built, target, ec);
    if (ec)
        std::filesystem::copy_file(built, target, std::filesystem::copy_options::overwrite_existing);
}

// One figure for the driver: "RESULT name value".
void Result(const char* name, double value)
{
    std::printf("RESULT %s %.4f\n", name, value);
    std::fflush(stdout);
}

void ResultMedian(const char* name, const std::vector<double>& values)
{
    Result(name, Median(values));
}

// The timings of one child process, reported as medians with its peak memory.
struct Timings {
    std::vector<double> toCategory, toAll, selections, deletions;

    void Report() const
    {
        ResultMedian("to_category_s", toCategory);
        ResultMedian("to_all_s", toAll);
        ResultMedian("select_s", selections);
        ResultMedian("delete_s", deletions);
        Result("peak_mib", PeakMiB());
    }
};

// A child process's own world, with the built catalogue in it, and its
// application object.
struct ChildWorld {
    explicit ChildWorld(const std::string& built) { UseCatalogue(built, world.ArchiveFolder()); }

    int argc = 1;
    char name[13] = "window_bench";
    char* argv[2] = {name, nullptr};
    BenchApplication bench{argc, argv};
    const BenchWorld& world = bench.world;
};

// Rows 0, 2, 4, ... of the first 20,000, one at a time.
std::vector<int> EveryOtherRow()
{
    std::vector<int> rows;
    for (int i = 0; i < kLinksPerCategory; i += 2)
        rows.push_back(i);
    return rows;
}

std::vector<int> RowsToDelete()
{
    std::vector<int> rows;
    for (int i = 0; i < kDeleteListRows; i += kDeleteEvery)
        rows.push_back(i);
    return rows;
}

// ---- the program ----

int RunProgram(const std::string& built, int rounds)
{
    ChildWorld child(built);
    const BenchWorld& world = child.world;

    Timings timings;
    auto& [toCategory, toAll, selections, deletions] = timings;
    for (int round = 0; round < rounds; ++round) {
        platform::ScriptedBoxes boxes;
        TForm1 form(boxes, world.ExePath());
        if (!StartAndShow(form))
            return 1;
        Settle(form);
        if (!Check(form.ListBox1->Count() == kLinks, "start-up shows every link"))
            return 1;

        for (int i = 0; i < 2; ++i) {
            Clock::time_point t = Clock::now();
            ChooseCategory(form, 1 + (round * 2 + i) % kCategories);
            Settle(form);
            toCategory.push_back(Seconds(t));
            if (!Check(form.ListBox1->Count() == kLinksPerCategory, "a category shows its links"))
                return 1;

            form.ListBox1->SetSelectedRows({});
            Settle(form);
            t = Clock::now();
            for (int row : EveryOtherRow())
                form.ListBox1->SetSelected(row, true);
            Settle(form);
            selections.push_back(Seconds(t));
            if (!Check(form.ListBox1->SelCount() == kLinksPerCategory / 2 &&
                           form.ListBox1->selectionModel()->selection().size() == kLinksPerCategory / 2,
                       "every other row is selected"))
                return 1;

            t = Clock::now();
            ChooseCategory(form, form.ListBox2->Count() - 1);
            Settle(form);
            toAll.push_back(Seconds(t));
            if (!Check(form.ListBox1->Count() == kLinks, "all links are shown again"))
                return 1;
        }

        std::vector<std::string> lines(form.ListBox1->Lines().begin(),
                                       form.ListBox1->Lines().begin() + kDeleteListRows);
        form.ListBox1->SetLines(std::move(lines));
        form.ListBox1->SetItemIndex(kDeleteListRows / 2);
        form.ListBox1->SetSelectedRows(RowsToDelete());
        Settle(form);
        const Clock::time_point t = Clock::now();
        form.ListBox1->DeleteSelected();
        Settle(form);
        deletions.push_back(Seconds(t));
        if (!Check(form.ListBox1->Count() == kDeleteListRows - kDeleteListRows / kDeleteEvery &&
                       form.ListBox1->SelCount() == 0,
                   "the selected rows are deleted"))
            return 1;
        form.hide();
    }
    timings.Report();
    return 0;
}

// ---- the anchor: a bare QListWidget ----

// The lines of category catId (-1: every link), as the program shows them.
std::vector<std::string> ReadLines(const std::string& file, int catId)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    const std::string sql = catId >= 0 ? "select * from LINKS where CAT_ID=" + std::to_string(catId) + " order by POS"
                                       : std::string("select * from LINKS order by POS");
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr);
    std::vector<std::string> lines;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const auto text = [&](int c) {
            const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
            return std::string(value ? value : "");
        };
        lines.push_back(LinkLine(sqlite3_column_int(statement, 0), sqlite3_column_int(statement, 1),
                                 sqlite3_column_int(statement, 2), text(3), text(4)));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return lines;
}

void Fill(QListWidget& list, const std::vector<std::string>& lines)
{
    list.clear();
    for (const std::string& line : lines)
        list.addItem(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
}

// A bare list widget, as Qt makes it; uniform: told that every row has the
// same height, which spares it measuring each row.
int RunAnchor(const std::string& built, int rounds, bool uniform)
{
    ChildWorld child(built);

    Timings timings;
    auto& [toCategory, toAll, selections, deletions] = timings;
    for (int round = 0; round < rounds; ++round) {
        QListWidget list;
        list.setUniformItemSizes(uniform);
        list.setSelectionMode(QAbstractItemView::ExtendedSelection);
        list.resize(800, 600);
        Fill(list, ReadLines(built, -1));
        if (!ShowAndWait(list))
            return 1;
        Settle(list);

        for (int i = 0; i < 2; ++i) {
            Clock::time_point t = Clock::now();
            Fill(list, ReadLines(built, 1 + (round * 2 + i) % kCategories));
            Settle(list);
            toCategory.push_back(Seconds(t));

            t = Clock::now();
            for (int row : EveryOtherRow())
                list.item(row)->setSelected(true);
            Settle(list);
            selections.push_back(Seconds(t));
            if (!Check(list.selectedItems().size() == kLinksPerCategory / 2, "every other row is selected"))
                return 1;

            t = Clock::now();
            Fill(list, ReadLines(built, -1));
            Settle(list);
            toAll.push_back(Seconds(t));
        }

        while (list.count() > kDeleteListRows)
            delete list.takeItem(list.count() - 1);
        for (int row : RowsToDelete())
            list.item(row)->setSelected(true);
        Settle(list);
        const Clock::time_point t = Clock::now();
        const std::vector<int> rows = RowsToDelete();
        for (auto row = rows.rbegin(); row != rows.rend(); ++row)
            delete list.takeItem(*row);
        Settle(list);
        deletions.push_back(Seconds(t));
        if (!Check(list.count() == kDeleteListRows - kDeleteListRows / kDeleteEvery, "the anchor deleted the rows"))
            return 1;
    }
    timings.Report();
    return 0;
}

// ---- where start-up spends its time ----

int RunParts(const std::string& built)
{
    ChildWorld child(built);
    const BenchWorld& world = child.world;

    Clock::time_point t = Clock::now();
    Lines lines;
    DbGetLinks(world.ArchiveFolder(), lines, -1);
    Result("store_get_links_s", Seconds(t));
    Result("store_page_faults", static_cast<double>(MinorFaults()));
    Result("store_peak_mib", PeakMiB());
    t = Clock::now();
    const int sel = SyncSelectionRow(lines, 0);
    Result("selection_row_s", Seconds(t));
    LineListBox box;
    box.resize(800, 600);
    box.show();
    t = Clock::now();
    box.SetLines(std::move(lines));
    box.SetItemIndex(sel);
    box.SetSelected(sel, true);
    Settle(box);
    Result("list_load_s", Seconds(t));
    Result("peak_mib", PeakMiB());
    return 0;
}

// ---- the driver ----

std::map<std::string, double> RunChild(const char* self, const char* mode, const std::string& db, int rounds)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QString::fromStdString(std::filesystem::canonical(self).string()),
                {QString::fromLatin1(mode), QString::fromStdString(db), QString::number(rounds)});
    child.waitForFinished(-1);
    std::map<std::string, double> results;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 3 && parts[0] == "RESULT")
            results[parts[1].toStdString()] = parts[2].toDouble();
    }
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        std::fprintf(stderr, "%s ended with code %d\n", mode, child.exitCode());
    return results;
}

// ---- start-up in fresh processes ----

// The programs start-up runs, beside this one in build/bench/.
struct StartupPrograms {
    std::string program, probe, floor;
};

StartupPrograms FindStartupPrograms()
{
    const std::string here = platform::ExtractFilePath(platform::ExecutablePath());
    return {here + "../window/quomira", here + "paint_probe.so", here + "startup_floor"};
}

// One fresh start of the program, until its link list has painted.
ChildRun StartProgram(const StartupPrograms& programs)
{
    return RunUntilReady({programs.program},
                         {"LD_PRELOAD=" + programs.probe, "PAINT_PROBE_ROWS=" + std::to_string(kLinks)}, 120);
}

ChildRun StartFloor(const StartupPrograms& programs, const std::string& db)
{
    return RunUntilReady({programs.floor, db}, {}, 120);
}

double Largest(const std::vector<double>& values)
{
    return *std::max_element(values.begin(), values.end());
}

// Rounds of one program start and one floor, the first of the pair
// alternating; false when a child failed.
bool RunStartups(const std::string& db, int rounds)
{
    const StartupPrograms programs = FindStartupPrograms();
    std::vector<double> program, floor, ratios, programMiB, floorMiB;
    std::printf("start-up in fresh processes, %d rounds (program: until the link list has painted %d links;\n"
                "floor: a bare SQLite program reading the same rows)\n",
                rounds, kLinks);
    for (int round = 0; round < rounds; ++round) {
        ChildRun p, f;
        if (round % 2 == 0) {
            p = StartProgram(programs);
            f = StartFloor(programs, db);
        } else {
            f = StartFloor(programs, db);
            p = StartProgram(programs);
        }
        if (!p.ok || !f.ok)
            return false;
        program.push_back(p.seconds);
        floor.push_back(f.seconds);
        ratios.push_back(p.seconds / f.seconds);
        programMiB.push_back(p.peakMiB);
        floorMiB.push_back(f.peakMiB);
        std::printf("  round %d (%s first): program %.3f s %.0f MiB, floor %.3f s %.0f MiB, ratio %.2f\n", round + 1,
                    round % 2 == 0 ? "program" : "floor", p.seconds, p.peakMiB, f.seconds, f.peakMiB, ratios.back());
        std::fflush(stdout);
    }
    const double ratio = Median(ratios);
    const double peak = Largest(programMiB);
    std::printf("%-52s %8.3f s   (floor %.3f s, medians)\n", "start-up of a fresh process, 1,000,000 links",
                Median(program), Median(floor));
    std::printf("%-52s %8.2f     goal <= 1.50 %s\n", "start-up / floor, median of the pairs' ratios", ratio,
                ratio <= 1.5 ? "ok" : "NOT MET");
    std::printf("%-52s %8.0f MiB goal < 200 MiB %s (floor %.0f MiB)\n", "peak memory of the program's start-up", peak,
                peak < 200 ? "ok" : "NOT MET", Largest(floorMiB));
    std::fflush(stdout);
    return true;
}

int RunDriver(const char* self, int rounds, bool startupOnly)
{
    BenchWorld world;
    const Clock::time_point building = Clock::now();
    BuildCatalogue(world.ArchiveFolder());
    std::printf("catalogue of %d links in %d categories built in %.2f s\n", kLinks, kCategories, Seconds(building));
    std::fflush(stdout);

    const std::string db = world.ArchiveFolder() + "dovra.db";
    if (!RunStartups(db, std::max(rounds, 5)))
        return 1;
    if (startupOnly)
        return 0;
    std::map<std::string, double> program = RunChild(self, "--program", db, rounds);
    std::map<std::string, double> anchor = RunChild(self, "--anchor", db, rounds);
    std::map<std::string, double> uniform = RunChild(self, "--anchor-uniform", db, rounds);

    std::printf("\ncommands, median of %d rounds in one process; anchor: a bare QListWidget filled with the same\n"
                "lines; uniform: the same with uniform item sizes\n",
                rounds);
    std::printf("%-46s %12s %12s %12s   %s\n", "", "program", "anchor", "uniform", "goal");
    const auto row = [&](const char* label, const char* key, const char* unit, const char* goal) {
        std::printf("%-46s %8.3f %s %8.3f %s %8.3f %s   %s\n", label, program[key], unit, anchor[key], unit,
                    uniform[key], unit, goal);
    };
    row("peak memory of the whole run", "peak_mib", "MiB", "< 250 MiB");
    row("all links -> a category of 20,000", "to_category_s", "s  ", "< 0.2 s");
    row("a category of 20,000 -> all links", "to_all_s", "s  ", "< 0.2 s");
    row("select every other of 20,000, one at a time", "select_s", "s  ", "< 0.05 s");
    row("delete 10,000 selected rows of 200,000", "delete_s", "s  ", "< 0.1 s");
    return program.empty() || anchor.empty() || uniform.empty() ? 1 : 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--build" && argc > 2) {  // a catalogue to keep, for runs of the modes below
        BuildCatalogue(std::string(argv[2]) + "/");
        return 0;
    }
    if (mode == "--parts" && argc > 2)
        return RunParts(argv[2]);
    if ((mode == "--program" || mode == "--anchor" || mode == "--anchor-uniform") && argc > 2) {
        const int rounds = Rounds(argc, argv, 3, 3);
        return mode == "--program" ? RunProgram(argv[2], rounds) : RunAnchor(argv[2], rounds, mode != "--anchor");
    }
    const int rounds = Rounds(argc, argv, 3);
    return RunDriver("/proc/self/exe", rounds, argc > 2 && std::string(argv[2]) == "startup");
}
