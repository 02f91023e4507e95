// The link-list computations behind the duplicate search and the moves up and
// down, checked against straightforward step-by-step versions of the same rules.
#include "window/logic/LinkOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/Convert.h"
#include "store/Funcs.h"

using linkorder::FindDuplicateLinks;
using linkorder::LinkMove;
using linkorder::MoveSelectedDown;
using linkorder::MoveSelectedUp;

namespace {

using Lines = std::vector<std::string>;
using Rows = std::vector<int>;

// Links with the given texts, ids 101, 102, ... and positions 10, 20, 30, ...
Lines LinksWithTexts(const std::vector<std::string>& texts)
{
    Lines lines;
    for (int k = 0; k < static_cast<int>(texts.size()); ++k)
        lines.push_back(LinkLine(101 + k, 4, 10 * (k + 1), texts[k], "opis " + texts[k]));
    return lines;
}

std::vector<std::string> Field(const Lines& lines, const std::string& tag)
{
    std::vector<std::string> values;
    for (const auto& line : lines)
        values.push_back(GetTagValue(line, tag));
    return values;
}

// The duplicate search done the plain way: a working copy, each line compared
// with every later one, a found copy deleted from the copy at once.
struct PlainDuplicates {
    std::vector<std::string> lines;
    std::string listing;
};

PlainDuplicates PlainDuplicateSearch(Lines work)
{
    PlainDuplicates found;
    for (int i = 0; i < static_cast<int>(work.size()) - 1; ++i) {
        const std::string a = GetTagValue(work[i], "<l>");
        for (int j = i + 1; j < static_cast<int>(work.size()); ++j) {
            if (GetTagValue(work[j], "<l>") == a) {
                found.listing += a + "\n";
                found.lines.push_back(work[j]);
                work.erase(work.begin() + j);
                --j;
            }
        }
    }
    return found;
}

// The move done the plain way, row by row: trade the positions of two
// neighbouring rows, exchange them, keep the moved one selected. Returns the
// rows afterwards and every line written, in the order written.
struct PlainMove {
    Lines lines;
    std::vector<bool> selected;
    int focus;
    Lines written;
};

PlainMove PlainMoveStep(Lines lines, const Rows& selectedRows, int focus, int step)
{
    const int count = static_cast<int>(lines.size());
    std::vector<bool> selected(count, false);
    for (int row : selectedRows)
        selected[row] = true;
    PlainMove result{lines, selected, focus, {}};
    auto& rows = result.lines;
    auto& sel = result.selected;
    const bool blocked = selectedRows.empty() || count < 2 || (step < 0 ? sel.front() : sel.back());
    if (blocked)
        return result;
    auto visit = [&](int i) {
        if (!sel[i])
            return;
        const int j = i + step;
        const std::string pi = GetTagValue(rows[i], "<p>");
        const std::string pj = GetTagValue(rows[j], "<p>");
        rows[i] = SetTagValue(rows[i], pj, "<p>");
        rows[j] = SetTagValue(rows[j], pi, "<p>");
        std::swap(rows[i], rows[j]);
        sel[i] = false;
        sel[j] = true;
        if (result.focus == i)
            result.focus = j;
        else if (result.focus == j)
            result.focus = i;
        result.written.push_back(rows[i]);
        result.written.push_back(rows[j]);
    };
    if (step < 0)
        for (int i = 1; i < count; ++i)
            visit(i);
    else
        for (int i = count - 2; i >= 0; --i)
            visit(i);
    return result;
}

// What the store holds after applying lines one by one, keyed by id: the last
// line of each link wins.
std::map<std::string, std::string> Applied(const Lines& written)
{
    std::map<std::string, std::string> stored;
    for (const auto& line : written)
        stored[GetTagValue(line, "<i>")] = line;
    return stored;
}

Rows SelectedRowsOf(const std::vector<bool>& selected)
{
    Rows rows;
    for (int row = 0; row < static_cast<int>(selected.size()); ++row)
        if (selected[row])
            rows.push_back(row);
    return rows;
}

}  // namespace

// ---- duplicates -----------------------------------------------------------

