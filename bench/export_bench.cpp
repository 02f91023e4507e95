// Times the HTML export of the whole catalogue, 100,000 links in 50
// categories, to a file through the main window's TForm1::ExportToHtml
// (the save dialog answered from a script): goal under 0.4 s. As a baseline,
// the store's HTML body alone written to a file with a plain std::ofstream.
// Run by hand: export_bench [rounds]
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "bench/BenchTiming.h"
#include "bench/BenchWorld.h"
#include "store/Db_funcs.h"
#include "bench/LargeCatalogue.h"
#include "platform/testing/ScriptedBoxes.h"
#include "window/mainwindow/dovra_.h"

int main(int argc, char* argv[])
{
    BenchApplication bench(argc, argv);
    const BenchWorld& world = bench.world;
    const int rounds = Rounds(argc, argv, 5);
    BuildLargeCatalogue(world.ArchiveFolder());

    platform::ScriptedBoxes boxes;
    TForm1 form(boxes, world.ExePath());
    form.FormCreate();
    boxes.TakeAsked();

    const std::string path = world.ArchiveFolder() + "../eksport.html";
    const std::string baselinePath = world.ArchiveFolder() + "../baseline.html";
    std::vector<double> command, baseline;
    std::uintmax_t size = 0, baselineSize = 0;
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
        size = std::filesystem::file_size(path);

        start = Clock::now();
        {
            std::ofstream out(baselinePath, std::ios::binary | std::ios::trunc);
            DbExportHtml(form.ArchiveFolder, out, -1);
        }
        baseline.push_back(Milliseconds(start));
        baselineSize = std::filesystem::file_size(baselinePath);
    }

    std::printf("%d links in %d categories; %d rounds; file %ju bytes (body alone %ju)\n",
                kCategories * kLinksPerCategory, kCategories, rounds, size, baselineSize);
    Report("ExportToHtml of the whole catalogue (command)", command, 400);
    Report("store's HTML body to an std::ofstream (baseline)", baseline, 0);
    return 0;
}
