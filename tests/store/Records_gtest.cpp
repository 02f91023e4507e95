// Records, the two buffers and their conversion to and from tagged lines.
#include <gtest/gtest.h>

#include "platform/Convert.h"
#include "store/Db_sqlite.h"
#include "store/Funcs.h"
#include "tests/store/TestSupport.h"

using namespace storetest;

namespace {

class RecordsTest : public StoreTest {
protected:
    SQLiteClass store{"unused.db"};  // the buffer operations never touch the connection
};

std::vector<std::vector<std::string>> Dump(const std::vector<LinkItem>& items)
{
    std::vector<std::vector<std::string>> out;
    for (const auto& l : items)
        out.push_back({std::to_string(l.id), std::to_string(l.catId), std::to_string(l.pos), l.link, l.descr});
    return out;
}

std::vector<std::vector<std::string>> Dump(const std::vector<CatItem>& items)
{
    std::vector<std::vector<std::string>> out;
    for (const auto& c : items)
        out.push_back({std::to_string(c.id), std::to_string(c.pos), c.name, c.descr});
    return out;
}

}  // namespace

TEST_F(RecordsTest, CategoryLinesRoundTrip)
{
    store.ParseCategoryLines({"<i>12</i><p>3</p><n>Praca</n><d></d>", CategoryLine(-1, 0, "a</n>b", "c</d><d>")});
    EXPECT_EQ(Dump(CatItems),
              (std::vector<std::vector<std::string>>{{"12", "3", "Praca", ""}, {"-1", "0", "a</n>b", "c</d><d>"}}));
    std::vector<std::string> out = {"kept"};
    store.CategoriesToLines(out);
    EXPECT_EQ(out,
              (std::vector<std::string>{"kept", "<i>12</i><p>3</p><n>Praca</n><d></d>",
                                        "<i>-1</i><p>0</p><n>a&lt;/n>b</n><d>c&lt;/d>&lt;d></d>"}));
}

TEST_F(RecordsTest, LinkLinesRoundTrip)
{
    const std::string tricky = "x</l><d>&lt;&</d>";
    store.ParseLinkLines({LinkLine(-1, 0, 4, "http://a.pl/?a=1&b=2", ""), LinkLine(7, 3, 0, tricky, tricky)});
    EXPECT_EQ(Dump(LinkItems),
              (std::vector<std::vector<std::string>>{{"-1", "0", "4", "http://a.pl/?a=1&b=2", ""},
                                                     {"7", "3", "0", tricky, tricky}}));
    std::vector<std::string> out;
    store.LinksToLines(out);
    EXPECT_EQ(out,
              (std::vector<std::string>{"<i>-1</i><c>0</c><p>4</p><l>http://a.pl/?a=1&amp;b=2</l><d></d>",
                                        LinkLine(7, 3, 0, tricky, tricky)}));
}

TEST_F(RecordsTest, ParseLinkLinesAcceptsSearchResultLines)
{
    store.ParseLinkLines({"<j>4</j><k>Praca</k>" + LinkLine(7, 4, 2, "x", "y")});
    EXPECT_EQ(Dump(LinkItems), (std::vector<std::vector<std::string>>{{"7", "4", "2", "x", "y"}}));
}

TEST_F(RecordsTest, NonNumericFieldRaisesAndKeepsEarlierRecords)
{
    const std::vector<std::string> badLinks[] = {
        {LinkLine(1, 1, 0, "a", ""), "<i>2</i><c>1</c><l>b</l><d></d>", LinkLine(3, 1, 0, "c", "")},  // <p> missing
        {LinkLine(1, 1, 0, "a", ""), "<i>2</i><c>x</c><p>1</p><l>b</l><d></d>", LinkLine(3, 1, 0, "c", "")},
        {LinkLine(1, 1, 0, "a", ""), "<i>2.5</i><c>1</c><p>1</p><l>b</l><d></d>", LinkLine(3, 1, 0, "c", "")},
    };
    for (const auto& lines : badLinks) {
        SCOPED_TRACE(lines[1]);
        store.ClearBuffers();
        EXPECT_THROW(store.ParseLinkLines(lines), EConvertError);
        ASSERT_EQ(LinkItems.size(), 1u);
        EXPECT_EQ(LinkItems[0].link, "a");
    }
    store.ClearBuffers();
    EXPECT_THROW(store.ParseCategoryLines({CategoryLine(1, 0, "a", ""), "<i>2</i><p></p><n>b</n><d></d>"}),
                 EConvertError);
    EXPECT_EQ(CatItems.size(), 1u);
}