TEST(FindDuplicateLinks, LaterCopiesGroupedByTextInOrderOfFirstRow)
{
    const auto result = FindDuplicateLinks(LinksWithTexts({"a", "b", "a", "c", "b", "a"}));
    EXPECT_EQ(result.rows, (Rows{2, 5, 4}));
    EXPECT_EQ(result.listing, "a\na\nb\n");
}

TEST(FindDuplicateLinks, TextsDifferingInCaseOrBlanksAreDistinct)
{
    const auto result = FindDuplicateLinks(LinksWithTexts({"http://x", "HTTP://x", "http://x ", " http://x"}));
    EXPECT_TRUE(result.rows.empty());
    EXPECT_EQ(result.listing, "");
}

TEST(FindDuplicateLinks, DescriptionsPlayNoPart)
{
    const Lines lines = {LinkLine(1, 0, 1, "x", "one"), LinkLine(2, 0, 2, "x", "two")};
    EXPECT_EQ(FindDuplicateLinks(lines).rows, (Rows{1}));
}

TEST(FindDuplicateLinks, ListsTheTextsUnescaped)
{
    const auto result = FindDuplicateLinks(LinksWithTexts({"a&b<c>", "a&b<c>", "&amp;", "&amp;"}));
    EXPECT_EQ(result.rows, (Rows{1, 3}));
    EXPECT_EQ(result.listing, "a&b<c>\n&amp;\n");
}

TEST(FindDuplicateLinks, EmptyTextsAndShortListsAreHandled)
{
    EXPECT_TRUE(FindDuplicateLinks({}).rows.empty());
    EXPECT_TRUE(FindDuplicateLinks(LinksWithTexts({"only"})).rows.empty());
    EXPECT_EQ(FindDuplicateLinks(LinksWithTexts({"", "x", ""})).rows, (Rows{2}));
}

TEST(FindDuplicateLinks, FindsWhatThePlainSearchFindsInTheSameOrder)
{
    std::mt19937 random(5);
    for (int round = 0; round < 200; ++round) {
        const int count = static_cast<int>(random() % 40);
        const int alphabet = 1 + static_cast<int>(random() % 12);
        std::vector<std::string> texts;
        for (int k = 0; k < count; ++k)
            texts.push_back("t" + std::to_string(random() % alphabet));
        const Lines lines = LinksWithTexts(texts);

        const auto fast = FindDuplicateLinks(lines);
        const auto plain = PlainDuplicateSearch(lines);
        Lines fastLines;
        for (int row : fast.rows)
            fastLines.push_back(lines[row]);
        ASSERT_EQ(fastLines, plain.lines) << "round " << round;
        ASSERT_EQ(fast.listing, plain.listing) << "round " << round;
    }
}

// ---- moving up and down -----------------------------------------------------

TEST(MoveSelected, UpRowsTwoAndThreeOfFive)
{
    const Lines lines = LinksWithTexts({"L0", "L1", "L2", "L3", "L4"});
    const LinkMove move = MoveSelectedUp(lines, {2, 3}, 3);

    ASSERT_TRUE(move.moved);
    EXPECT_EQ(Field(move.lines, "<l>"), (std::vector<std::string>{"L0", "L2", "L3", "L1", "L4"}));
    EXPECT_EQ(Field(move.lines, "<p>"), Field(lines, "<p>"));  // positions stay with the rows
    EXPECT_EQ(move.selectedRows, (Rows{1, 2}));
    EXPECT_EQ(move.focusRow, 2);
    EXPECT_EQ(move.changedRows, (Rows{1, 2, 3}));
    EXPECT_EQ(move.changedLines, (Lines{move.lines[1], move.lines[2], move.lines[3]}));
    // The descriptions travel with their links.
    EXPECT_EQ(GetTagValue(move.lines[3], "<d>"), "opis L1");
}

