// Timings of the link-list commands on a large category, run by hand:
//   link_bench
// Goals: finding the duplicates among 20,000 shown links with 2,000 repeated
// under 1 s; moving a block of 500 selected links one row up under 0.2 s.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "Funcs.h"
#include "LinkOrder.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// total links, of which `repeated` repeat the text of an earlier one, spread
// over the list.
std::vector<std::string> CategoryLines(int total, int repeated)
{
    std::mt19937 random(2024);
    std::vector<std::string> texts;
    texts.reserve(total);
    const int distinct = total - repeated;
    for (int k = 0; k < distinct; ++k)
        texts.push_back("http://www.example.org/catalogue/page" + std::to_string(k) + ".html");
    for (int k = 0; k < repeated; ++k) {
        const auto at = texts.begin() + 1 + random() % (texts.size() - 1);
        const std::string copy = texts[random() % (at - texts.begin())];
        texts.insert(at, copy);
    }
    std::vector<std::string> lines;
    lines.reserve(total);
    for (int k = 0; k < total; ++k)
        lines.push_back(LinkLine(k + 1, 3, k + 1, texts[k], "opis " + std::to_string(k)));
    return lines;
}

void Report(const char* what, double ms, double goalMs)
{
    std::printf("%-58s %9.2f ms  (goal < %.0f ms) %s\n", what, ms, goalMs, ms < goalMs ? "ok" : "SLOW");
}

void BenchDuplicates()
{
    const auto lines = CategoryLines(20000, 2000);
    const auto start = Clock::now();
    const auto found = linkorder::FindDuplicateLinks(lines);
    const double ms = MillisecondsSince(start);
    std::printf("duplicates found: %zu\n", found.rows.size());
    Report("find duplicates, 20,000 links, 2,000 repeated", ms, 1000);
}

void BenchMoveUp()
{
    const auto lines = CategoryLines(20000, 0);
    std::vector<int> block;
    for (int row = 10000; row < 10500; ++row)
        block.push_back(row);
    const auto start = Clock::now();
    const auto move = linkorder::MoveSelectedUp(lines, block, 10000);
    const double ms = MillisecondsSince(start);
    std::printf("lines to store: %zu\n", move.changedLines.size());
    Report("move 500 selected links one row up (computation)", ms, 200);
}

}  // namespace

int main()
{
    BenchDuplicates();
    BenchMoveUp();
    return 0;
}
