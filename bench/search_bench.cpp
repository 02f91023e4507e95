// Times the two searches through the window's own handlers, run by hand
// outside the test suite:  search_bench [rounds]
// Goals: the search in 20,000 shown links, every other one matching, under
// 0.1 s; the catalogue search with an empty text and both options over
// 100,000 links until its 200,000 rows are listed under 1 s; deleting
// 10,000 selected hits of those rows under 0.3 s (the store's delete
// included). Baselines in the same program: the same two reads in raw
// SQLite, and a bare QListWidget filled with 200,000 rows.
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "bench/BenchCatalogue.h"
#include "bench/BenchTiming.h"
#include "bench/BenchWorld.h"
#include "platform/testing/ScriptedBoxes.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "window/dialogs/CatalogueSearchDialog.h"
#include "window/dialogs/SearchLinksDialog.h"
#include "window/mainwindow/dovra_.h"
#include "window/widgets/LineListBox.h"

namespace {

constexpr int kShownLinks = 20000;
constexpr int kCategories = 5;  // 5 x 20,000 = 100,000 links in the catalogue
constexpr int kDeleted = 10000;

// 100,000 links in five categories; in each, every other link holds "Szukany".
void BuildCatalogue(const std::string& folder)
{
    Lines categories;
    for (int c = 1; c <= kCategories; ++c)
        categories.push_back(CategoryLine(-1, c, "Kategoria " + std::to_string(c), ""));
    DbAddCategories(folder, categories);
    for (const int catId : CategoryIds(folder)) {
        Lines links;
        links.reserve(kShownLinks);
        for (int k = 0; k < kShownLinks; ++k) {
            const std::string word = k % 2 == 0 ? "Szukany" : "inny";
            links.push_back(LinkLine(-1, catId, k + 1,
                                     "http://www.example.org/" + word + "/page" + std::to_string(k) + ".html",
                                     "opis linku " + std::to_string(k)));
        }
        DbInsertLinks(folder, links);
    }
}

int CountingCallback(void* rows, int, char** values, char**)
{
    auto* out = static_cast<std::vector<std::string>*>(rows);
    out->emplace_back(values[3] ? values[3] : "");
    return 0;
}

// The catalogue search's two reads in raw SQLite, SQLite's own LIKE.
double RawSqliteSearch(const std::string& folder, std::size_t& rows)
{
    sqlite3* db = nullptr;
    sqlite3_open((folder + "dovra.db").c_str(), &db);
    std::vector<std::string> found;
    const Clock::time_point start = Clock::now();
    sqlite3_exec(db, "select * from LINKS where LINK like '%%' collate nocase", CountingCallback, &found, nullptr);
    sqlite3_exec(db, "select * from LINKS where DESCR like '%%' collate nocase", CountingCallback, &found, nullptr);
    const double ms = Milliseconds(start);
    sqlite3_close(db);
    rows = found.size();
    return ms;
}

double BareListFill(const Lines& lines)
{
    QListWidget list;
    list.setUniformItemSizes(true);
    list.resize(500, 300);
    list.show();
    Settle(list);
    const Clock::time_point start = Clock::now();
    for (const std::string& line : lines) {
        auto* item = new QListWidgetItem;
        item->setData(Qt::UserRole, QByteArray::fromStdString(line));
        list.addItem(item);
    }
    Settle(list);
    return Milliseconds(start);
}

// The search in the shown links, timed from the click on "Szukaj" to the
// end of the command with the list repainted.
double SearchShownLinks(TForm1& form)
{
    Clock::time_point start;
    WhenModal<TForm8>([&start](TForm8& dialog) {
        dialog.Edit1->setText(QStringLiteral("SZUKANY"));
        dialog.CheckBox1->setChecked(true);
        dialog.CheckBox2->setChecked(false);
        dialog.CheckBox3->setChecked(false);
        start = Clock::now();
        dialog.BitBtn1->click();
    });
    form.Szukajlinkuwkategorii1Click();
    Settle(form);
    return Milliseconds(start);
}

}  // namespace

