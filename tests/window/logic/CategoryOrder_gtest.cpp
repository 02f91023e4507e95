// The alphabetical order of category names and the block moves of the
// category-order dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/Funcs.h"
#include "window/logic/CategoryOrder.h"

namespace {

// Windows-1250 bytes of the Polish letters used below.
const std::string a_ = "\xB9", A_ = "\xA5";  // ą Ą
const std::string c_ = "\xE6", C_ = "\xC6";  // ć Ć
const std::string e_ = "\xEA", E_ = "\xCA";  // ę Ę
const std::string l_ = "\xB3", L_ = "\xA3";  // ł Ł
const std::string n_ = "\xF1", N_ = "\xD1";  // ń Ń
const std::string o_ = "\xF3", O_ = "\xD3";  // ó Ó
const std::string s_ = "\x9C", S_ = "\x8C";  // ś Ś
const std::string zi = "\x9F", Zi = "\x8F";  // ź Ź
const std::string zd = "\xBF", Zd = "\xAF";  // ż Ż

std::vector<std::string> LinesNamed(const std::vector<std::string>& names)
{
    std::vector<std::string> lines;
    int id = 1;
    for (const std::string& name : names) {
        lines.push_back(CategoryLine(id, id, name, ""));
        ++id;
    }
    return lines;
}

std::vector<std::string> NamesOf(const std::vector<std::string>& lines)
{
    std::vector<std::string> names;
    for (const std::string& line : lines)
        names.push_back(GetTagValue(line, "<n>"));
    return names;
}

std::vector<std::string> SortedByName(const std::vector<std::string>& names)
{
    const std::vector<std::string> lines = LinesNamed(names);
    return NamesOf(ApplyRowOrder(CategoryOrderByName(lines), lines));
}

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

}  // namespace

TEST(CategoryOrderByName, SortsPolishNamesAlphabetically)
{
    EXPECT_EQ(SortedByName({zd + "aba", "Ala", l_ + "o" + s_, "Zenon", "lis"}),
              (std::vector<std::string>{"Ala", "lis", l_ + "o" + s_, "Zenon", zd + "aba"}));
}

struct NamePair {
    const char* what;
    std::string less;
    std::string greater;
};

TEST(CompareCategoryNames, OrdersEachPolishLetterRightAfterItsBaseLetter)
{
    const std::vector<NamePair> cases = {
        {"a < ą", "a", a_},
        {"ą < b", a_, "b"},
        {"c < ć", "c", c_},
        {"ć < d", c_, "d"},
        {"e < ę", "e", e_},
        {"ę < f", e_, "f"},
        {"l < ł", "l", l_},
        {"ł < m", l_, "m"},
        {"n < ń", "n", n_},
        {"ń < o", n_, "o"},
        {"o < ó", "o", o_},
        {"ó < p", o_, "p"},
        {"s < ś", "s", s_},
        {"ś < t", s_, "t"},
        {"z < ź", "z", zi},
        {"ź < ż", zi, zd},
        {"Ł < m, capital", L_, "m"},
        {"Ż after z, capital", "z", Zd},
        {"łz < ma: first letter decides", l_ + "z", "ma"},
        {"prefix first", "Kot", "kotek"},
        {"digit before letter", "9 lat", "a"},
        {"blank before letter", "a b", "ab"},
    };
    for (const NamePair& c : cases) {
        EXPECT_LT(CompareCategoryNames(c.less, c.greater), 0) << c.what;
        EXPECT_GT(CompareCategoryNames(c.greater, c.less), 0) << c.what;
    }
}

TEST(CompareCategoryNames, IgnoresLetterCasePolishCapitalsIncluded)
{
    const std::vector<NamePair> cases = {
        {"ASCII", "Ala ma kota", "aLA MA KOTA"},
        {"Ą", A_, a_},
        {"Ć", C_, c_},
        {"Ę", E_, e_},
        {"Ł", L_, l_},
        {"Ń", N_, n_},
        {"Ó", O_, o_},
        {"Ś", S_, s_},
        {"Ź", Zi, zi},
        {"Ż", Zd, zd},
        {"a word", L_ + "O" + S_, l_ + "o" + s_},
    };
    for (const NamePair& c : cases)
        EXPECT_EQ(CompareCategoryNames(c.less, c.greater), 0) << c.what;
}

TEST(CompareCategoryNames, IsConsistentOverAMixedSet)
{
    const std::vector<std::string> names = {"", "a", A_, "b", L_ + "a", "la", "Z", zi, Zd, "1", "&"};
    for (const std::string& x : names)
        for (const std::string& y : names)
            EXPECT_EQ(Sign(CompareCategoryNames(x, y)), -Sign(CompareCategoryNames(y, x))) << x << " / " << y;
}

