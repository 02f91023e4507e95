// The store facade: one call per catalogue operation, each with its own
// connection and a result code.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <set>
#include <sstream>

#include "platform/Convert.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "tests/CatalogueFaults.h"
#include "tests/store/TestSupport.h"

using namespace storetest;

namespace {

std::string C(int id, int pos, const std::string& name, const std::string& descr = "")
{
    return CategoryLine(id, pos, name, descr);
}

std::string L(int id, int catId, int pos, const std::string& link, const std::string& descr = "")
{
    return LinkLine(id, catId, pos, link, descr);
}

// Categories Praca (1), Dom (2) and Gry (3); links zeta and alfa in Praca, beta
// in Dom at position 7, an uncategorised link.
const char* const kSeed = "insert into CATEGS values(1,0,'Praca','p'); insert into CATEGS values(2,1,'Dom','d');"
                          "insert into CATEGS values(3,2,'Gry','g');"
                          "insert into LINKS values(1,1,0,'zeta','d1'); insert into LINKS values(2,1,1,'alfa','d2');"
                          "insert into LINKS values(3,2,7,'beta',''); insert into LINKS values(4,0,0,'u1','ud');";

class FacadeTest : public StoreTest {
protected:
    // After every facade call: no connection of it is left.
    void ExpectClosed() const
    {
        EXPECT_EQ(OpenHandles(db), 0);
        EXPECT_TRUE(CanWrite(db));
    }
};

struct Call {
    const char* name;
    std::function<int()> run;
};

// When another program lets go of its lock in the tests of a lock released
// within the wait; they wait ten times as long.
constexpr std::chrono::milliseconds kReleasedWithin{100};

}  // namespace

TEST_F(FacadeTest, AnyCallCreatesAMissingCatalogue)
{
    Lines out;
    EXPECT_EQ(DbGetCategories(dir, out), DbOk);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(Q("select name from sqlite_master order by name"), (Rows{{"CATEGS"}, {"DB_VER"}, {"LINKS"}}));
    ExpectClosed();

    TempFolder other;
    EXPECT_EQ(DbInit(other.path()), DbOk);
    EXPECT_EQ(Sql(other.path() + "dovra.db", "select count(*) from sqlite_master"), (Rows{{"3"}}));
    EXPECT_EQ(OpenHandles(other.path() + "dovra.db"), 0);

    // Folder names are native bytes, whatever they hold.
    const std::string odd = other.path() + "Katalog łódź 'x' & y/";
    MakeFiles(odd, {});
    EXPECT_EQ(DbAddCategories(odd, {C(-1, 0, "A")}), DbOk);
    EXPECT_EQ(Sql(odd + "dovra.db", "select NAME from CATEGS"), (Rows{{"A"}}));
}

