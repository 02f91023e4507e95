// The catalogue's LIKE: program text compared byte by byte, Windows-1250
// case folded only when asked, "%" and "_" as wildcards; alone and as the
// LIKE of SQLiteClass::SearchLinks on a real catalogue file.
#include <gtest/gtest.h>

#include <memory>

#include "store/Db_sqlite.h"
#include "store/Like.h"
#include "tests/store/TestSupport.h"

using namespace storetest;

TEST(LikeMatches, Table)
{
    struct Case {
        const char* pattern;
        const char* text;
        bool ignoreCase, expected;
    } cases[] = {
        {"%%", "", false, true},
        {"%%", "anything", false, true},
        {"", "", false, true},
        {"", "a", false, false},
        {"abc", "abc", false, true},
        {"abc", "abcd", false, false},  // the whole text must match
        {"a_c", "abc", false, true},
        {"a_c", "ac", false, false},  // "_" is exactly one character
        {"a%c", "ac", false, true},   // "%" may be empty
        {"%a%b%c%", "xxaxxbxxcxx", false, true},
        {"%ab_d%", "abab_abcd", false, true},  // needs the way back after a false start
        {"%aab%", "aaab", false, true},
        {"%abc", "abcabd", false, false},
        {"%HTTP%", "http://x", false, false},  // ASCII case counts unless ignored
        {"%HTTP%", "http://x", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " / " + c.text);
        EXPECT_EQ(LikeMatches(c.pattern, c.text, c.ignoreCase), c.expected);
    }
}

TEST(LikeMatches, PolishLettersAreSingleBytesFoldedThroughTheCodePage)
{
    const std::string lodzSmall = Cp1250("łódź"), lodzCaps = Cp1250("ŁÓDŹ"), lodzTitle = Cp1250("Łódź");
    EXPECT_TRUE(LikeMatches("%" + lodzSmall + "%", "x" + lodzCaps + "y", true));
    EXPECT_TRUE(LikeMatches("%" + lodzSmall + "%", lodzTitle, true));
    EXPECT_FALSE(LikeMatches("%" + lodzSmall + "%", lodzCaps, false));
    EXPECT_FALSE(LikeMatches("%" + lodzSmall + "%", lodzTitle, false));
    EXPECT_TRUE(LikeMatches("%" + lodzSmall + "%", lodzSmall, false));
    // Every byte is a character of its own: "ó" and "ł" never merge.
    EXPECT_TRUE(LikeMatches("%" + Cp1250("ł") + "%", Cp1250("stół"), false));
    EXPECT_TRUE(LikeMatches(Cp1250("st_ł"), Cp1250("stół"), false));
    EXPECT_FALSE(LikeMatches(Cp1250("st_"), Cp1250("stół"), false));
    EXPECT_FALSE(LikeMatches("%" + Cp1250("ó") + "%", Cp1250("ę"), false));
    EXPECT_FALSE(LikeMatches("%" + Cp1250("ó") + "%", Cp1250("Ó"), false));
    EXPECT_TRUE(LikeMatches("%" + Cp1250("ó") + "%", Cp1250("Ó"), true));
    EXPECT_FALSE(LikeMatches("%" + Cp1250("ó") + "%", Cp1250("ę"), true));
    // A byte that is no letter stays itself.
    EXPECT_FALSE(LikeMatches("%\xd7%", "\xf7", true));  // × is not ÷
}

namespace {

class SearchMatchingTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        Seed("insert into CATEGS values(1,1,'Praca','');");
        const char* links[] = {"łódź", "ŁÓDŹ", "Łódź", "http://x", "stół", "ę", "Ó", "abc", "100% a_b"};
        int id = 1;
        for (const char* link : links)
            X("insert into LINKS values(" + std::to_string(id++) + ",1,0," + Quote(Cp1250(link)) + ",'')");
        s = std::make_unique<SQLiteClass>(db);
        ASSERT_EQ(s->Open(), 0);
    }
    void TearDown() override
    {
        if (s->IsOpen())
            s->Close();
        StoreTest::TearDown();
    }

    std::vector<int> Found(const std::string& utf8, int flags)
    {
        LinkItems.clear();
        EXPECT_EQ(s->SearchLinks(Cp1250(utf8), flags, -1), 0);
        std::vector<int> ids;
        for (const auto& l : LinkItems)
            ids.push_back(l.id);
        return ids;
    }

    std::unique_ptr<SQLiteClass> s;
};

}  // namespace

TEST_F(SearchMatchingTest, MatchesProgramTextByteByByte)
{
    constexpr int exact = SearchFlagLinks, folded = SearchFlagLinks | SearchFlagNoCase;
    struct Case {
        const char* text;
        int flags;
        std::vector<int> ids;
    } cases[] = {
        {"łódź", folded, {1, 2, 3}},
        {"łódź", exact, {1}},
        {"ŁÓDŹ", exact, {2}},
        {"HTTP", exact, {}},
        {"http", exact, {4}},
        {"ł", exact, {1, 5}},  // the ł of "stół" is found; it is not merged with ó
        {"ó", exact, {1, 3, 5}},
        {"ó", folded, {1, 2, 3, 5, 7}},
        {"a_c", exact, {8}},
        {"st_ł", exact, {5}},
        {"%", exact, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"0% a", exact, {9}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " flags " + std::to_string(c.flags));
        EXPECT_EQ(Found(c.text, c.flags), c.ids);
    }
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(SearchMatchingTest, CaseIsDecidedPerSearchOnOneConnection)
{
    EXPECT_EQ(Found("ŁÓDŹ", SearchFlagLinks | SearchFlagNoCase), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Found("ŁÓDŹ", SearchFlagLinks), (std::vector<int>{2}));
}

TEST_F(SearchMatchingTest, NullTextsMatchNothing)
{
    X("insert into LINKS values(20,1,0,NULL,NULL)");
    LinkItems.clear();
    ASSERT_EQ(s->SearchLinks("", SearchFlagLinks | SearchFlagDescriptions, -1), 0);
    for (const auto& l : LinkItems)
        EXPECT_NE(l.id, 20);
    EXPECT_EQ(LinkItems.size(), 18u);
}
