// Times the store's bulk paths on a fresh catalogue in a temporary folder.
// Run by hand: build/bench/store_bench
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "store/Db_funcs.h"
#include "store/Db_sqlite.h"
#include "store/Funcs.h"

namespace {

double Seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The best of three runs of a read, each started afresh by reset.
double BestOfThree(const std::function<void()>& reset, const std::function<void()>& work)
{
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        reset();
        best = std::min(best, Seconds(work));
    }
    return best;
}

void Report(const char* what, double seconds, double goal)
{
    std::printf("%-58s %8.3f s  (goal < %.1f s)%s\n", what, seconds, goal, seconds < goal ? "" : "  MISSED");
}

std::vector<std::string> MakeLinkLines(int count, int catId)
{
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        lines.push_back(LinkLine(-1, catId, i + 1, "http://www.example.com/path/page" + std::to_string(i) + ".html",
                                 "opis linku numer " + std::to_string(i)));
    return lines;
}

std::string FreshFolder(const char* name)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string() + "/";
}

// 100,000 links in 50 categories, written through the store's own insert.
void Fill(const std::string& dir)
{
    std::vector<std::string> categories;
    for (int c = 1; c <= 50; ++c)
        categories.push_back(CategoryLine(-1, c, "Kategoria " + std::to_string(c), ""));
    DbAddCategories(dir, categories);
    for (int c = 1; c <= 50; ++c)
        DbInsertLinks(dir, MakeLinkLines(2000, c));
}

void ClassLevel(const std::string& dir)
{
    {
        SQLiteClass db(FreshFolder("quomira-bench-insert") + "dovra.db");
        db.Open();
        db.ClearBuffers();
        db.ParseLinkLines(MakeLinkLines(10000, 1));
        Report("SQLiteClass::InsertAll of 10,000 links", Seconds([&] { db.InsertAll(); }), 0.3);
        db.ClearBuffers();
        db.Close();
    }
    SQLiteClass db(dir + "dovra.db");
    db.Open();
    db.ClearBuffers();
    std::vector<std::string> lines;
    Report("SQLiteClass::GetLinks + LinksToLines of 100,000 links",
           BestOfThree(
               [&] {
                   db.ClearBuffers();
                   lines.clear();
               },
               [&] {
                   db.GetLinks(-1);
                   db.LinksToLines(lines);
               }),
           0.3);
    db.ClearBuffers();
    Report(
        "SQLiteClass::SearchLinks over 100,000 links",
        BestOfThree([&] { db.ClearBuffers(); },
                    [&] { db.SearchLinks("page99", SearchFlagLinks | SearchFlagDescriptions | SearchFlagNoCase, -1); }),
        0.2);
    db.ClearBuffers();
    db.Close();
}

void FacadeLevel(const std::string& dir)
{
    const std::string addDir = FreshFolder("quomira-bench-add");
    const std::vector<std::string> toAdd = MakeLinkLines(10000, 0);
    Report("DbAddLinks of 10,000 lines", Seconds([&] { DbAddLinks(addDir, toAdd, 1); }), 0.4);
    std::vector<std::string> lines;
    Report("DbGetLinks of 100,000 links", BestOfThree([&] { lines.clear(); }, [&] { DbGetLinks(dir, lines, -1); }),
           0.4);
    std::vector<std::string> found;
    Report("DbSearchLinks over 100,000 links",
           BestOfThree([&] { found.clear(); },
                       [&] {
                           DbSearchLinks(dir, "page99", found,
                                         SearchFlagLinks | SearchFlagDescriptions | SearchFlagNoCase, -1);
                       }),
           0.4);
    std::ostringstream html;
    Report("DbExportHtml of 100,000 links", BestOfThree([&] { html.str(""); }, [&] { DbExportHtml(dir, html, -1); }),
           0.4);
    std::printf("(%zu lines read, %zu found, %zu bytes of HTML)\n", lines.size(), found.size(), html.str().size());
}

}  // namespace

int main()
{
    const std::string dir = FreshFolder("quomira-bench-catalogue");
    Fill(dir);
    ClassLevel(dir);
    FacadeLevel(dir);
    return 0;
}