TEST_F(RecordsTest, SearchResultLinesCarryTheFirstMatchingCategory)
{
    CatItems = {CatItem(4, 0, "Praca <i>&", "x"), CatItem(4, 1, "Druga", ""), CatItem(5, 2, "Inna", "")};
    LinkItems = {LinkItem(1, 4, 0, "a", "b"), LinkItem(2, 0, 1, "c", ""), LinkItem(3, 9, 0, "d", "")};
    std::vector<std::string> out;
    store.LinksWithCategoryToLines(out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], "<j>4</j><k>Praca &lt;i>&amp;</k>" + LinkLine(1, 4, 0, "a", "b"));
    EXPECT_EQ(out[1], LinkLine(2, 0, 1, "c", ""));
    EXPECT_EQ(out[2], LinkLine(3, 9, 0, "d", ""));
    EXPECT_EQ(GetTagValue(out[0], "<k>"), "Praca <i>&");
    EXPECT_EQ(GetTagValue(out[0], "<i>"), "1");
}

TEST_F(RecordsTest, AddUncategorisedAppendsItsRecord)
{
    CatItems = {CatItem(3, 0, "A", "")};
    store.AddUncategorised();
    EXPECT_EQ(
        Dump(CatItems),
        (std::vector<std::vector<std::string>>{{"3", "0", "A", ""}, {"0", "0", "Bez kategorii", "Bez kategorii"}}));
}

TEST_F(RecordsTest, RenumberRecordsOldPositions)
{
    LinkItems = {LinkItem(11, 1, 5, "a", ""), LinkItem(12, 1, 9, "b", ""), LinkItem(13, 1, 2, "c", "")};
    CatItems = {CatItem(3, 7, "x", ""), CatItem(1, -2, "y", "")};
    store.linkOldPos[99] = 1;  // emptied first
    store.Renumber();
    EXPECT_EQ(LinkItems[0].pos, 0);
    EXPECT_EQ(LinkItems[1].pos, 1);
    EXPECT_EQ(LinkItems[2].pos, 2);
    EXPECT_EQ(store.linkOldPos, (std::map<int, int>{{11, 5}, {12, 9}, {13, 2}}));
    EXPECT_EQ(CatItems[0].pos, 0);
    EXPECT_EQ(CatItems[1].pos, 1);
    EXPECT_EQ(store.catOldPos, (std::map<int, int>{{3, 7}, {1, -2}}));
}

TEST_F(RecordsTest, AppendPositionsFollowsTheLargestPosition)
{
    LinkItems = {LinkItem(1, 2, 0, "a", ""), LinkItem(2, 3, 5, "b", ""), LinkItem(3, 0, 1, "c", ""),
                 LinkItem(7, 7, 7, "7", "7")};
    EXPECT_EQ(store.AppendPositions(4), 0);
    EXPECT_EQ(Dump(LinkItems),
              (std::vector<std::vector<std::string>>{
                  {"1", "4", "8", "a", ""}, {"2", "4", "9", "b", ""}, {"3", "4", "10", "c", ""}}));

    LinkItems = {LinkItem(0, 0, 0, "", "")};
    EXPECT_EQ(store.AppendPositions(4), 0);
    EXPECT_TRUE(LinkItems.empty());

    EXPECT_EQ(store.AppendPositions(4), 0);
    EXPECT_TRUE(LinkItems.empty());
}

TEST_F(RecordsTest, ClearBuffersEmptiesBoth)
{
    store.ClearBuffers();
    CatItems = {CatItem(1, 0, "a", "")};
    LinkItems = {LinkItem(1, 0, 0, "a", "")};
    store.ClearBuffers();
    EXPECT_TRUE(CatItems.empty());
    EXPECT_TRUE(LinkItems.empty());
}