int main(int argc, char* argv[])
{
    const int rounds = Rounds(argc, argv, 5);
    BenchApplication bench(argc, argv);
    const BenchWorld& world = bench.world;
    const std::string folder = world.ArchiveFolder();
    BuildCatalogue(folder);
    const std::string dbPath = folder + "dovra.db", savedPath = folder + "saved.db";
    std::filesystem::copy_file(dbPath, savedPath);

    platform::ScriptedBoxes boxes;
    TForm1 form(boxes, world.ExePath());
    if (!StartAndShow(form))
        return 1;
    ChooseCategory(form, 1);
    Settle(form);

    std::vector<double> shown, rawSearch, bareFill, catalogue, deletion, storeSearch, storeDelete;
    for (int round = 0; round < rounds; ++round) {
        form.ListBox1->SetSelectedRows({});
        form.SearchText.clear();
        shown.push_back(SearchShownLinks(form));
        if (form.ListBox1->SelCount() != kShownLinks / 2 || form.ListBox1->ItemIndex() != kShownLinks - 2) {
            std::fprintf(stderr, "the search selected %d rows\n", form.ListBox1->SelCount());
            return 1;
        }

        std::size_t rawRows = 0;
        rawSearch.push_back(RawSqliteSearch(folder, rawRows));

        TForm9 dialog(form);
        dialog.ArchiveFolder = folder;
        dialog.Edit1->clear();
        dialog.CheckBox1->setChecked(true);
        dialog.CheckBox2->setChecked(true);
        dialog.CheckBox3->setChecked(false);
        dialog.show();
        Settle(dialog);
        Clock::time_point start = Clock::now();
        dialog.BitBtn3Click();
        Settle(dialog);
        catalogue.push_back(Milliseconds(start));
        const int listed = dialog.ListBox1->Count();
        if (listed != 2 * kCategories * kShownLinks || rawRows != static_cast<std::size_t>(listed)) {
            std::fprintf(stderr, "the catalogue search listed %d rows\n", listed);
            return 1;
        }
        if (round == 0)
            bareFill.push_back(BareListFill(dialog.ListBox1->Lines()));

        // Every 10th link hit: 10,000 links, each also listed among the
        // description hits, so 20,000 rows go.
        std::vector<int> selected;
        for (int k = 0; k < kDeleted; ++k)
            selected.push_back(k * 10);
        dialog.ListBox1->SetSelectedRows(selected);
        boxes.Script(platform::BoxAnswer::Button(platform::IdYes));
        start = Clock::now();
        dialog.Usuwybranelinkizkatalogu1Click();
        Settle(dialog);
        deletion.push_back(Milliseconds(start));
        boxes.TakeAsked();
        if (dialog.ListBox1->Count() != listed - 2 * kDeleted) {
            std::fprintf(stderr, "the deletion left %d rows\n", dialog.ListBox1->Count());
            return 1;
        }
        dialog.hide();
        std::filesystem::copy_file(savedPath, dbPath, std::filesystem::copy_options::overwrite_existing);

        // The store's parts alone, on the restored catalogue.
        Lines found;
        start = Clock::now();
        DbSearchLinks(folder, "", found, SearchFlagLinks | SearchFlagDescriptions | SearchFlagNoCase, -1);
        storeSearch.push_back(Milliseconds(start));
        Lines doomed;
        for (int row : selected)
            doomed.push_back(found[static_cast<std::size_t>(row)]);
        start = Clock::now();
        DbDeleteLinks(folder, doomed);
        storeDelete.push_back(Milliseconds(start));
        std::filesystem::copy_file(savedPath, dbPath, std::filesystem::copy_options::overwrite_existing);
    }

    std::printf("%d links shown, every other matching; %d links in the catalogue; %d rounds\n", kShownLinks,
                kCategories * kShownLinks, rounds);
    Report("search in the shown links (command, repainted)", shown, 100);
    Report("catalogue search, empty text, both options: 200,000 rows", catalogue, 1000);
    Report("  the store alone: DbSearchLinks", storeSearch, 0);
    Report("  baseline: the same two reads in raw SQLite", rawSearch, 0);
    Report("  baseline: a bare QListWidget filled with 200,000 rows", bareFill, 0);
    Report("delete 10,000 selected hits (20,000 rows, stored)", deletion, 300);
    Report("  the store alone: DbDeleteLinks of 10,000 lines", storeDelete, 0);
    return 0;
}
