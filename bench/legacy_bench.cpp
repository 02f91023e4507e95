// Times the conversion of a legacy catalogue through the main window, run
// by hand outside the test suite:  legacy_bench [rounds]
// Goal: ConvertLegacyDatabase of an unpacked catalogue of 100 categories and
// 20,000 links, the progress window shown, under 0.5 s. The archive
// library is the tests' stand-in, which copies the unpacked folder into the
// run subfolder; the store's import of the same folder alone is timed as
// the baseline.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchTiming.h"
#include "bench/BenchWorld.h"
#include "platform/testing/ScriptedBoxes.h"
#include "store/Db_funcs.h"
#include "tests/window/TestLibrary.h"
#include "window/mainwindow/dovra_.h"

namespace fs = std::filesystem;

namespace {

constexpr int kCategories = 100;
constexpr int kLinksPerCategory = 200;

// "kategorie" and kat1 to kat100 (kat0, the links without a category, empty).
void WriteUnpacked(const std::string& folder)
{
    fs::create_directories(folder);
    std::ofstream categories(folder + "kategorie", std::ios::binary);
    std::ofstream(folder + "kat0", std::ios::binary);
    for (int i = 1; i <= kCategories; ++i) {
        categories << "<n>Kategoria " << i << "</n>\r\n";
        std::ofstream links(folder + "kat" + std::to_string(i), std::ios::binary);
        for (int j = 0; j < kLinksPerCategory; ++j)
            links << "<n>http://www.example.org/k" << i << "/strona" << j << ".html</n><o>opis " << j << "</o>\r\n";
    }
}

// Categories and links stored in folder's catalogue.
std::pair<size_t, size_t> Stored(const std::string& folder)
{
    Lines categories, links;
    DbGetCategories(folder, categories);
    DbGetLinks(folder, links, -1);
    return {categories.size(), links.size()};
}

}  // namespace

int main(int argc, char* argv[])
{
    const int rounds = Rounds(argc, argv, 5);
    BenchApplication bench(argc, argv);
    const BenchWorld& world = bench.world;

    const std::string unpacked = world.Root() + "unpacked/";
    WriteUnpacked(unpacked);
    TestLibrary library(world.Root() + "testlib/");
    library.InstallAs(world.Root() + "bin/", "archuse.so");
    library.SetUnpackSource(unpacked);

    platform::ScriptedBoxes boxes;
    TForm1 form(boxes, world.ExePath());
    if (!StartAndShow(form))
        return 1;

    std::vector<double> store, conversion;
    for (int round = 0; round < rounds; ++round) {
        // Baseline: the store's import of a folder already in place.
        const std::string baseFolder = world.Root() + "base" + std::to_string(round) + "/";
        const std::string baseRun = "dovratemp_base" + std::to_string(round) + "/";
        fs::create_directories(baseFolder);
        fs::copy(unpacked, form.TempFolder + baseRun);
        Clock::time_point start = Clock::now();
        const int baseResult = DbImportLegacyFolder(baseFolder, form.TempFolder, baseRun);
        store.push_back(Milliseconds(start));

        // The conversion as start-up runs it: question, library, progress
        // window, import, backup name.
        const std::string archive = world.Root() + "archive" + std::to_string(round) + "/";
        fs::create_directories(archive);
        std::ofstream(archive + "dovra.ldb", std::ios::binary) << "legacy";
        boxes.Script(platform::BoxAnswer::Button(platform::IdYes));
        start = Clock::now();
        const int result = form.ConvertLegacyDatabase(form.TempFolder, form.RunTempSubfolder, archive);
        conversion.push_back(Milliseconds(start));

        const auto expected = std::pair<size_t, size_t>(kCategories, kCategories * kLinksPerCategory);
        if (baseResult != DbOk || result != DbOk || Stored(baseFolder) != expected || Stored(archive) != expected ||
            !fs::exists(archive + "dovra.ldb.bak") || boxes.TakeAsked().size() != 1) {
            std::fputs("the conversion did not store the catalogue\n", stderr);
            return 1;
        }
    }

    std::printf("%d categories, %d links; %d rounds\n", kCategories, kCategories * kLinksPerCategory, rounds);
    Report("store import of the unpacked folder (baseline)", store, 0);
    Report("ConvertLegacyDatabase, progress window shown", conversion, 500);
    return 0;
}
