// Tagged-field codec, ReplaceAll, the system folders, EmptyFolder and the
// list-box helpers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/Convert.h"
#include "store/Funcs.h"
#include "tests/store/TestSupport.h"

#include "tests/EnvGuard.h"

namespace fs = std::filesystem;
using namespace storetest;

namespace {

// Every tag text of the line formats, and the entities themselves.
const std::vector<std::string> kTrickyValues = {
    "<i>",        "</i>",
    "<c>",        "</c>",
    "<p>",        "</p>",
    "<l>",        "</l>",
    "<d>",        "</d>",
    "<n>",        "</n>",
    "<j>",        "</j>",
    "<k>",        "</k>",
    "<o>",        "</o>",
    "&lt;",       "&amp;",
    "&",          "<",
    "a&amp;lt;b", "x</l><d>y</d>",
    "</d><d>",    "'quoted' \"double\" >",
    "",
};

}  // namespace

TEST(TagCodec, ReadsFieldsOfPlainLines)
{
    const std::string cat = "<i>0</i><p>0</p><n>Bez kategorii</n><d>Bez kategorii</d>";
    struct Case {
        std::string line, tag, expected;
    } cases[] = {
        {cat, "<n>", "Bez kategorii"},
        {cat, "<p>", "0"},
        {cat, "<x>", ""},                              // tag absent
        {"<i>12", "<i>", ""},                          // closing tag absent
        {"<i></i><p>3</p>", "<i>", ""},                // empty value
        {"</p><p>5</p>", "<p>", ""},                   // a closing tag before the opening one is the one found
        {"<n>a</n>b</n>", "<n>", "a"},                 // cut at the first closing tag
        {"<l>a<d>b</l><d>c</d>", "<d>", "b</l><d>c"},  // unescaped tag text captures the read
        {"<p>1</p><p>2</p>", "<p>", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line + " " + c.tag);
        EXPECT_EQ(GetTagValue(c.line, c.tag), c.expected);
        EXPECT_EQ(GetRawTagValue(c.line, c.tag), c.expected);
    }
}

TEST(TagCodec, GetTagValueUnescapesAndRawDoesNot)
{
    struct Case {
        std::string line, value, raw;
    } cases[] = {
        {"<l>a&amp;b&lt;c></l>", "a&b<c>", "a&amp;b&lt;c>"},
        {"<l>&amp;lt;</l>", "&lt;", "&amp;lt;"},  // one pass: the value was the text "&lt;"
        {"<l>&amp;amp;</l>", "&amp;", "&amp;amp;"},
        {"<l>&lt;/l></l>", "</l>", "&lt;/l>"},
        {"<l>a & b</l>", "a & b", "a & b"},  // a lone ampersand stays
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(GetTagValue(c.line, "<l>"), c.value);
        EXPECT_EQ(GetRawTagValue(c.line, "<l>"), c.raw);
    }
}

TEST(TagCodec, EscapeAndUnescapeAreInverse)
{
    EXPECT_EQ(EscapeTagValue("a&b<c>\"'"), "a&amp;b&lt;c>\"'");
    EXPECT_EQ(EscapeTagValue("&lt;"), "&amp;lt;");
    for (const auto& v : kTrickyValues) {
        SCOPED_TRACE(v);
        const std::string escaped = EscapeTagValue(v);
        EXPECT_EQ(escaped.find('<'), std::string::npos);
        EXPECT_EQ(UnescapeTagValue(escaped), v);
    }
}

TEST(TagCodec, ClosingTagInsertsSlashAfterFirstCharacter)
{
    EXPECT_EQ(ClosingTag("<p>"), "</p>");
    EXPECT_EQ(ClosingTag("<ab>"), "</ab>");
}

