// Times the link import of the main window, run by hand outside the test
// suite:  import_bench [rounds]
// Goals: one clipboard monitor tick over an unchanged clipboard of 20,000
// lines (about 850 KB, half of them links) under 30 ms, as it runs every
// second on the window's thread; importing a file of 10,000 links through
// the add-links dialog until the category's links are shown under 0.5 s.
// For comparison: the same filtering done by deleting each dropped line
// from the middle of the list, and the store's append of 10,000 links alone.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <QComboBox>
#include <QPushButton>

#include "bench/BenchCatalogue.h"
#include "bench/BenchTiming.h"
#include "bench/BenchWorld.h"
#include "platform/Files.h"
#include "platform/QtText.h"
#include "platform/testing/ScriptedBoxes.h"
#include "platform/testing/TestClipboard.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "window/dialogs/AddLinksDialog.h"
#include "window/logic/LinkImport.h"
#include "window/mainwindow/dovra_.h"
#include "window/widgets/LineListBox.h"

namespace {

constexpr int kClipboardLines = 20000;
constexpr int kFileLinks = 10000;

// 20,000 lines, every other one a link (some indented), the rest Polish
// text: about 850 KB as Windows-1250 bytes.
QString ClipboardText()
{
    QString text;
    for (int k = 0; k < kClipboardLines; ++k) {
        if (k % 2 == 0)
            text += QStringLiteral("%1http://www.example.org/kat/strona%2.html\r\n")
                        .arg(k % 10 == 0 ? QStringLiteral("  ") : QString())
                        .arg(k);
        else
            text += QStringLiteral("Zwykły opis łącza nr %1, bez adresu\r\n").arg(k);
    }
    return text;
}

// The old way: each dropped line deleted from the middle of the list.
void FilterByDeleting(std::vector<std::string>& lines)
{
    for (std::size_t i = 0; i < lines.size();) {
        std::size_t blanks = 0;
        while (blanks < lines[i].size() && static_cast<unsigned char>(lines[i][blanks]) <= 32)
            ++blanks;
        lines[i].erase(0, blanks);
        if (lines[i].empty() || !linkimport::IsCandidate(lines[i]))
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
}

int NewCategory(const std::string& folder, int round)
{
    DbAddCategories(folder, {CategoryLine(-1, round + 1, "Import " + std::to_string(round), "")});
    const std::vector<int> ids = CategoryIds(folder);
    return *std::max_element(ids.begin(), ids.end());
}

int RowOfCategory(TForm1& form, int id)
{
    for (int row = 0; row < form.ListBox2->Count(); ++row)
        if (std::stoi(GetTagValue(form.ListBox2->Item(row), "<i>")) == id)
            return row;
    return -1;
}

}  // namespace

int main(int argc, char* argv[])
{
    const int rounds = Rounds(argc, argv, 5);
    BenchApplication bench(argc, argv);
    const BenchWorld& world = bench.world;
    const std::string folder = world.ArchiveFolder();

    platform::ScriptedBoxes boxes;
    TForm1 form(boxes, world.ExePath());
    if (!StartAndShow(form))
        return 1;

    // ---- the tick over an unchanged clipboard
    const QString text = ClipboardText();
    auto clipboard = std::make_unique<platform::TestClipboard>();
    clipboard->Hold(text);
    platform::TestClipboard* held = clipboard.get();
    form.SetClipboard(std::move(clipboard));
    form.LastImport = platform::SplitLines(platform::LinkFromQString(text));
    linkimport::FilterCandidates(form.LastImport);
    const std::size_t bytes = platform::FromQString(text).size();

    std::vector<double> tick, systemTick, filterOnly, filterDeleting;
    for (int round = 0; round < rounds; ++round) {
        const int reads = held->Reads();
        Clock::time_point start = Clock::now();
        form.Timer1Timer();
        tick.push_back(Milliseconds(start));
        if (held->Reads() != reads + 2 || form.Busy) {
            std::fputs("the tick did not read the clipboard twice\n", stderr);
            return 1;
        }

        std::vector<std::string> lines = platform::SplitLines(platform::LinkFromQString(text));
        start = Clock::now();
        linkimport::FilterCandidates(lines);
        filterOnly.push_back(Milliseconds(start));

        std::vector<std::string> again = platform::SplitLines(platform::LinkFromQString(text));
        start = Clock::now();
        FilterByDeleting(again);
        filterDeleting.push_back(Milliseconds(start));
        if (again != lines || lines != form.LastImport) {
            std::fputs("the filters disagree\n", stderr);
            return 1;
        }
    }
    // The same tick on the platform's own clipboard.
    form.SetClipboard(std::make_unique<platform::SystemClipboard>());
    form.Clipboard().SetText(text);
    for (int round = 0; round < rounds; ++round) {
        const Clock::time_point start = Clock::now();
        form.Timer1Timer();
        systemTick.push_back(Milliseconds(start));
    }

    // ---- a file of 10,000 links through the dialog
    const std::string path = folder + "../linki.txt";
    {
        std::ofstream file(path, std::ios::binary);
        for (int k = 0; k < kFileLinks; ++k)
            file << "http://www.example.org/plik/" << k << ".html\r\n";
    }
    std::vector<double> import, storeOnly;
    for (int round = 0; round < rounds; ++round) {
        const int id = NewCategory(folder, round);
        form.LoadCategories(id);
        const int row = RowOfCategory(form, id);
        bool confirmed = false;
        WhenModal<TForm2>([&](TForm2& dialog) {
            dialog.ComboBox1->setCurrentIndex(row);
            confirmed = true;
            dialog.BitBtn2->click();
        });
        const Clock::time_point start = Clock::now();
        form.ImportLinks(path);
        form.repaint();
        QCoreApplication::processEvents();
        import.push_back(Milliseconds(start));
        if (!confirmed || form.ListBox1->Count() != kFileLinks || form.ListBox2->ItemIndex() != row) {
            std::fputs("the file's links were not shown\n", stderr);
            return 1;
        }

        Lines lines;
        for (int k = 0; k < kFileLinks; ++k)
            lines.push_back(LinkLine(-1, id, 0, "http://www.example.org/drugi/" + std::to_string(k) + ".html", ""));
        const Clock::time_point storeStart = Clock::now();
        DbAddLinks(folder, lines, id);
        storeOnly.push_back(Milliseconds(storeStart));
    }

    std::printf("clipboard: %d lines, %zu bytes, %zu links; file: %d links; %d rounds\n", kClipboardLines, bytes,
                form.LastImport.size(), kFileLinks, rounds);
    Report("monitor tick, unchanged clipboard (window's clipboard object)", tick, 30);
    Report("monitor tick, unchanged clipboard (platform clipboard)", systemTick, 30);
    Report("  the filter alone, in one pass", filterOnly, 0);
    Report("  baseline: the filter deleting each dropped line", filterDeleting, 0);
    Report("import a 10,000-link file, confirm, links shown", import, 500);
    Report("  baseline: the store's append of 10,000 links alone", storeOnly, 0);
    return 0;
}