TEST_F(FacadeTest, CheckVersionRewritesOnlyAZeroVersion)
{
    struct Case {
        const char* setup;
        Rows after;
    } cases[] = {
        {"", {}},  // a new catalogue gets no row
        {"insert into DB_VER values(1,0)", {{"1", "1"}}},
        {"insert into DB_VER values(1,NULL)", {{"1", "1"}}},
        {"insert into DB_VER values(1,'x')", {{"1", "1"}}},
        {"insert into DB_VER values(1,2)", {{"1", "2"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setup);
        X("DROP TABLE IF EXISTS DB_VER");
        Seed(c.setup);
        EXPECT_EQ(DbCheckVersion(dir), DbOk);
        EXPECT_EQ(Q("select * from DB_VER"), c.after);
        ExpectClosed();
    }
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(FacadeTest, ListsCategoriesAndLinksAsLines)
{
    Seed(kSeed);
    Lines cats = {"kept"};
    ASSERT_EQ(DbGetCategories(dir, cats), DbOk);
    EXPECT_EQ(cats, (Lines{"kept", C(1, 0, "Praca", "p"), C(2, 1, "Dom", "d"), C(3, 2, "Gry", "g")}));

    Lines links;
    ASSERT_EQ(DbGetLinks(dir, links, 1), DbOk);
    EXPECT_EQ(links, (Lines{L(1, 1, 0, "zeta", "d1"), L(2, 1, 1, "alfa", "d2")}));
    links.clear();
    ASSERT_EQ(DbGetLinks(dir, links, -1), DbOk);
    EXPECT_EQ(links.size(), 4u);
    ExpectClosed();
}

// Numbers stored as integers beyond int, as reals or as texts, and texts
// stored as blobs or with a NUL byte, read into lines as they always were.
TEST_F(FacadeTest, LinkLinesReadWhatTheColumnsHoldAsBefore)
{
    Seed("insert into LINKS values(1,'7',1.0,x'626c006f62','t'||char(0)||'ail');"
         "insert into LINKS values(2,9999999999,-5,'q','r');"
         "insert into LINKS values(3,2147483647,-2147483648,'m','n');"
         "insert into LINKS values(4,2147483648,1e20,'o','p');"
         "insert into LINKS values(5,-1000000000,999999999,'','');"
         "insert into LINKS values(6,1000000000,-999999999,'0x1F','z');"
         "insert into LINKS values(7,'12abc',' 3','',NULL);");
    Lines links;
    ASSERT_EQ(DbGetLinks(dir, links, -1), DbOk);
    EXPECT_EQ(links,
              (Lines{L(3, 2147483647, -2147483648, "m", "n"), L(6, 1000000000, -999999999, "0x1F", "z"),
                     L(2, 0, -5, "q", "r"), L(1, 7, 1, "bl", "t"), L(7, 0, 3, ""), L(5, -1000000000, 999999999, ""),
                     L(4, 0, 0, "o", "p")}));
    ExpectClosed();
}

// The links come back as lines in position order, ties in the order the
// table holds them, whatever the ids and whatever the columns hold; they are
// appended to what the caller's list already has.
TEST_F(FacadeTest, LinkLinesFollowPositionsWhateverTheIds)
{
    Seed("insert into LINKS values(2147483647,1,2,'wielki','d');"
         "insert into LINKS values(5,1,1,'a&b<c','x');"
         "insert into LINKS values(6,1,1,'druga','y');"
         "insert into LINKS values(9,2,NULL,NULL,NULL);"
         "insert into LINKS values(3,1,'7x','tekst','');");
    Lines links = {"kept"};
    ASSERT_EQ(DbGetLinks(dir, links, 1), DbOk);
    EXPECT_EQ(links,
              (Lines{"kept", L(5, 1, 1, "a&b<c", "x"), L(6, 1, 1, "druga", "y"), L(2147483647, 1, 2, "wielki", "d"),
                     L(3, 1, 0, "tekst")}));
    links.clear();
    ASSERT_EQ(DbGetLinks(dir, links, -1), DbOk);
    EXPECT_EQ(links,
              (Lines{L(9, 2, 0, ""), L(5, 1, 1, "a&b<c", "x"), L(6, 1, 1, "druga", "y"),
                     L(2147483647, 1, 2, "wielki", "d"), L(3, 1, 0, "tekst")}));
    ExpectClosed();
}

TEST_F(FacadeTest, WritesStoreWhatTheLinesSay)
{
    Seed(kSeed);
    // Insert: the line's id is ignored, the rest stored.
    ASSERT_EQ(DbInsertLinks(dir, {L(-1, 3, 4, "new", "nd"), L(2, 3, 5, "it's", "")}), DbOk);
    EXPECT_EQ(Q("select ID, CAT_ID, POS, LINK, DESCR from LINKS where ID > 4"),
              (Rows{{"5", "3", "4", "new", "nd"}, {"6", "3", "5", "it's", ""}}));
    // Update: only the texts.
    ASSERT_EQ(DbUpdateLinks(dir, {L(5, 9, 9, "changed", "cd")}), DbOk);
    EXPECT_EQ(Q("select CAT_ID, POS, LINK, DESCR from LINKS where ID = 5"), (Rows{{"3", "4", "changed", "cd"}}));
    ASSERT_EQ(DbDeleteLinks(dir, {L(5, 0, 0, ""), L(6, 0, 0, "")}), DbOk);
    EXPECT_EQ(Q("select count(*) from LINKS where ID > 4"), (Rows{{"0"}}));

    ASSERT_EQ(DbAddCategories(dir, {C(-1, 9, "Nowa", "n")}), DbOk);
    EXPECT_EQ(Q("select ID, POS, NAME, DESCR from CATEGS where ID = 4"), (Rows{{"4", "9", "Nowa", "n"}}));
    ASSERT_EQ(DbUpdateCategories(dir, {C(4, 0, "Inna", "i")}), DbOk);
    EXPECT_EQ(Q("select ID, POS, NAME, DESCR from CATEGS where ID = 4"), (Rows{{"4", "9", "Inna", "i"}}));
    // Deleting a category takes its links along.
    ASSERT_EQ(DbDeleteCategories(dir, {C(1, 0, "")}), DbOk);
    EXPECT_EQ(Q("select ID from CATEGS order by ID"), (Rows{{"2"}, {"3"}, {"4"}}));
    EXPECT_EQ(Q("select ID from LINKS order by ID"), (Rows{{"3"}, {"4"}}));
    ExpectClosed();
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(FacadeTest, AddLinksAppendAfterTheLargestPosition)
{
    Seed(kSeed);
    ASSERT_EQ(DbAddLinks(dir, {L(-1, 0, 50, "n1"), L(-1, 1, 60, "n2")}, 3), DbOk);  // empty category
    ASSERT_EQ(DbAddLinks(dir, {L(-1, 0, 0, "m1"), L(-1, 0, 0, "m2")}, 2), DbOk);    // largest position 7
    EXPECT_EQ(Q("select CAT_ID, POS, LINK from LINKS where ID > 4 order by ID"),
              (Rows{{"3", "1", "n1"}, {"3", "2", "n2"}, {"2", "8", "m1"}, {"2", "9", "m2"}}));
    ExpectClosed();
}

TEST_F(FacadeTest, MoveLinksGoAfterTheTargetsLargestPosition)
{
    Seed(kSeed);
    ASSERT_EQ(DbMoveLinks(dir, {L(2, 1, 1, "alfa"), L(1, 1, 0, "zeta")}, 2), DbOk);
    EXPECT_EQ(Q("select ID, CAT_ID, POS, LINK from LINKS order by ID"),
              (Rows{{"1", "2", "9", "zeta"}, {"2", "2", "8", "alfa"}, {"3", "2", "7", "beta"}, {"4", "0", "0", "u1"}}));
    ExpectClosed();
}

TEST_F(FacadeTest, OrdersAreSaved)
{
    Seed(kSeed);
    X("CREATE TABLE written(T, ID);"
      "CREATE TRIGGER lc AFTER UPDATE ON CATEGS BEGIN INSERT INTO written VALUES('C', NEW.ID); END;"
      "CREATE TRIGGER ll AFTER UPDATE ON LINKS BEGIN INSERT INTO written VALUES('L', NEW.ID); END;");

    // Category order: positions 0, 1, 2 in line order, every row written,
    // Praca too, whose position stays 0.
    ASSERT_EQ(DbSaveCategoryOrder(dir, {C(1, 7, "Praca"), C(3, 2, "Gry"), C(2, 5, "Dom")}), DbOk);
    EXPECT_EQ(Q("select ID, POS from CATEGS order by ID"), (Rows{{"1", "0"}, {"2", "2"}, {"3", "1"}}));
    EXPECT_EQ(Q("select ID from written where T='C' order by ID"), (Rows{{"1"}, {"2"}, {"3"}}));

    // Link order: category and position of each line.
    ASSERT_EQ(DbSaveLinkOrder(dir, {L(3, 1, 5, "beta")}), DbOk);
    EXPECT_EQ(Q("select CAT_ID, POS from LINKS where ID = 3"), (Rows{{"1", "5"}}));
    EXPECT_EQ(DbSaveLinkOrder(dir, {}), DbOk);

    ExpectClosed();
}

TEST_F(FacadeTest, SortByNameWritesOnlyChangedPositions)
{
    Seed(kSeed);
    X("update LINKS set POS = 2 where ID = 1; insert into LINKS values(5,1,0,'Beta','');"
      "CREATE TABLE written(ID); CREATE TRIGGER ll AFTER UPDATE ON LINKS BEGIN INSERT INTO written VALUES(NEW.ID); END;");
    // alfa 1 -> 0, Beta 0 -> 1, zeta stays at 2.
    ASSERT_EQ(DbSortLinksByName(dir, 1), DbOk);
    EXPECT_EQ(Q("select LINK, POS from LINKS where CAT_ID = 1 order by POS"),
              (Rows{{"alfa", "0"}, {"Beta", "1"}, {"zeta", "2"}}));
    EXPECT_EQ(Q("select ID from written order by ID"), (Rows{{"2"}, {"5"}}));
    EXPECT_EQ(Q("select POS from LINKS where CAT_ID <> 1 order by ID"), (Rows{{"7"}, {"0"}}));

    X("DELETE FROM written");
    ASSERT_EQ(DbSortLinksByName(dir, 1), DbOk);  // already sorted: nothing to write
    EXPECT_EQ(Q("select count(*) from written"), (Rows{{"0"}}));

    // A negative id sorts the whole catalogue as one list.
    ASSERT_EQ(DbSortLinksByName(dir, -1), DbOk);
    EXPECT_EQ(Q("select lower(LINK), POS from LINKS order by POS"),
              (Rows{{"alfa", "0"}, {"beta", "1"}, {"beta", "2"}, {"u1", "3"}, {"zeta", "4"}}));
    ExpectClosed();
}

TEST_F(FacadeTest, SearchLinesCarryTheCategoryOfStoredCategories)
{
    Seed(kSeed);
    X("insert into LINKS values(5,42,0,'orphan beta','')");  // its category no longer exists
    Lines out;
    ASSERT_EQ(DbSearchLinks(dir, "beta", out, SearchFlagLinks, -1), DbOk);
    EXPECT_EQ(out, (Lines{"<j>2</j><k>Dom</k>" + L(3, 2, 7, "beta"), L(5, 42, 0, "orphan beta")}));
    out.clear();
    ASSERT_EQ(DbSearchLinks(dir, "u", out, SearchFlagDescriptions, -1), DbOk);
    EXPECT_EQ(out, (Lines{L(4, 0, 0, "u1", "ud")}));  // uncategorised: no prefix
    ExpectClosed();
}

// Values are escaped in lines and raw in the database; every text of the line
// formats comes back unchanged through every path.
TEST_F(FacadeTest, TaggedTextsRoundTripThroughTheStore)
{
    const std::vector<std::string> values = {
        "<i>",  "</i>", "<c>",  "</c>",  "<p>",  "</p>",          "<l>",
        "</l>", "<d>",  "</d>", "<n>",   "</n>", "<j>",           "</j>",
        "<k>",  "</k>", "&lt;", "&amp;", "&",    "x</l><d>y</d>", "it's \"q\" <b>&",
    };
    Lines catLines;
    for (size_t i = 0; i < values.size(); ++i)
        catLines.push_back(C(-1, static_cast<int>(i), values[i], "d" + values[i]));
    ASSERT_EQ(DbAddCategories(dir, catLines), DbOk);
    const Rows stored = Q("select ID, NAME, DESCR from CATEGS order by ID");
    ASSERT_EQ(stored.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(stored[i][1], values[i]);
        EXPECT_EQ(stored[i][2], "d" + values[i]);
    }

    Lines cats;
    ASSERT_EQ(DbGetCategories(dir, cats), DbOk);
    ASSERT_EQ(cats.size(), values.size());
    Lines linkLines, updates;
    for (size_t i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(values[i]);
        EXPECT_EQ(GetTagValue(cats[i], "<i>"), stored[i][0]);
        EXPECT_EQ(GetTagValue(cats[i], "<p>"), std::to_string(i));
        EXPECT_EQ(GetTagValue(cats[i], "<n>"), values[i]);
        EXPECT_EQ(GetTagValue(cats[i], "<d>"), "d" + values[i]);
        const int catId = std::stoi(stored[i][0]);
        linkLines.push_back(L(-1, catId, 0, values[i], values[i] + "d"));
        updates.push_back(SetTagValue(cats[i], values[i] + "!", "<n>"));
    }
    ASSERT_EQ(DbUpdateCategories(dir, updates), DbOk);
    EXPECT_EQ(Q("select NAME from CATEGS where ID = " + stored[0][0]), (Rows{{values[0] + "!"}}));

    ASSERT_EQ(DbInsertLinks(dir, linkLines), DbOk);
    EXPECT_EQ(Q("select LINK, DESCR from LINKS where ID = 1"), (Rows{{values[0], values[0] + "d"}}));

    Lines links;
    ASSERT_EQ(DbGetLinks(dir, links, -1), DbOk);
    ASSERT_EQ(links.size(), values.size());
    for (const auto& line : links) {
        const int id = StrToInt(GetTagValue(line, "<i>"));
        ASSERT_GE(id, 1);
        const std::string& v = values.at(id - 1);
        SCOPED_TRACE(v);
        EXPECT_EQ(GetTagValue(line, "<l>"), v);
        EXPECT_EQ(GetTagValue(line, "<d>"), v + "d");
        EXPECT_EQ(GetTagValue(line, "<c>"), stored.at(id - 1)[0]);
    }

    // Edited lines go back through SetTagValue.
    Lines edited;
    for (const auto& line : links)
        edited.push_back(SetTagValue(SetTagValue(line, GetTagValue(line, "<l>") + "<l>", "<l>"), "&amp;", "<d>"));
    ASSERT_EQ(DbUpdateLinks(dir, edited), DbOk);
    EXPECT_EQ(Q("select LINK, DESCR from LINKS where ID = 2"), (Rows{{values[1] + "<l>", "&amp;"}}));

    Lines found;
    ASSERT_EQ(DbSearchLinks(dir, "", found, SearchFlagLinks, -1), DbOk);
    ASSERT_EQ(found.size(), values.size());
    for (const auto& line : found) {
        const int id = StrToInt(GetTagValue(line, "<i>"));
        const std::string& v = values.at(id - 1);
        SCOPED_TRACE(v);
        EXPECT_EQ(GetTagValue(line, "<j>"), stored.at(id - 1)[0]);
        EXPECT_EQ(GetTagValue(line, "<k>"), v + "!");
        EXPECT_EQ(GetTagValue(line, "<l>"), v + "<l>");
        EXPECT_EQ(GetTagValue(line, "<d>"), "&amp;");
    }
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(FacadeTest, Windows1250TextIsStoredUnconverted)
{
    const std::string lodz = Cp1250("łódź");
    ASSERT_EQ(lodz, "\xB3\xF3\x64\x9F");
    ASSERT_EQ(DbAddCategories(dir, {C(-1, 0, Cp1250("Zażółć gęślą jaźń"), Cp1250("Ósme"))}), DbOk);
    ASSERT_EQ(DbInsertLinks(dir, {L(-1, 1, 0, lodz, Cp1250("ŁÓDŹ"))}), DbOk);
    EXPECT_EQ(Q("select hex(LINK), hex(DESCR), typeof(LINK) from LINKS"), (Rows{{"B3F3649F", "A3D3448F", "text"}}));
    EXPECT_EQ(Q("select NAME from CATEGS"), (Rows{{Cp1250("Zażółć gęślą jaźń")}}));

    Lines links;
    ASSERT_EQ(DbGetLinks(dir, links, 1), DbOk);
    EXPECT_EQ(links, (Lines{L(1, 1, 0, lodz, Cp1250("ŁÓDŹ"))}));
    Lines found;
    ASSERT_EQ(DbSearchLinks(dir, Cp1250("ódź"), found, SearchFlagLinks, -1), DbOk);
    EXPECT_EQ(found.size(), 1u);
}

TEST_F(FacadeTest, LongTextsKeepEveryField)
{
    const std::string link(70000, 'l');
    const std::string descr(40000, 'd');
    const std::string name(66000, 'n');
    ASSERT_EQ(DbAddCategories(dir, {C(-1, 70000, name, descr)}), DbOk);
    ASSERT_EQ(DbInsertLinks(dir, {L(-1, 1, 65536, link, descr)}), DbOk);
    EXPECT_EQ(Q("select length(LINK), length(DESCR), POS from LINKS"), (Rows{{"70000", "40000", "65536"}}));

    Lines cats, links;
    ASSERT_EQ(DbGetCategories(dir, cats), DbOk);
    ASSERT_EQ(DbGetLinks(dir, links, 1), DbOk);
    ASSERT_EQ(cats.size(), 1u);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(GetTagValue(cats[0], "<n>"), name);
    EXPECT_EQ(GetTagValue(cats[0], "<d>"), descr);
    EXPECT_EQ(GetTagValue(cats[0], "<p>"), "70000");
    EXPECT_EQ(GetTagValue(links[0], "<l>"), link);
    EXPECT_EQ(GetTagValue(links[0], "<d>"), descr);
    EXPECT_EQ(GetTagValue(links[0], "<p>"), "65536");

    ASSERT_EQ(DbUpdateLinks(dir, {SetTagValue(links[0], link + "x", "<d>")}), DbOk);
    EXPECT_EQ(Q("select length(DESCR) from LINKS"), (Rows{{"70001"}}));
}

// ---- failures ----

namespace {

// Fifty more links in Praca, ids 10 to 59, and their lines.
const char* const kFiftyLinks = "with recursive n(i) as (select 10 union all select i + 1 from n where i < 59) "
                                "insert into LINKS select i, 1, i, 'x' || i, '' from n;";

Lines FiftyLinkLines()
{
    Lines lines;
    for (int id = 10; id < 60; ++id)
        lines.push_back(L(id, 1, id, "x" + std::to_string(id)));
    return lines;
}

// Every facade function, with arguments that would change or read something.
std::vector<Call> EveryCall(const std::string& dir, Lines& out, std::ostringstream& stream, const std::string& temp)
{
    return {
        {"DbInit", [&] { return DbInit(dir); }},
        {"DbCheckVersion", [&] { return DbCheckVersion(dir); }},
        {"DbSearchLinks", [&] { return DbSearchLinks(dir, "a", out, SearchFlagLinks, -1); }},
        {"DbImportLegacyFolder", [&] { return DbImportLegacyFolder(dir, temp, "run/"); }},
        {"DbGetCategories", [&] { return DbGetCategories(dir, out); }},
        {"DbGetLinks", [&] { return DbGetLinks(dir, out, 1); }},
        {"DbMoveLinks", [&] { return DbMoveLinks(dir, {L(1, 1, 0, "a")}, 2); }},
        {"DbAddLinks", [&] { return DbAddLinks(dir, {L(-1, 1, 0, "a")}, 2); }},
        {"DbDeleteLinks", [&] { return DbDeleteLinks(dir, {L(1, 1, 0, "a")}); }},
        {"DbDeleteCategories", [&] { return DbDeleteCategories(dir, {C(1, 0, "a")}); }},
        {"DbInsertLinks", [&] { return DbInsertLinks(dir, {L(-1, 1, 0, "a")}); }},
        {"DbUpdateLinks", [&] { return DbUpdateLinks(dir, {L(1, 1, 0, "a")}); }},
        {"DbUpdateCategories", [&] { return DbUpdateCategories(dir, {C(1, 0, "a")}); }},
        {"DbSaveCategoryOrder", [&] { return DbSaveCategoryOrder(dir, {C(1, 0, "a")}); }},
        {"DbSaveLinkOrder", [&] { return DbSaveLinkOrder(dir, {L(1, 1, 0, "a")}); }},
        {"DbAddCategories", [&] { return DbAddCategories(dir, {C(-1, 0, "a")}); }},
        {"DbAppendCategories", [&] { return DbAppendCategories(dir, {C(-1, 0, "a")}); }},
        {"DbSortLinksByName", [&] { return DbSortLinksByName(dir, 1); }},
        {"DbExportText", [&] { return DbExportText(dir, stream, -1); }},
        {"DbExportHtml", [&] { return DbExportHtml(dir, stream, -1); }},
    };
}

}  // namespace

TEST_F(FacadeTest, AFileThatIsNoDatabaseFailsToOpen)
{
    const std::string garbage(2048, '\x7E');
    WriteFile(db, garbage);
    const std::string temp = dir + "temp/";
    MakeFiles(temp + "run/", {{"kategorie", "<n>A</n>\n"}});
    Lines out = {"kept"};
    std::ostringstream stream;
    for (const auto& call : EveryCall(dir, out, stream, temp)) {
        SCOPED_TRACE(call.name);
        messages.clear();
        EXPECT_EQ(call.run(), DbOpenFailed);
        EXPECT_EQ(messages.texts(), std::vector<std::string>{"file is not a database\n" + db});
        EXPECT_EQ(OpenHandles(db), 0);
    }
    EXPECT_EQ(out, Lines{"kept"});
    EXPECT_EQ(stream.str(), "");
    EXPECT_EQ(ReadFile(db), garbage);
    EXPECT_TRUE(PathExists(temp + "run/kategorie"));  // the legacy folder is not touched
}

// An archive folder that does not exist: every call says so, with the path.
TEST_F(FacadeTest, AnUnreachableFolderFailsToOpenWithItsPath)
{
    const std::string missing = dir + "nie/ma/";
    const std::string temp = dir + "temp/";
    MakeFiles(temp + "run/", {{"kategorie", "<n>A</n>\n"}});
    Lines out = {"kept"};
    std::ostringstream stream;
    for (const auto& call : EveryCall(missing, out, stream, temp)) {
        SCOPED_TRACE(call.name);
        messages.clear();
        EXPECT_EQ(call.run(), DbOpenFailed);
        EXPECT_EQ(messages.texts(), std::vector<std::string>{"unable to open database file\n" + missing + "dovra.db"});
    }
    EXPECT_EQ(out, Lines{"kept"});
    EXPECT_FALSE(PathExists(dir + "nie"));
}

// A table replaced by a view lacking a column: the open succeeds, the read fails.
TEST_F(FacadeTest, AFailedReadEndsTheCallWithItsCode)
{
    const char* noPos = "ALTER TABLE LINKS RENAME TO L0; CREATE VIEW LINKS AS SELECT ID, CAT_ID, LINK, DESCR FROM L0;";
    const char* noLink = "ALTER TABLE LINKS RENAME TO L0; CREATE VIEW LINKS AS SELECT ID, CAT_ID, POS, DESCR FROM L0;";
    const char* catsNoPos = "ALTER TABLE CATEGS RENAME TO C0; CREATE VIEW CATEGS AS SELECT ID, NAME, DESCR FROM C0;";
    const char* verNoColumn = "DROP TABLE DB_VER; CREATE VIEW DB_VER AS SELECT 1 AS ID;";
    Lines out = {"kept"};
    std::ostringstream stream;
    struct Case {
        const char* name;
        const char* setup;
        std::function<int()> run;
        int code;
        const char* message;
    } cases[] = {
        {"DbGetCategories", catsNoPos, [&] { return DbGetCategories(dir, out); }, DbQueryFailed, "no such column: POS"},
        {"DbGetLinks", noPos, [&] { return DbGetLinks(dir, out, 1); }, DbQueryFailed, "no such column: POS"},
        {"DbGetLinks all", noPos, [&] { return DbGetLinks(dir, out, -1); }, DbQueryFailed, "no such column: POS"},
        {"DbSearchLinks", noLink, [&] { return DbSearchLinks(dir, "a", out, SearchFlagLinks, -1); }, DbOpenFailed,
         "no such column: LINK"},
        {"DbSearchLinks categories", catsNoPos, [&] { return DbSearchLinks(dir, "a", out, SearchFlagLinks, -1); },
         DbOpenFailed, "no such column: POS"},
        {"DbCheckVersion", verNoColumn, [&] { return DbCheckVersion(dir); }, DbOpenFailed,
         "no such column: DB_VERSION"},
        {"DbMoveLinks", noPos, [&] { return DbMoveLinks(dir, {L(1, 1, 0, "zeta")}, 2); }, DbQueryFailed,
         "no such column: POS"},
        {"DbAddLinks", noPos, [&] { return DbAddLinks(dir, {L(-1, 1, 0, "new")}, 2); }, DbQueryFailed,
         "no such column: POS"},
        {"DbSortLinksByName", noLink, [&] { return DbSortLinksByName(dir, 1); }, DbQueryFailed, "no such column: LINK"},
        {"DbExportText categories", catsNoPos, [&] { return DbExportText(dir, stream, -1); }, DbQueryFailed,
         "no such column: POS"},
        {"DbExportText links", noPos, [&] { return DbExportText(dir, stream, -1); }, DbQueryFailed,
         "no such column: POS"},
        {"DbExportHtml categories", catsNoPos, [&] { return DbExportHtml(dir, stream, 1); }, DbQueryFailed,
         "no such column: POS"},
        {"DbExportHtml links", noPos, [&] { return DbExportHtml(dir, stream, 1); }, DbQueryFailed,
         "no such column: POS"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(db.c_str());
        Seed(kSeed);
        X(c.setup);
        messages.clear();
        EXPECT_EQ(c.run(), c.code);
        // One message: nothing ran on after the read failed.
        EXPECT_EQ(messages.texts(), std::vector<std::string>{c.message});
        ExpectClosed();
    }
    EXPECT_EQ(out, Lines{"kept"});
}

TEST_F(FacadeTest, AFailedWriteReportsWriteFailed)
{
    const std::string temp = dir + "temp/";
    struct Case {
        const char* name;
        const char* setup;
        const char* trigger;
        std::function<int()> run;
    } cases[] = {
        {"DbInsertLinks", "", "BEFORE INSERT ON LINKS WHEN NEW.LINK='boom'",
         [&] {
             return DbInsertLinks(dir, {L(-1, 3, 0, "ok"), L(-1, 3, 1, "boom")});
         }},
        {"DbAddLinks", "", "BEFORE INSERT ON LINKS WHEN NEW.LINK='boom'",
         [&] {
             return DbAddLinks(dir, {L(-1, 0, 0, "ok"), L(-1, 0, 0, "boom")}, 3);
         }},
        {"DbAddCategories", "", "BEFORE INSERT ON CATEGS WHEN NEW.NAME='boom'",
         [&] {
             return DbAddCategories(dir, {C(-1, 5, "ok"), C(-1, 6, "boom")});
         }},
        {"DbUpdateLinks", "", "BEFORE UPDATE ON LINKS WHEN NEW.LINK='boom'",
         [&] {
             return DbUpdateLinks(dir, {L(1, 1, 0, "ok"), L(2, 1, 1, "boom")});
         }},
        {"DbUpdateCategories", "", "BEFORE UPDATE ON CATEGS WHEN NEW.NAME='boom'",
         [&] {
             return DbUpdateCategories(dir, {C(1, 0, "ok"), C(2, 1, "boom")});
         }},
        {"DbSaveCategoryOrder", "", "BEFORE UPDATE ON CATEGS WHEN OLD.NAME='Dom'",
         [&] {
             return DbSaveCategoryOrder(dir, {C(3, 0, "Gry"), C(2, 1, "Dom"), C(1, 2, "Praca")});
         }},
        {"DbSaveLinkOrder", "", "BEFORE UPDATE ON LINKS WHEN OLD.LINK='alfa'",
         [&] {
             return DbSaveLinkOrder(dir, {L(1, 3, 4, "zeta"), L(2, 3, 5, "alfa")});
         }},
        {"DbMoveLinks", "", "BEFORE UPDATE ON LINKS WHEN OLD.LINK='alfa'",
         [&] {
             return DbMoveLinks(dir, {L(1, 1, 0, "zeta"), L(2, 1, 1, "alfa")}, 2);
         }},
        {"DbSortLinksByName", "", "BEFORE UPDATE ON LINKS", [&] { return DbSortLinksByName(dir, 1); }},
        {"DbDeleteLinks", "", "BEFORE DELETE ON LINKS WHEN OLD.LINK='zeta'",
         [&] {
             return DbDeleteLinks(dir, {L(1, 1, 0, "zeta"), L(2, 1, 1, "alfa")});
         }},
        {"DbDeleteCategories", "", "BEFORE DELETE ON CATEGS WHEN OLD.NAME='Dom'",
         [&] {
             return DbDeleteCategories(dir, {C(1, 0, "Praca"), C(2, 1, "Dom")});
         }},
        {"DbCheckVersion", "insert into DB_VER values(1,0)", "BEFORE INSERT ON DB_VER",
         [&] { return DbCheckVersion(dir); }},
        {"DbImportLegacyFolder", "", "BEFORE INSERT ON CATEGS WHEN NEW.NAME='boom'",
         [&] {
             MakeFiles(temp + "run/", {{"kategorie", "<n>ok</n>\n<n>boom</n>\n"}});
             return DbImportLegacyFolder(dir, temp, "run/");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(db.c_str());
        Seed(kSeed);
        if (*c.setup)
            X(c.setup);
        X(std::string("CREATE TRIGGER t ") + c.trigger + " BEGIN SELECT RAISE(ABORT,'boom'); END;");
        const Rows before = Dump(db);
        messages.clear();
        EXPECT_EQ(c.run(), DbWriteFailed);
        EXPECT_EQ(messages.texts(), std::vector<std::string>{"boom"});
        // Nothing of the write stays, not even the rows before the refused one.
        EXPECT_EQ(Dump(db), before);
        ExpectClosed();
    }
}

TEST_F(FacadeTest, ANonNumericFieldThrowsAndStoresNothing)
{
    const std::string bad = "<i>1</i><c>1</c><p>x</p><l>bad</l><d></d>";
    const std::string badCat = "<i>1</i><p>x</p><n>bad</n><d></d>";
    const Call cases[] = {
        {"DbInsertLinks",
         [&] {
             return DbInsertLinks(dir, {L(-1, 1, 0, "good"), bad});
         }},
        {"DbAddLinks",
         [&] {
             return DbAddLinks(dir, {L(-1, 1, 0, "good"), bad}, 1);
         }},
        {"DbMoveLinks",
         [&] {
             return DbMoveLinks(dir, {L(3, 1, 0, "beta"), bad}, 1);
         }},
        {"DbUpdateLinks",
         [&] {
             return DbUpdateLinks(dir, {L(1, 1, 0, "good"), bad});
         }},
        {"DbDeleteLinks",
         [&] {
             return DbDeleteLinks(dir, {L(1, 1, 0, "zeta"), bad});
         }},
        {"DbSaveLinkOrder",
         [&] {
             return DbSaveLinkOrder(dir, {L(1, 2, 9, "zeta"), bad});
         }},
        {"DbAddCategories",
         [&] {
             return DbAddCategories(dir, {C(-1, 0, "good"), badCat});
         }},
        {"DbUpdateCategories",
         [&] {
             return DbUpdateCategories(dir, {C(1, 0, "good"), badCat});
         }},
        {"DbDeleteCategories",
         [&] {
             return DbDeleteCategories(dir, {C(1, 0, "good"), badCat});
         }},
        {"DbSaveCategoryOrder",
         [&] {
             return DbSaveCategoryOrder(dir, {C(3, 0, "Gry"), badCat});
         }},
    };
    Seed(kSeed);
    const Rows before = Dump(db);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(c.run(), EConvertError);
        EXPECT_EQ(Dump(db), before);
        ExpectClosed();
        // The next call is not taken for a nested one.
        Lines out;
        EXPECT_EQ(DbGetCategories(dir, out), DbOk);
        EXPECT_EQ(out.size(), 3u);
    }
    EXPECT_TRUE(messages.texts().empty());
}

// InsertAll lets window events run after each row; a facade call from there is
// refused without touching anything, and the running call completes.
TEST_F(FacadeTest, ACallMadeWhileAnotherRunsIsRefused)
{
    const std::string temp = dir + "temp/";
    TempFolder elsewhere;
    struct Outer {
        const char* name;
        std::function<int()> run;
        const char* check;
        Rows rows;
    } outers[] = {
        {"DbInsertLinks",
         [&] {
             return DbInsertLinks(dir, {L(-1, 3, 0, "n1"), L(-1, 3, 1, "n2"), L(-1, 3, 2, "n3")});
         },
         "select POS, LINK from LINKS where CAT_ID=3 order by ID",
         {{"0", "n1"}, {"1", "n2"}, {"2", "n3"}}},
        {"DbAddLinks",
         [&] {
             return DbAddLinks(dir, {L(-1, 0, 0, "n1"), L(-1, 0, 0, "n2")}, 2);
         },
         "select POS, LINK from LINKS where CAT_ID=2 order by ID",
         {{"7", "beta"}, {"8", "n1"}, {"9", "n2"}}},
        {"DbAddCategories",
         [&] {
             return DbAddCategories(dir, {C(-1, 5, "c1"), C(-1, 6, "c2")});
         },
         "select POS, NAME from CATEGS where ID > 3 order by ID",
         {{"5", "c1"}, {"6", "c2"}}},
        {"DbImportLegacyFolder",
         [&] {
             MakeFiles(temp + "run/", {{"kategorie", "<n>c1</n>\n<n>c2</n>\n"}, {"kat1", "<n>l1</n><o>o1</o>\n"}});
             return DbImportLegacyFolder(dir, temp, "run/");
         },
         "select POS, NAME from CATEGS where ID > 3 order by ID",
         {{"1", "c1"}, {"2", "c2"}}},
    };
    for (const auto& outer : outers) {
        SCOPED_TRACE(outer.name);
        std::remove(db.c_str());
        Seed(kSeed);
        messages.clear();
        int pumps = 0;
        std::vector<int> nestedResults;
        Lines nestedOut;
        std::ostringstream nestedStream;
        bool buffersTouched = false;
        {
            PumpHookGuard hook([&] {
                ++pumps;
                const size_t cats = CatItems.size(), links = LinkItems.size();
                nestedResults.push_back(DbGetCategories(dir, nestedOut));
                nestedResults.push_back(DbInsertLinks(dir, {L(-1, 9, 0, "nested")}));
                nestedResults.push_back(DbDeleteCategories(dir, {C(1, 0, "Praca")}));
                nestedResults.push_back(DbExportText(dir, nestedStream, -1));
                nestedResults.push_back(DbGetLinks(elsewhere.path(), nestedOut, -1));
                if (CatItems.size() != cats || LinkItems.size() != links)
                    buffersTouched = true;
            });
            EXPECT_EQ(outer.run(), DbOk);
        }
        EXPECT_GT(pumps, 0);
        for (int r : nestedResults)
            EXPECT_EQ(r, DbOpenFailed);
        EXPECT_FALSE(buffersTouched);
        EXPECT_TRUE(nestedOut.empty());
        EXPECT_EQ(nestedStream.str(), "");
        EXPECT_FALSE(PathExists(elsewhere.path() + "dovra.db"));
        EXPECT_TRUE(messages.texts().empty());
        EXPECT_EQ(Q(outer.check), outer.rows);
        EXPECT_EQ(Q("select count(*) from LINKS where CAT_ID=9 or LINK='nested'"), (Rows{{"0"}}));
        EXPECT_EQ(Q("select count(*) from CATEGS where ID=1"), (Rows{{"1"}}));
        ExpectClosed();
        // Afterwards calls are taken again.
        Lines out;
        EXPECT_EQ(DbGetCategories(dir, out), DbOk);
    }
}

// The store shows its messages from inside a call; a facade call made while
// the message is up (from the message box's own event loop) is refused too.
TEST_F(FacadeTest, ACallMadeWhileAMessageIsShownIsRefused)
{
    struct Case {
        const char* name;
        const char* setup;
        std::function<int()> run;
        int code;
    } cases[] = {
        {"a failed write",
         "CREATE TRIGGER t BEFORE INSERT ON LINKS WHEN NEW.LINK='boom' BEGIN SELECT RAISE(ABORT,'boom'); END;",
         [&] {
             return DbInsertLinks(dir, {L(-1, 3, 0, "ok"), L(-1, 3, 1, "boom")});
         },
         DbWriteFailed},
        {"a failed read", "ALTER TABLE LINKS RENAME TO L0; CREATE VIEW LINKS AS SELECT ID FROM L0;",
         [&] {
             Lines out;
             return DbGetLinks(dir, out, 1);
         },
         DbQueryFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(db.c_str());
        Seed(kSeed);
        X(c.setup);
        std::vector<std::string> shown;
        std::vector<int> nested;
        auto previous = platform::SetMessageHook([&](const std::string& text) {
            shown.push_back(text);
            Lines out;
            nested.push_back(DbGetCategories(dir, out));
            nested.push_back(DbAddCategories(dir, {C(-1, 0, "nested")}));
        });
        EXPECT_EQ(c.run(), c.code);
        platform::SetMessageHook(previous);
        EXPECT_EQ(shown.size(), 1u);
        EXPECT_EQ(nested, (std::vector<int>{DbOpenFailed, DbOpenFailed}));
        EXPECT_EQ(Q("select count(*) from CATEGS where NAME='nested'"), (Rows{{"0"}}));
        ExpectClosed();
    }
}

// Another program holding the catalogue past the wait: SQLite's own text
// once, however many rows the write has, the right code, nothing half done.
TEST_F(FacadeTest, ALockedCatalogueFailsWithSQLitesMessage)
{
    Seed(kSeed);
    X(kFiftyLinks);
    const Rows before = Dump(db);
    struct Case {
        const char* lock;
        std::function<int()> run;
        int code;
        std::string message;
    } cases[] = {
        {"BEGIN IMMEDIATE", [&] { return DbInsertLinks(dir, {L(-1, 1, 5, "new")}); }, DbWriteFailed,
         "database is locked"},
        {"BEGIN IMMEDIATE", [&] { return DbDeleteCategories(dir, {C(1, 0, "Praca")}); }, DbWriteFailed,
         "database is locked"},
        {"BEGIN IMMEDIATE", [&] { return DbDeleteLinks(dir, FiftyLinkLines()); }, DbWriteFailed, "database is locked"},
        // Locked while it is opened: the open failure names the file.
        {"BEGIN EXCLUSIVE",
         [&] {
             Lines out;
             return DbGetCategories(dir, out);
         },
         DbOpenFailed, "database is locked\n" + db},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lock);
        messages.clear();
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(db.c_str(), &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, c.lock, nullptr, nullptr, nullptr), SQLITE_OK);
        EXPECT_EQ(c.run(), c.code);
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        EXPECT_EQ(messages.texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(Dump(db), before);
        ExpectClosed();
    }
}

// One command of the user against a locked catalogue: its first failure is
// waited for and said; its later calls fail at once and say nothing. A
// command inside it (a dialog's button) says its own failure, once; outside
// any command every failure is said.
TEST_F(FacadeTest, ACommandSaysItsFirstFailureOnlyAndWaitsOnce)
{
    Seed(kSeed);
    const Rows before = Dump(db);
    const auto insert = [&] { return DbInsertLinks(dir, {L(-1, 1, 5, "new")}); };
    const auto read = [&] {
        Lines out;
        return DbGetCategories(dir, out);
    };
    const std::string locked = "database is locked\n" + db;
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    {
        const DbCommand command;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(insert(), DbOpenFailed);
        EXPECT_EQ(read(), DbOpenFailed);
        EXPECT_EQ(insert(), DbOpenFailed);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_GE(waited, std::chrono::milliseconds(DbLockWait() * 9 / 10));
        EXPECT_LT(waited, std::chrono::milliseconds(DbLockWait() * 3 / 2));
        EXPECT_EQ(messages.texts(), std::vector<std::string>{locked});
        {
            const DbCommand inner;
            EXPECT_EQ(read(), DbOpenFailed);
            EXPECT_EQ(insert(), DbOpenFailed);
        }
        EXPECT_EQ(messages.texts(), (std::vector<std::string>{locked, locked}));
        EXPECT_EQ(read(), DbOpenFailed);
        EXPECT_EQ(messages.texts().size(), 2u);
    }
    EXPECT_EQ(read(), DbOpenFailed);
    EXPECT_EQ(insert(), DbOpenFailed);
    EXPECT_EQ(messages.texts().size(), 4u);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(Dump(db), before);
    // The next command waits and says again.
    {
        const DbCommand command;
        EXPECT_EQ(insert(), DbOk);
    }
    ExpectClosed();
}

// The program's own wait: 2 s, and a lock let go within it lets the write
// through. (The other tests wait less.)
TEST_F(FacadeTest, TheProgramWaitsTwoSecondsForALock)
{
    EXPECT_EQ(SQLiteClass::kDefaultLockWaitMs, 2000);
    EXPECT_EQ(SQLiteClass(db).lockWaitMs, 2000);
    Seed(kSeed);
    DbSetLockWait(SQLiteClass::kDefaultLockWaitMs);
    const auto start = std::chrono::steady_clock::now();
    {
        WriteLock lock(db, std::chrono::milliseconds(1200));
        EXPECT_EQ(DbUpdateCategories(dir, {C(3, 2, "Gry2")}), DbOk);
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1200));
    EXPECT_TRUE(messages.texts().empty());
    EXPECT_EQ(Q("select NAME from CATEGS where ID=3"), (Rows{{"Gry2"}}));
}

// Another program that lets go of its lock within the wait: the call waits
// for it and goes through.
TEST_F(FacadeTest, ALockReleasedWithinTheWaitLetsTheCallThrough)
{
    struct Case {
        const char* name;
        std::function<int()> run;
        const char* check;
        Rows rows;
    } cases[] = {
        {"DbDeleteLinks", [&] { return DbDeleteLinks(dir, FiftyLinkLines()); }, "select count(*) from LINKS", {{"4"}}},
        {"DbAddLinks",
         [&] { return DbAddLinks(dir, {L(-1, 0, 0, "new")}, 2); },
         "select ID, POS from LINKS where CAT_ID=2 order by POS",
         {{"3", "7"}, {"60", "8"}}},
        {"DbUpdateCategories",
         [&] { return DbUpdateCategories(dir, {C(3, 2, "Gry2")}); },
         "select NAME from CATEGS where ID=3",
         {{"Gry2"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(db.c_str());
        Seed(kSeed);
        X(kFiftyLinks);
        messages.clear();
        DbSetLockWait(static_cast<int>(kReleasedWithin.count()) * 10);
        {
            WriteLock lock(db, kReleasedWithin);
            EXPECT_EQ(c.run(), DbOk);
        }
        EXPECT_TRUE(messages.texts().empty());
        EXPECT_EQ(Q(c.check), c.rows);
        ExpectClosed();
    }
}

// A catalogue that may be read but not written: every read works, every
// write fails with one message and changes nothing.
TEST_F(FacadeTest, AReadOnlyCatalogueIsReadAndRefusesEachWriteOnce)
{
    Seed(kSeed);
    X(kFiftyLinks);
    ASSERT_TRUE(cataloguefaults::MakeReadOnly(db));
    const Rows before = Dump(db);
    const std::string temp = dir + "temp/";
    Lines out;
    std::ostringstream stream;
    std::vector<Call> calls = EveryCall(dir, out, stream, temp);
    calls.push_back({"DbDeleteLinks of fifty", [&] { return DbDeleteLinks(dir, FiftyLinkLines()); }});
    const std::set<std::string> reads = {"DbInit",     "DbCheckVersion", "DbSearchLinks", "DbGetCategories",
                                         "DbGetLinks", "DbExportText",   "DbExportHtml"};
    for (const auto& call : calls) {
        SCOPED_TRACE(call.name);
        MakeFiles(temp + "run/", {{"kategorie", "<n>A</n>\n"}});
        messages.clear();
        if (reads.count(call.name) > 0) {
            EXPECT_EQ(call.run(), DbOk);
            EXPECT_TRUE(messages.texts().empty());
        } else {
            EXPECT_EQ(call.run(), DbWriteFailed);
            EXPECT_EQ(messages.texts(), std::vector<std::string>{"attempt to write a readonly database"});
        }
        EXPECT_EQ(Dump(db), before);
        EXPECT_EQ(OpenHandles(db), 0);
    }
}

// New categories go after the last one, also when that one stands at the
// largest position there is, or at one that is no int (a file written by
// something else): the categories are then numbered again from 0 in their
// order, in the same transaction, and never wrap.
TEST_F(FacadeTest, AppendedCategoriesGoLastAlsoAfterTheLargestPosition)
{
    const auto append = [&] { return DbAppendCategories(dir, {C(-1, 0, "n1", "d1"), C(-1, 0, "n2")}); };
    // Numbered again 0, 1, 2, ... in the shown order, the new ones last.
    const Rows renumbered = {{"3", "0", "first"}, {"2", "1", "b"},  {"5", "2", "c"},
                             {"1", "3", "last"},  {"6", "4", "n1"}, {"7", "5", "n2"}};
    struct Case {
        const char* name;
        std::string lastPos;  // of category 1, the last one
        std::string tiedPos;  // of categories 2 and 5
        Rows categories;      // (ID, POS, NAME) by position afterwards
    } cases[] = {
        {"room for both",
         "2147483645",
         "5",
         {{"3", "-2147483648", "first"},
          {"2", "5", "b"},
          {"5", "5", "c"},
          {"1", "2147483645", "last"},
          {"6", "2147483646", "n1"},
          {"7", "2147483647", "n2"}}},
        {"room for one", "2147483646", "5", renumbered},
        {"no room", "2147483647", "5", renumbered},
        {"beyond 32 bits", "9999999999", "5", renumbered},
        {"no whole number", "'x'", "5", renumbered},
        {"every position below 1",
         "-3",
         "-5",
         {{"3", "-2147483648", "first"},
          {"2", "-5", "b"},
          {"5", "-5", "c"},
          {"1", "-3", "last"},
          {"6", "1", "n1"},
          {"7", "2", "n2"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(db.c_str());
        // In their order: 3, then 2 and 5 at the same position, then 1.
        Seed("insert into CATEGS values(1," + c.lastPos +
             ",'last','');"
             "insert into CATEGS values(2," +
             c.tiedPos +
             ",'b',''); insert into CATEGS values(3,-2147483648,'first','');"
             "insert into CATEGS values(5," +
             c.tiedPos + ",'c',''); insert into LINKS values(1,1,0,'l','');");
        messages.clear();
        EXPECT_EQ(append(), DbOk);
        EXPECT_TRUE(messages.texts().empty());
        EXPECT_EQ(Q("select ID, POS, NAME from CATEGS order by POS, ID"), c.categories);
        EXPECT_EQ(Q("select DESCR from CATEGS where ID=6"), (Rows{{"d1"}}));
        EXPECT_EQ(Q("select ID, CAT_ID, POS from LINKS"), (Rows{{"1", "1", "0"}}));
        Lines out;
        ASSERT_EQ(DbGetCategories(dir, out), DbOk);
        std::vector<std::string> order;
        for (const std::string& line : out)
            order.push_back(GetTagValue(line, "<i>"));
        std::vector<std::string> expected;
        for (const auto& row : c.categories)
            expected.push_back(row[0]);
        EXPECT_EQ(order, expected);
        ExpectClosed();
    }

    // A refused write takes the renumbering back with it.
    X("CREATE TRIGGER t BEFORE INSERT ON CATEGS BEGIN SELECT RAISE(ABORT,'boom'); END;");
    X("update CATEGS set POS=2147483647 where ID=7");
    const Rows before = Dump(db);
    messages.clear();
    EXPECT_EQ(append(), DbWriteFailed);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"boom"});
    EXPECT_EQ(Dump(db), before);
}

// The same for new and moved links in their category; afterwards every line
// shows its link's stored position.
TEST_F(FacadeTest, AppendedLinksGoLastAlsoAfterTheLargestPosition)
{
    const auto add = [&] { return DbAddLinks(dir, {L(-1, 0, 0, "n1"), L(-1, 0, 0, "n2")}, 1); };
    const auto move = [&] { return DbMoveLinks(dir, {L(20, 2, 7, "d1"), L(21, 2, 8, "d2")}, 1); };
    struct Case {
        const char* name;
        std::string lastPos;  // of link 1, the last of category 1
        std::function<int()> run;
        std::vector<std::string> order;  // category 1 by position afterwards
        Rows positions;                  // its (ID, POS) in that order
    } cases[] = {
        {"add, room for both",
         "2147483645",
         add,
         {"3", "2", "5", "1", "22", "23"},
         {{"3", "-2147483648"},
          {"2", "5"},
          {"5", "5"},
          {"1", "2147483645"},
          {"22", "2147483646"},
          {"23", "2147483647"}}},
        {"add, room for one",
         "2147483646",
         add,
         {"3", "2", "5", "1", "22", "23"},
         {{"3", "0"}, {"2", "1"}, {"5", "2"}, {"1", "3"}, {"22", "4"}, {"23", "5"}}},
        {"add, no room",
         "2147483647",
         add,
         {"3", "2", "5", "1", "22", "23"},
         {{"3", "0"}, {"2", "1"}, {"5", "2"}, {"1", "3"}, {"22", "4"}, {"23", "5"}}},
        {"move, no room",
         "2147483647",
         move,
         {"3", "2", "5", "1", "20", "21"},
         {{"3", "0"}, {"2", "1"}, {"5", "2"}, {"1", "3"}, {"20", "4"}, {"21", "5"}}},
        {"add, beyond 32 bits",
         "9999999999",
         add,
         {"3", "2", "5", "1", "22", "23"},
         {{"3", "0"}, {"2", "1"}, {"5", "2"}, {"1", "3"}, {"22", "4"}, {"23", "5"}}},
        {"move, beyond 32 bits",
         "9999999999",
         move,
         {"3", "2", "5", "1", "20", "21"},
         {{"3", "0"}, {"2", "1"}, {"5", "2"}, {"1", "3"}, {"20", "4"}, {"21", "5"}}},
        {"add, no whole number",
         "'x'",
         add,
         {"3", "2", "5", "1", "22", "23"},
         {{"3", "0"}, {"2", "1"}, {"5", "2"}, {"1", "3"}, {"22", "4"}, {"23", "5"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(db.c_str());
        // Category 1 in its order: 3, then 2 and 5 at the same position, then 1.
        Seed("insert into CATEGS values(1,0,'Praca',''); insert into CATEGS values(2,1,'Dom','');"
             "insert into LINKS values(1,1," +
             c.lastPos +
             ",'last','');"
             "insert into LINKS values(2,1,5,'b',''); insert into LINKS values(3,1,-2147483648,'first','');"
             "insert into LINKS values(5,1,5,'c',''); insert into LINKS values(20,2,7,'d1','');"
             "insert into LINKS values(21,2,8,'d2','');");
        messages.clear();
        EXPECT_EQ(c.run(), DbOk);
        EXPECT_TRUE(messages.texts().empty());
        EXPECT_EQ(Q("select ID, POS from LINKS where CAT_ID=1 order by POS, ID"), c.positions);
        Lines out;
        ASSERT_EQ(DbGetLinks(dir, out, 1), DbOk);
        std::vector<std::string> order;
        Rows shown;  // each line's id and position
        for (const std::string& line : out) {
            order.push_back(GetTagValue(line, "<i>"));
            shown.push_back({GetTagValue(line, "<i>"), GetTagValue(line, "<p>")});
        }
        EXPECT_EQ(order, c.order);
        EXPECT_EQ(shown, c.positions);
        ExpectClosed();
    }

    // A refused write takes the renumbering back with it.
    X("CREATE TRIGGER t BEFORE INSERT ON LINKS BEGIN SELECT RAISE(ABORT,'boom'); END;");
    X("update LINKS set POS=2147483647 where ID=21");
    const Rows before = Dump(db);
    messages.clear();
    EXPECT_EQ(add(), DbWriteFailed);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"boom"});
    EXPECT_EQ(Dump(db), before);
}

// Another program that adds a record while it holds the write lock, released
// while the call waits for it: the call's new records still go after it.
TEST_F(FacadeTest, AppendedRecordsGoAfterThoseAddedWhileTheCallWaits)
{
    struct Case {
        const char* name;
        const char* added;  // by the other program
        std::function<int()> run;
        const char* check;
        Rows rows;
    } cases[] = {
        {"DbAddLinks",
         "insert into LINKS values(70,2,8,'other','')",
         [&] { return DbAddLinks(dir, {L(-1, 0, 0, "new")}, 2); },
         "select ID, POS, LINK from LINKS where CAT_ID=2 order by POS, ID",
         {{"3", "7", "beta"}, {"70", "8", "other"}, {"71", "9", "new"}}},
        {"DbMoveLinks, no room after the other's",
         "insert into LINKS values(70,2,2147483647,'other','')",
         [&] { return DbMoveLinks(dir, {L(1, 1, 0, "zeta")}, 2); },
         "select ID, POS, LINK from LINKS where CAT_ID=2 order by POS, ID",
         {{"3", "0", "beta"}, {"70", "1", "other"}, {"1", "2", "zeta"}}},
        {"DbAppendCategories",
         "insert into CATEGS values(9,3,'other','')",
         [&] { return DbAppendCategories(dir, {C(-1, 0, "new")}); },
         "select ID, POS, NAME from CATEGS order by POS, ID",
         {{"1", "0", "Praca"}, {"2", "1", "Dom"}, {"3", "2", "Gry"}, {"9", "3", "other"}, {"10", "4", "new"}}},
        {"DbAppendCategories, no room after the other's",
         "insert into CATEGS values(9,2147483647,'other','')",
         [&] { return DbAppendCategories(dir, {C(-1, 0, "new")}); },
         "select ID, POS, NAME from CATEGS order by POS, ID",
         {{"1", "0", "Praca"}, {"2", "1", "Dom"}, {"3", "2", "Gry"}, {"9", "3", "other"}, {"10", "4", "new"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(db.c_str());
        Seed(kSeed);
        messages.clear();
        DbSetLockWait(static_cast<int>(kReleasedWithin.count()) * 10);
        {
            WriteLock lock(db, kReleasedWithin, c.added);
            EXPECT_EQ(c.run(), DbOk);
        }
        EXPECT_TRUE(messages.texts().empty());
        EXPECT_EQ(Q(c.check), c.rows);
        ExpectClosed();
    }
}