TEST(TagCodec, SetTagValueReplacesFirstFieldAndEscapes)
{
    struct Case {
        std::string line, value, tag, expected;
    } cases[] = {
        {"<i>1</i><p>2</p>", "9", "<p>", "<i>1</i><p>9</p>"},
        {"<i>1</i><p>2</p>", "", "<p>", "<i>1</i><p></p>"},
        {"<i>1</i>", "x", "<p>", ""},  // opening tag absent: empty, not the line
        {"<p>1</p><p>2</p>", "3", "<p>", "<p>3</p><p>2</p>"},
        {"<l>a</l><d></d>", "x<d>&", "<l>", "<l>x&lt;d>&amp;</l><d></d>"},
        {"<l>long old text</l><d>z</d>", "n", "<l>", "<l>n</l><d>z</d>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line + " " + c.tag);
        EXPECT_EQ(SetTagValue(c.line, c.value, c.tag), c.expected);
    }
}

TEST(TagCodec, SetTagValueWithoutClosingTagStartsWithOpeningTagAndValue)
{
    const std::string result = SetTagValue("<i>1</i><p>2", "7", "<p>");
    EXPECT_EQ(result.rfind("<i>1</i><p>7", 0), 0u) << result;
}

TEST(TagCodec, BuildersWriteFieldsInOrderAndEscape)
{
    EXPECT_EQ(CategoryLine(12, 3, "Praca", ""), "<i>12</i><p>3</p><n>Praca</n><d></d>");
    EXPECT_EQ(CategoryLine(-1, -1, "Wszystkie", "Wszystkie"), "<i>-1</i><p>-1</p><n>Wszystkie</n><d>Wszystkie</d>");
    EXPECT_EQ(LinkLine(-1, 4, 2, "a<b", "x&y"), "<i>-1</i><c>4</c><p>2</p><l>a&lt;b</l><d>x&amp;y</d>");
    // Escapes at both ends, in either order, past a long run between them.
    const std::string run(40, 'a');
    EXPECT_EQ(LinkLine(1, 0, 0, "<&" + run + "&<", ""),
              "<i>1</i><c>0</c><p>0</p><l>&lt;&amp;" + run + "&amp;&lt;</l><d></d>");
}

TEST(TagCodec, EveryValueRoundTripsThroughBuildersAndSetTagValue)
{
    for (const auto& v : kTrickyValues) {
        SCOPED_TRACE(v);
        const std::string cat = CategoryLine(5, 6, v, v + "!");
        EXPECT_EQ(GetTagValue(cat, "<i>"), "5");
        EXPECT_EQ(GetTagValue(cat, "<p>"), "6");
        EXPECT_EQ(GetTagValue(cat, "<n>"), v);
        EXPECT_EQ(GetTagValue(cat, "<d>"), v + "!");

        const std::string link = LinkLine(7, 8, 9, v, "!" + v);
        EXPECT_EQ(GetTagValue(link, "<i>"), "7");
        EXPECT_EQ(GetTagValue(link, "<c>"), "8");
        EXPECT_EQ(GetTagValue(link, "<p>"), "9");
        EXPECT_EQ(GetTagValue(link, "<l>"), v);
        EXPECT_EQ(GetTagValue(link, "<d>"), "!" + v);

        const std::string changed = SetTagValue(LinkLine(7, 8, 9, "x", "y"), v, "<l>");
        EXPECT_EQ(changed, LinkLine(7, 8, 9, v, "y"));
        EXPECT_EQ(GetTagValue(SetTagValue(changed, v, "<d>"), "<d>"), v);
    }
}

TEST(TagCodec, LongLinesKeepAllFields)
{
    for (size_t length : {32767u, 32768u, 40000u, 65535u, 65536u, 70000u, 140000u}) {
        SCOPED_TRACE(length);
        const std::string text(length, 'x');
        const std::string line = LinkLine(123456, 4, 70001, text, "opis");
        EXPECT_EQ(GetTagValue(line, "<l>"), text);
        EXPECT_EQ(GetTagValue(line, "<d>"), "opis");
        EXPECT_EQ(GetRawTagValue(line, "<d>"), "opis");
        EXPECT_EQ(GetTagValue(line, "<p>"), "70001");
        const std::string changed = SetTagValue(line, "nowy", "<d>");
        EXPECT_EQ(changed, LinkLine(123456, 4, 70001, text, "nowy"));
        EXPECT_EQ(GetTagValue(SetTagValue(line, text + text, "<d>"), "<d>"), text + text);
    }
}

TEST(ReplaceAllTest, Cases)
{
    struct Case {
        std::string text, from, to, expected;
    } cases[] = {
        {"it's a 'x'", "'", "", "its a x"},
        {"abc", "", "x", "abc"},      // empty from is never found
        {"aXa", "a", "aa", "aaXaa"},  // the text put in is not searched again
        {"aaa", "aa", "b", "ba"},     // left to right, no overlap
        {"", "a", "b", ""},
        {"abc", "z", "y", "abc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + "|" + c.from + "|" + c.to);
        EXPECT_EQ(ReplaceAll(c.text, c.from, c.to), c.expected);
    }
}

TEST(ReplaceAllTest, ReplacesOccurrencesBeyondSixteenBitPositions)
{
    std::string text, expected;
    for (int i = 0; i < 10; ++i) {
        text += std::string(9000, 'a') + "'";
        expected += std::string(9000, 'a');
    }
    EXPECT_EQ(ReplaceAll(text, "'", ""), expected);
}

// ---- system folders ----

TEST(SystemFolders, TempDirIsCanonicalTmpdirWithSlash)
{
    TempFolder tmp;
    fs::create_directory(tmp.path() + "real");
    fs::create_directory_symlink(tmp.path() + "real", tmp.path() + "alias");
    const std::string canonicalReal = fs::canonical(tmp.path() + "real").string() + "/";

    {
        EnvGuard env("TMPDIR", tmp.path() + "alias");
        EXPECT_EQ(GetTempDir(), canonicalReal);
    }
    {
        EnvGuard env("TMPDIR", tmp.path() + "real/");
        EXPECT_EQ(GetTempDir(), canonicalReal);
    }
    {
        EnvGuard env("TMPDIR", tmp.path() + "missing");
        EXPECT_EQ(GetTempDir(), "");
        EXPECT_FALSE(PathExists(tmp.path() + "missing"));
    }
    {
        WriteFile(tmp.path() + "file", "x");
        EnvGuard env("TMPDIR", tmp.path() + "file");  // not a folder
        EXPECT_EQ(GetTempDir(), "");
    }
    {
        EnvGuard env("TMPDIR", std::nullopt);
        EXPECT_EQ(GetTempDir(), fs::canonical("/tmp").string() + "/");
    }
}

TEST(SystemFolders, AppDataDirFromXdgOrHome)
{
    TempFolder tmp;
    const std::string home = tmp.path() + "home";
    struct Case {
        std::optional<std::string> xdg, home, expected;
    } cases[] = {
        {tmp.path() + "xdg", home, tmp.path() + "xdg"},
        {tmp.path() + "xdg/", home, tmp.path() + "xdg"},  // never a trailing "/"
        {std::nullopt, home, home + "/.local/share"},
        {std::string(""), home, home + "/.local/share"},  // an empty XDG_DATA_HOME counts as unset
        {std::nullopt, std::nullopt, std::string("")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xdg.value_or("<unset>") + " / " + c.home.value_or("<unset>"));
        EnvGuard xdg("XDG_DATA_HOME", c.xdg);
        EnvGuard homeEnv("HOME", c.home);
        EXPECT_EQ(GetAppDataDir(), *c.expected);
    }
    // Nothing is created on the way.
    EXPECT_FALSE(PathExists(tmp.path() + "xdg"));
    EXPECT_FALSE(PathExists(home));
}

// ---- EmptyFolder ----

class EmptyFolderTest : public ::testing::Test {
protected:
    void File(const std::string& rel, mode_t mode = 0644)
    {
        WriteFile(tmp.path() + rel, "data");
        chmod((tmp.path() + rel).c_str(), mode);
    }
    void Dir(const std::string& rel) { fs::create_directories(tmp.path() + rel); }
    bool Exists(const std::string& rel) { return PathExists(tmp.path() + rel); }
    bool IsEmptyDir(const std::string& rel)
    {
        return fs::is_directory(fs::symlink_status(tmp.path() + rel)) && fs::is_empty(tmp.path() + rel);
    }
    TempFolder tmp;
};

TEST_F(EmptyFolderTest, RemovesNestedTreeWithReadOnlyAndHiddenFiles)
{
    Dir("f/sub/deeper");
    Dir("f/sub/empty");
    Dir("f/.hiddendir");
    File("f/a.txt", 0444);
    File("f/.hidden");
    File("f/sub/b", 0444);
    File("f/sub/deeper/.c", 0400);
    File("f/.hiddendir/d");
    File("f/sub/\xB3\xF3"
         "d\x9F");  // a Windows-1250 name, not UTF-8

    EmptyFolder(tmp.path() + "f/");

    EXPECT_TRUE(IsEmptyDir("f"));
}

TEST_F(EmptyFolderTest, RemovesLinksInsideWithoutFollowingThem)
{
    Dir("f");
    Dir("outside/inner");
    File("outside/keep.txt");
    File("outside/inner/keep2.txt");
    File("target.txt");
    fs::create_directory_symlink(tmp.path() + "outside", tmp.path() + "f/dirlink");
    fs::create_symlink(tmp.path() + "target.txt", tmp.path() + "f/filelink");
    fs::create_symlink(tmp.path() + "nowhere", tmp.path() + "f/broken");

    EmptyFolder(tmp.path() + "f/");

    EXPECT_TRUE(IsEmptyDir("f"));
    EXPECT_TRUE(Exists("outside/keep.txt"));
    EXPECT_TRUE(Exists("outside/inner/keep2.txt"));
    EXPECT_TRUE(Exists("target.txt"));
}

TEST_F(EmptyFolderTest, FolderGivenAsLinkIsRemovedNotFollowed)
{
    Dir("real/sub");
    File("real/keep.txt");
    File("real/sub/keep2.txt");
    fs::create_directory_symlink(tmp.path() + "real", tmp.path() + "alias");

    EmptyFolder(tmp.path() + "alias/");

    EXPECT_FALSE(Exists("alias"));
    EXPECT_TRUE(Exists("real/keep.txt"));
    EXPECT_TRUE(Exists("real/sub/keep2.txt"));
}

TEST_F(EmptyFolderTest, MissingFolderIsLeftAlone)
{
    EXPECT_NO_THROW(EmptyFolder(tmp.path() + "missing/"));
    EXPECT_FALSE(Exists("missing"));
}

// ---- list-box helpers ----

namespace {

// A list box that records how it was changed.
class FakeBox : public ListBoxLines {
public:
    explicit FakeBox(std::vector<std::string> lines = {}) : items(std::move(lines)), selected(items.size(), false) {}

    int Count() const override { return static_cast<int>(items.size()); }
    std::string Item(int index) const override { return items.at(index); }
    void Append(const std::string& line) override
    {
        items.push_back(line);
        selected.push_back(false);
        ++appends;
    }
    void Replace(int index, const std::string& line) override
    {
        items.at(index) = line;
        replaced.push_back(index);
    }
    void DeleteLast() override
    {
        items.pop_back();
        selected.pop_back();
        if (itemIndex >= Count())
            itemIndex = -1;
        ++deletes;
    }
    int ItemIndex() const override { return itemIndex; }
    void SetItemIndex(int index) override { itemIndex = index; }
    bool Selected(int index) const override { return selected.at(index); }
    void SetSelected(int index, bool value) override { selected.at(index) = value; }

    std::vector<int> SelectedRows() const
    {
        std::vector<int> rows;
        for (int i = 0; i < Count(); ++i)
            if (selected[i])
                rows.push_back(i);
        return rows;
    }

    std::vector<std::string> items;
    std::vector<bool> selected;
    int itemIndex = -1;
    int appends = 0;
    int deletes = 0;
    std::vector<int> replaced;
};

std::string L(int id, const std::string& text)
{
    return LinkLine(id, 1, id, text, "");
}

}  // namespace

TEST(MaxPosInListBoxTest, LargestPositionNeverBelowZero)
{
    EXPECT_EQ(MaxPosInListBox(FakeBox()), 0);
    EXPECT_EQ(MaxPosInListBox(FakeBox({CategoryLine(-1, -1, "Wszystkie", "Wszystkie")})), 0);
    EXPECT_EQ(
        MaxPosInListBox(FakeBox({LinkLine(1, 1, 3, "a", ""), LinkLine(2, 1, 7, "b", ""), LinkLine(3, 1, 2, "c", "")})),
        7);
    EXPECT_THROW(MaxPosInListBox(FakeBox({LinkLine(1, 1, 3, "a", ""), "<i>2</i><p>x</p>"})), EConvertError);
}

TEST(SyncListBoxLinesTest, RewritesOnlyWhatDiffers)
{
    FakeBox box({L(1, "a"), L(2, "b"), L(3, "c"), L(4, "d"), L(5, "e")});
    box.selected = {true, true, true, true, true};
    const std::vector<std::string> lines = {L(1, "a"), L(2, "B"), L(3, "c")};

    SyncListBoxLines(box, lines, 3);

    EXPECT_EQ(box.items, lines);
    EXPECT_EQ(box.deletes, 2);
    EXPECT_EQ(box.appends, 0);
    EXPECT_EQ(box.replaced, std::vector<int>{1});
    EXPECT_EQ(box.ItemIndex(), 2);
    EXPECT_EQ(box.SelectedRows(), std::vector<int>{2});
}

TEST(SyncListBoxLinesTest, ChoosesTheRowToSelect)
{
    const std::vector<std::string> lines = {L(10, "a"), L(20, "b"), L(10, "c"), L(30, "d")};
    struct Case {
        int selectId, row;
    } cases[] = {
        {-1, 3},  // the last line
        {20, 1},
        {10, 2},  // the later of two lines with that id
        {99, 0},  // no line carries it: the first
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selectId);
        FakeBox box;
        SyncListBoxLines(box, lines, c.selectId);
        EXPECT_EQ(box.items, lines);
        EXPECT_EQ(box.appends, 4);
        EXPECT_EQ(box.ItemIndex(), c.row);
        EXPECT_EQ(box.SelectedRows(), std::vector<int>{c.row});
    }
}

TEST(SyncListBoxLinesTest, NoLinesEmptiesTheBox)
{
    FakeBox box({L(1, "a"), L(2, "b")});
    box.selected = {false, true};
    box.itemIndex = 1;
    SyncListBoxLines(box, {}, -1);
    EXPECT_EQ(box.Count(), 0);
    EXPECT_TRUE(box.SelectedRows().empty());
}

TEST(SyncListBoxLinesTest, NonNumericIdRaisesConversionError)
{
    FakeBox box;
    EXPECT_THROW(SyncListBoxLines(box, {L(1, "a"), "<i>x</i><p>1</p>"}, 1), EConvertError);
}

TEST(SyncSelectionRowTest, PicksTheRowSyncListBoxLinesSelects)
{
    const std::vector<std::string> lines = {L(10, "a"), L(-1, "b"), L(10, "c"), L(30, "d"),
                                            // ids read through the general conversion
                                            "<x>0</x><i>77</i>", "<i>0x1F</i>", "<i>007</i>", "<i>1234567890</i>"};
    struct Case {
        int selectId, row;
    } cases[] = {
        {10, 2}, {-1, 7}, {1234567890, 7}, {30, 3}, {77, 4}, {31, 5}, {7, 6}, {99, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selectId);
        EXPECT_EQ(SyncSelectionRow(lines, c.selectId), c.row);
        FakeBox box;
        SyncListBoxLines(box, lines, c.selectId);
        EXPECT_EQ(box.ItemIndex(), c.row);
    }
    EXPECT_EQ(SyncSelectionRow({}, -1), 0);
    EXPECT_EQ(SyncSelectionRow({L(-1, "a"), L(5, "b")}, -1), 1);
    EXPECT_THROW(SyncSelectionRow({L(1, "a"), "<i>x</i><p>1</p>"}, 1), EConvertError);
    EXPECT_THROW(SyncSelectionRow({L(1, "a"), "<i>12</i"}, 1), EConvertError);
}
