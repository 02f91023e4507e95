// Times the main window on a large catalogue: 100,000 links in 50
// categories. Start-up until every link is shown (goal under 1.5 s), and
// switching to a category of 2,000 links and back to all links (goal under
// 0.2 s each). Run by hand: window_bench [rounds]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QApplication>
#include <QTest>

#include "BenchWorld.h"
#include "Db_funcs.h"
#include "Funcs.h"
#include "LargeCatalogue.h"
#include "LineListBox.h"
#include "ScriptedBoxes.h"
#include "dovra_.h"

using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Lets the window paint what it has to.
void Settle(QWidget& window)
{
    QCoreApplication::processEvents();
    window.repaint();
    QCoreApplication::processEvents();
}

}  // namespace

int main(int argc, char* argv[])
{
    BenchWorld world;
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quomira"));
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    const Clock::time_point building = Clock::now();
    BuildLargeCatalogue(world.ArchiveFolder());
    std::printf("catalogue of %d links in %d categories built in %.2f s\n", kCategories * kLinksPerCategory,
                kCategories, Seconds(building));

    std::vector<double> startups, toCategory, toAll;
    for (int round = 0; round < rounds; ++round) {
        platform::ScriptedBoxes boxes;
        const Clock::time_point start = Clock::now();
        TForm1 form(boxes, world.ExePath());
        form.FormCreate();
        form.show();
        if (!QTest::qWaitForWindowExposed(&form)) {
            std::fputs("the window was not shown\n", stderr);
            return 1;
        }
        Settle(form);
        startups.push_back(Seconds(start));
        if (form.ListBox1->Count() != kCategories * kLinksPerCategory) {
            std::fprintf(stderr, "start-up shows %d links\n", form.ListBox1->Count());
            return 1;
        }

        for (int i = 0; i < 3; ++i) {
            Clock::time_point t = Clock::now();
            form.ListBox2->SetItemIndex(1 + (round * 3 + i) % kCategories);
            form.ListBox2Click();
            Settle(form);
            toCategory.push_back(Seconds(t));
            if (form.ListBox1->Count() != kLinksPerCategory) {
                std::fprintf(stderr, "a category shows %d links\n", form.ListBox1->Count());
                return 1;
            }
            t = Clock::now();
            form.ListBox2->SetItemIndex(form.ListBox2->Count() - 1);
            form.ListBox2Click();
            Settle(form);
            toAll.push_back(Seconds(t));
        }
        form.hide();
    }

    auto report = [](const char* what, const std::vector<double>& values, double goal) {
        std::printf("%-40s median %.3f s  best %.3f s  worst %.3f s  (goal < %.1f s)\n", what, Median(values),
                    *std::min_element(values.begin(), values.end()), *std::max_element(values.begin(), values.end()),
                    goal);
    };
    report("start-up until all links are shown", startups, 1.5);
    report("all links -> a category of 2,000", toCategory, 0.2);
    report("a category of 2,000 -> all links", toAll, 0.2);
    return 0;
}
