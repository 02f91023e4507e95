// Times the link-list commands of the main window on a category of 20,000
// links, run by hand outside the test suite:  link_bench [rounds]
// Goals: finding the duplicates among 20,000 shown links with 2,000 repeated
// under 1 s; moving a block of 500 selected links one row up under 0.2 s.
// Both are timed through the window's own handlers, the store's write and the
// repaint included, and once more for the computation alone.
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchCatalogue.h"
#include "bench/BenchTiming.h"
#include "bench/BenchWorld.h"
#include "platform/testing/ScriptedBoxes.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "window/logic/LinkOrder.h"
#include "window/mainwindow/dovra_.h"
#include "window/widgets/LineListBox.h"

namespace {

constexpr int kLinks = 20000;
constexpr int kRepeated = 2000;
constexpr int kBlock = 500;

// total link texts, of which `repeated` repeat an earlier one, spread over
// the list.
std::vector<std::string> LinkTexts(int total, int repeated)
{
    std::mt19937 random(2024);
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(total));
    for (int k = 0; k < total - repeated; ++k)
        texts.push_back("http://www.example.org/catalogue/page" + std::to_string(k) + ".html");
    for (int k = 0; k < repeated; ++k) {
        const auto at = texts.begin() + 1 + random() % (texts.size() - 1);
        const std::string copy = texts[random() % (at - texts.begin())];
        texts.insert(at, copy);
    }
    return texts;
}

Lines CategoryLines(int catId, const std::vector<std::string>& texts)
{
    Lines lines;
    lines.reserve(texts.size());
    for (std::size_t k = 0; k < texts.size(); ++k)
        lines.push_back(LinkLine(-1, catId, static_cast<int>(k) + 1, texts[k], "opis " + std::to_string(k)));
    return lines;
}

// A fresh catalogue folder with the two benchmark categories.
struct Catalogue {
    std::string folder;
    int repeats = 0;  // id of the category with repeated links
    int plain = 0;    // id of the category without
};

Catalogue BuildCatalogue(const std::string& folder)
{
    DbAddCategories(folder, {CategoryLine(-1, 1, "Powtórki", ""), CategoryLine(-1, 2, "Bez powtórek", "")});
    const std::vector<int> ids = CategoryIds(folder);
    Catalogue catalogue{folder, ids[0], ids[1]};
    DbInsertLinks(folder, CategoryLines(catalogue.repeats, LinkTexts(kLinks, kRepeated)));
    DbInsertLinks(folder, CategoryLines(catalogue.plain, LinkTexts(kLinks, 0)));
    return catalogue;
}

}  // namespace

int main(int argc, char* argv[])
{
    const int rounds = Rounds(argc, argv, 5);
    BenchApplication bench(argc, argv);
    const BenchWorld& world = bench.world;
    BuildCatalogue(world.ArchiveFolder());

    platform::ScriptedBoxes boxes;
    TForm1 form(boxes, world.ExePath());
    if (!StartAndShow(form))
        return 1;

    std::vector<double> findOnly, duplicates, moveOnly, moveUp;
    for (int round = 0; round < rounds; ++round) {
        ChooseCategory(form, 1);
        Settle(form);
        const Lines shown = form.ListBox1->Lines();
        Clock::time_point start = Clock::now();
        const auto found = linkorder::FindDuplicateLinks(shown);
        findOnly.push_back(Milliseconds(start));

        // Answered No: the search and its question, nothing deleted.
        boxes.Script(platform::BoxAnswer::Button(platform::IdNo));
        start = Clock::now();
        form.Szukajpowtrek1Click();
        Settle(form);
        duplicates.push_back(Milliseconds(start));
        const auto asked = boxes.TakeAsked();
        if (found.rows.size() != kRepeated || asked.size() != 1 ||
            !asked[0].text.startsWith(QStringLiteral("Znaleziono 2000 "))) {
            std::fprintf(stderr, "the duplicates found were %zu\n", found.rows.size());
            return 1;
        }

        ChooseCategory(form, 2);
        Settle(form);
        std::vector<int> block(kBlock);
        for (int k = 0; k < kBlock; ++k)
            block[static_cast<std::size_t>(k)] = kLinks / 2 + k;
        const Lines lines = form.ListBox1->Lines();
        start = Clock::now();
        const auto move = linkorder::MoveSelectedUp(lines, block, block.front());
        moveOnly.push_back(Milliseconds(start));

        form.ListBox1->SetItemIndex(block.front());
        form.ListBox1->SetSelectedRows(block);
        start = Clock::now();
        form.Przesuzaznaczonelinkiwgr1Click();
        Settle(form);
        moveUp.push_back(Milliseconds(start));
        if (form.ListBox1->Item(kLinks / 2 - 1) != move.lines[kLinks / 2 - 1] || form.ListBox1->SelCount() != kBlock) {
            std::fputs("the block did not move\n", stderr);
            return 1;
        }
    }

    std::printf("%d links shown, %d of them repeated; a block of %d links moved; %d rounds\n", kLinks, kRepeated,
                kBlock, rounds);
    Report("find the duplicates (computation)", findOnly, 1000);
    Report("find the duplicates, answer No (command)", duplicates, 1000);
    Report("move 500 selected links one row up (computation)", moveOnly, 200);
    Report("move 500 selected links one row up (command, stored)", moveUp, 200);
    return 0;
}