TEST(MoveSelected, DownRowsZeroAndTwoOfFive)
{
    const Lines lines = LinksWithTexts({"L0", "L1", "L2", "L3", "L4"});
    const LinkMove move = MoveSelectedDown(lines, {0, 2}, 0);

    ASSERT_TRUE(move.moved);
    EXPECT_EQ(Field(move.lines, "<l>"), (std::vector<std::string>{"L1", "L0", "L3", "L2", "L4"}));
    EXPECT_EQ(Field(move.lines, "<p>"), Field(lines, "<p>"));
    EXPECT_EQ(move.selectedRows, (Rows{1, 3}));
    EXPECT_EQ(move.focusRow, 1);
    EXPECT_EQ(move.changedLines.size(), 4u);
}

TEST(MoveSelected, NothingMovesWhenBlocked)
{
    const Lines five = LinksWithTexts({"L0", "L1", "L2", "L3", "L4"});
    const Lines one = LinksWithTexts({"L0"});
    struct Case {
        const char* name;
        Lines lines;
        Rows selected;
        bool up;
    };
    const std::vector<Case> cases = {
        {"up, first row among the selected", five, {0, 2, 3}, true},
        {"down, last row among the selected", five, {1, 4}, false},
        {"up, nothing selected", five, {}, true},
        {"down, nothing selected", five, {}, false},
        {"up, one row", one, {0}, true},
        {"down, one row", one, {0}, false},
        {"up, empty list", {}, {}, true},
    };
    for (const auto& c : cases) {
        const LinkMove move = c.up ? MoveSelectedUp(c.lines, c.selected, 1) : MoveSelectedDown(c.lines, c.selected, 1);
        EXPECT_FALSE(move.moved) << c.name;
        EXPECT_EQ(move.lines, c.lines) << c.name;
        EXPECT_EQ(move.selectedRows, c.selected) << c.name;
        EXPECT_EQ(move.focusRow, 1) << c.name;
        EXPECT_TRUE(move.changedLines.empty()) << c.name;
    }
}

TEST(MoveSelected, FocusStaysWithItsLink)
{
    const Lines lines = LinksWithTexts({"L0", "L1", "L2", "L3", "L4", "L5"});
    struct Case {
        bool up;
        int focus;
        int expected;
    };
    // Selected block: rows 2 and 3.
    const std::vector<Case> cases = {
        {true, 2, 1},  {true, 3, 2},  {true, 1, 3},  {true, 0, 0},  {true, 5, 5},    {true, -1, -1},
        {false, 2, 3}, {false, 3, 4}, {false, 4, 2}, {false, 1, 1}, {false, -1, -1},
    };
    for (const auto& c : cases) {
        const LinkMove move = c.up ? MoveSelectedUp(lines, {2, 3}, c.focus) : MoveSelectedDown(lines, {2, 3}, c.focus);
        ASSERT_TRUE(move.moved);
        EXPECT_EQ(move.focusRow, c.expected) << (c.up ? "up" : "down") << " from " << c.focus;
        if (c.focus >= 0) {
            EXPECT_EQ(GetTagValue(move.lines[move.focusRow], "<i>"), GetTagValue(lines[c.focus], "<i>"));
        }
    }
}

TEST(MoveSelected, UnevenPositionsStayWithTheRows)
{
    const Lines lines = {LinkLine(7, 2, 3, "a", ""), LinkLine(8, 2, 7, "b", ""), LinkLine(9, 2, 20, "c", ""),
                         LinkLine(5, 2, 21, "d", "")};
    const LinkMove move = MoveSelectedUp(lines, {1, 2}, -1);
    EXPECT_EQ(Field(move.lines, "<p>"), (std::vector<std::string>{"3", "7", "20", "21"}));
    EXPECT_EQ(move.lines,
              (Lines{LinkLine(8, 2, 3, "b", ""), LinkLine(9, 2, 7, "c", ""), LinkLine(7, 2, 20, "a", ""),
                     LinkLine(5, 2, 21, "d", "")}));
}