TEST(CategoryOrderByName, KeepsTheOrderOfEqualNames)
{
    const std::vector<std::string> lines = LinesNamed({"b", "Ala", L_ + "os", "ALA", "ala", l_ + "OS"});
    const std::vector<std::string> sorted = ApplyRowOrder(CategoryOrderByName(lines), lines);
    std::vector<std::string> ids;
    for (const std::string& line : sorted)
        ids.push_back(GetTagValue(line, "<i>"));
    EXPECT_EQ(ids, (std::vector<std::string>{"2", "4", "5", "1", "3", "6"}));
}

TEST(CategoryOrderByName, SortsByNameNotByTheIdTheLineBeginsWith)
{
    const std::vector<std::string> lines = {
        CategoryLine(3, 0, "Czasopisma", ""),
        CategoryLine(12, 1, "Muzyka", ""),
        CategoryLine(7, 2, "Album", ""),
    };
    EXPECT_EQ(NamesOf(ApplyRowOrder(CategoryOrderByName(lines), lines)),
              (std::vector<std::string>{"Album", "Czasopisma", "Muzyka"}));
}

TEST(CategoryOrderByName, ComparesTheNamesUnescaped)
{
    // "&" is kept as "&amp;" inside the line; the name itself starts with "&"
    // and so sorts before the letters.
    EXPECT_EQ(SortedByName({"b", "&b", "<n>a</n>", "a"}), (std::vector<std::string>{"&b", "<n>a</n>", "a", "b"}));
}

TEST(CategoryOrderByName, LeavesEmptyAndSingleListsAlone)
{
    EXPECT_TRUE(CategoryOrderByName({}).empty());
    EXPECT_EQ(CategoryOrderByName(LinesNamed({"x"})), (RowOrder{0}));
}

struct MoveCase {
    const char* what;
    std::vector<bool> selected;
    std::string up;    // labels after moving up ("" = refused)
    std::string down;  // labels after moving down ("" = refused)
};

std::string Moved(const RowOrder& order, std::size_t count)
{
    if (order.empty())
        return "";
    std::string labels;
    for (int index : order) {
        EXPECT_LT(static_cast<std::size_t>(index), count);
        labels += static_cast<char>('1' + index);
    }
    return labels;
}

TEST(BlockMoves, MoveEverySelectedRowAsABlockOrRefuse)
{
    const std::vector<MoveCase> cases = {
        {"rows 2 and 3", {false, true, true, false, false}, "23145", "14235"},
        {"one row in the middle", {false, false, true, false, false}, "13245", "12435"},
        {"two runs", {false, true, false, true, true, false}, "214536", "132645"},
        {"every other row", {false, true, false, true, false}, "21435", "13254"},
        {"second of two", {false, true}, "21", ""},
        {"first row selected: up refused", {true, false, false}, "", "213"},
        {"first and others selected: up refused", {true, false, true, false}, "", "2143"},
        {"last row selected: down refused", {false, false, true}, "132", ""},
        {"last and others selected: down refused", {false, true, false, true}, "2143", ""},
        {"nothing selected", {false, false, false}, "", ""},
        {"everything selected", {true, true, true}, "", ""},
        {"a single row", {true}, "", ""},
        {"no rows", {}, "", ""},
    };
    for (const MoveCase& c : cases) {
        EXPECT_EQ(Moved(MoveSelectedRowsUp(c.selected), c.selected.size()), c.up) << c.what;
        EXPECT_EQ(Moved(MoveSelectedRowsDown(c.selected), c.selected.size()), c.down) << c.what;
    }
}

TEST(BlockMoves, SelectionAndFocusFollowTheirRows)
{
    const std::vector<bool> selected = {false, true, true, false, false};
    const RowOrder up = MoveSelectedRowsUp(selected);
    EXPECT_EQ(ApplyRowOrder(up, selected), (std::vector<bool>{true, true, false, false, false}));
    EXPECT_EQ(NewPlaceOfRow(up, 2), 1);  // the focused row moved with its line
    EXPECT_EQ(NewPlaceOfRow(up, 0), 2);  // the row above the block ends below it
    EXPECT_EQ(NewPlaceOfRow(up, 4), 4);

    const RowOrder down = MoveSelectedRowsDown(selected);
    EXPECT_EQ(ApplyRowOrder(down, selected), (std::vector<bool>{false, false, true, true, false}));
    EXPECT_EQ(NewPlaceOfRow(down, 3), 1);
    EXPECT_EQ(NewPlaceOfRow(RowOrder{}, 3), 3);
}