TEST(MoveSelected, MatchesTheRowByRowMoveAndStoresTheSame)
{
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        const int count = 1 + static_cast<int>(random() % 12);
        std::vector<std::string> texts;
        for (int k = 0; k < count; ++k)
            texts.push_back("L" + std::to_string(k));
        const Lines lines = LinksWithTexts(texts);
        Rows selected;
        for (int row = 0; row < count; ++row)
            if (random() % 2)
                selected.push_back(row);
        const int focus = static_cast<int>(random() % (count + 1)) - 1;
        const bool up = random() % 2;

        const LinkMove move = up ? MoveSelectedUp(lines, selected, focus) : MoveSelectedDown(lines, selected, focus);
        const PlainMove plain = PlainMoveStep(lines, selected, focus, up ? -1 : 1);

        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(move.lines, plain.lines);
        ASSERT_EQ(move.selectedRows, SelectedRowsOf(plain.selected));
        ASSERT_EQ(move.focusRow, plain.focus);
        ASSERT_EQ(move.moved, !plain.written.empty());
        // Each changed link goes to the store once, with its final line.
        ASSERT_EQ(Applied(move.changedLines), Applied(plain.written));
        ASSERT_EQ(Applied(move.changedLines).size(), move.changedLines.size());
        for (std::size_t k = 0; k < move.changedRows.size(); ++k)
            ASSERT_EQ(move.changedLines[k], move.lines[move.changedRows[k]]);
    }
}

TEST(MoveSelected, ABlockOfFiveHundredMovesAsAWhole)
{
    std::vector<std::string> texts;
    for (int k = 0; k < 2000; ++k)
        texts.push_back("L" + std::to_string(k));
    const Lines lines = LinksWithTexts(texts);
    Rows block;
    for (int row = 1000; row < 1500; ++row)
        block.push_back(row);

    const LinkMove move = MoveSelectedUp(lines, block, 1200);
    EXPECT_EQ(GetTagValue(move.lines[999], "<l>"), "L1000");
    EXPECT_EQ(GetTagValue(move.lines[1498], "<l>"), "L1499");
    EXPECT_EQ(GetTagValue(move.lines[1499], "<l>"), "L999");
    EXPECT_EQ(move.changedLines.size(), 501u);
    EXPECT_EQ(move.selectedRows.front(), 999);
    EXPECT_EQ(move.selectedRows.back(), 1498);
    EXPECT_EQ(move.focusRow, 1199);
}

// ---- small helpers ------------------------------------------------------------

TEST(MaxLinkPos, LargestPositionNeverBelowZero)
{
    EXPECT_EQ(linkorder::MaxLinkPos({}), 0);
    EXPECT_EQ(linkorder::MaxLinkPos({LinkLine(1, 0, -5, "a", ""), LinkLine(2, 0, -1, "b", "")}), 0);
    EXPECT_EQ(
        linkorder::MaxLinkPos({LinkLine(1, 0, 0, "a", ""), LinkLine(2, 0, 2, "b", ""), LinkLine(3, 0, 1, "c", "")}), 2);
    EXPECT_THROW(linkorder::MaxLinkPos({"<i>1</i><c>0</c><p>x</p><l>a</l><d></d>"}), EConvertError);
}

TEST(CopyTexts, LinksJoinedByLineFeedsDescriptionsEachEndingWithOne)
{
    const Lines lines = {LinkLine(1, 0, 1, "a", ""), LinkLine(2, 0, 2, "b&<", ""), LinkLine(3, 0, 3, "c", "x")};
    EXPECT_EQ(linkorder::JoinLinkTexts(lines, {0, 1, 2}), "a\nb&<\nc");
    EXPECT_EQ(linkorder::JoinLinkTexts(lines, {2}), "c");
    EXPECT_EQ(linkorder::JoinDescriptions(lines, {0, 1}), "\n\n");
    EXPECT_EQ(linkorder::JoinDescriptions(lines, {2}), "x\n");
}

TEST(WithDescription, SetsTheEscapedDescriptionOfEachRow)
{
    const Lines lines = {LinkLine(1, 3, 1, "a", "old"), LinkLine(2, 3, 2, "b", ""), LinkLine(3, 3, 3, "c", "")};
    EXPECT_EQ(linkorder::WithDescription(lines, {0, 2}, "x<y>&z"),
              (Lines{LinkLine(1, 3, 1, "a", "x<y>&z"), LinkLine(3, 3, 3, "c", "x<y>&z")}));
}
