// The reads and writes of SQLiteClass on an open connection.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <memory>

#include "store/Db_sqlite.h"
#include "store/Funcs.h"
#include "tests/CatalogueFaults.h"
#include "tests/store/TestSupport.h"

using namespace storetest;

namespace {

class QueriesTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        Seed("insert into CATEGS values(1,2,'Praca','p'); insert into CATEGS values(2,0,'Dom','d');"
             "insert into CATEGS values(3,1,'Gry','g');"
             "insert into LINKS values(1,1,2,'beta','one');"
             "insert into LINKS values(2,1,0,'Alfa','two 50%');"
             "insert into LINKS values(3,2,5,'gamma','it''s');"
             "insert into LINKS values(4,0,1,'delta_x','beta');"
             "insert into LINKS values(5,1,3,'it''s here','x');");
        s = std::make_unique<SQLiteClass>(db);
        s->lockWaitMs = kTestLockWaitMs;
        ASSERT_EQ(s->Open(), 0);
    }
    void TearDown() override
    {
        if (s->IsOpen())
            s->Close();
        StoreTest::TearDown();
    }

    static std::vector<int> Ids() { return IdsOf(LinkItems); }
    static std::vector<int> IdsOf(const std::vector<LinkItem>& items)
    {
        std::vector<int> ids;
        for (const auto& l : items)
            ids.push_back(l.id);
        return ids;
    }

    std::unique_ptr<SQLiteClass> s;  // open on the seeded catalogue
};

}  // namespace

TEST_F(QueriesTest, ReadsInTheirOrder)
{
    ASSERT_EQ(s->GetCategories(), 0);
    ASSERT_EQ(CatItems.size(), 3u);
    EXPECT_EQ(CatItems[0].name, "Dom");
    EXPECT_EQ(CatItems[1].name, "Gry");
    EXPECT_EQ(CatItems[2].name, "Praca");

    struct Case {
        std::function<int()> read;
        std::vector<int> ids;
    } cases[] = {
        {[&] { return s->GetLinks(1); }, {2, 1, 5}},
        {[&] { return s->GetLinks(0); }, {4}},
        {[&] { return s->GetLinks(9); }, {}},
        {[&] { return s->GetLinks(-1); }, {2, 4, 1, 5, 3}},
        {[&] { return s->GetLinksByName(1); }, {2, 1, 5}},  // Alfa, beta, it's here: case ignored
        {[&] { return s->GetLinksByName(-1); }, {2, 1, 4, 3, 5}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        LinkItems.clear();
        ASSERT_EQ(cases[i].read(), 0);
        EXPECT_EQ(Ids(), cases[i].ids);
    }
}

TEST_F(QueriesTest, ReadsAppendToTheBuffer)
{
    LinkItems = {LinkItem(99, 0, 0, "kept", "")};
    ASSERT_EQ(s->GetLinks(0), 0);
    EXPECT_EQ(Ids(), (std::vector<int>{99, 4}));
}

TEST_F(QueriesTest, GetMaxLinkPosAppendsOneRecord)
{
    ASSERT_EQ(s->GetMaxLinkPos(2), 0);
    ASSERT_EQ(s->GetMaxLinkPos(7), 0);
    ASSERT_EQ(LinkItems.size(), 2u);
    EXPECT_EQ(LinkItems[0].id, 5);
    EXPECT_EQ(LinkItems[0].catId, 5);
    EXPECT_EQ(LinkItems[0].pos, 5);
    EXPECT_EQ(LinkItems[0].link, "5");
    EXPECT_EQ(LinkItems[1].pos, 0);  // a category without links
    EXPECT_EQ(LinkItems[1].link, "");

    EXPECT_EQ(s->GetMaxLinkPos(-1), 1);
    EXPECT_EQ(LinkItems.size(), 2u);
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(QueriesTest, SearchLinks)
{
    struct Case {
        std::string text;
        int flags, catId;
        std::vector<int> ids;
    } cases[] = {
        {"beta", SearchFlagLinks, -1, {1}},
        {"beta", SearchFlagDescriptions, -1, {4}},
        {"beta", SearchFlagLinks | SearchFlagDescriptions, -1, {1, 4}},
        {"it's", SearchFlagLinks | SearchFlagDescriptions, -1, {5, 3}},  // a quote is searched literally
        {"e", SearchFlagLinks | SearchFlagDescriptions, 1, {1, 5, 1}},   // link matches, then description matches
        {"ALFA", SearchFlagLinks | SearchFlagNoCase, 1, {2}},
        {"", SearchFlagLinks, -1, {1, 2, 3, 4, 5}},  // an empty text matches every link
        {"d_lta", SearchFlagLinks, -1, {4}},         // "_" is a wildcard
        {"t%0", SearchFlagDescriptions, -1, {2}},    // "%" too
        {"beta", 0, -1, {}},
        {"beta", SearchFlagLinks, -2, {}},  // only -1 means every category
        {"beta", SearchFlagLinks, 2, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " flags " + std::to_string(c.flags) + " cat " + std::to_string(c.catId));
        LinkItems.clear();
        ASSERT_EQ(s->SearchLinks(c.text, c.flags, c.catId), 0);
        EXPECT_EQ(Ids(), c.ids);
    }
}

TEST_F(QueriesTest, SearchWithBothFlagsReturnsADoubleMatchTwice)
{
    X("insert into LINKS values(6,3,0,'same','same')");
    ASSERT_EQ(s->SearchLinks("same", SearchFlagLinks | SearchFlagDescriptions, -1), 0);
    EXPECT_EQ(Ids(), (std::vector<int>{6, 6}));
}

TEST_F(QueriesTest, InsertAllStoresRecordsWithNewIds)
{
    CatItems = {CatItem(77, 4, "it's", ""), CatItem(-1, 5, "B", "b")};
    LinkItems = {LinkItem(77, 9, 3, "o'neil", ""), LinkItem(-1, -3, -1, "x", "y")};
    int pumps = 0;
    PumpHookGuard pump([&] { ++pumps; });
    ASSERT_EQ(s->InsertAll(), 0);
    EXPECT_EQ(pumps, 4);  // after each row
    EXPECT_EQ(Q("select ID, POS, NAME, DESCR, typeof(DESCR) from CATEGS where ID > 3 order by ID"),
              (Rows{{"4", "4", "it's", "", "text"}, {"5", "5", "B", "b", "text"}}));
    EXPECT_EQ(Q("select ID, CAT_ID, POS, LINK, DESCR, typeof(DESCR) from LINKS where ID > 5 order by ID"),
              (Rows{{"6", "9", "3", "o'neil", "", "text"}, {"7", "-3", "-1", "x", "y", "text"}}));
}

TEST_F(QueriesTest, EmptyBuffersWriteNothing)
{
    const unsigned before = ChangeCounter(db);
    EXPECT_EQ(s->InsertAll(), 0);
    EXPECT_EQ(s->UpdateLinks(), 0);
    EXPECT_EQ(s->UpdateCategories(), 0);
    EXPECT_EQ(s->SaveCategoryPositions(), 0);
    EXPECT_EQ(s->DeleteCategories(), 0);
    EXPECT_EQ(s->DeleteLinks(), 0);
    EXPECT_EQ(s->SaveLinkCategories(), 0);
    EXPECT_EQ(s->SaveChangedLinkPositions(), 0);
    EXPECT_EQ(ChangeCounter(db), before);
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(QueriesTest, SaveChangedLinkPositionsWritesOnlyChangedRows)
{
    X("CREATE TABLE written(ID); CREATE TRIGGER log AFTER UPDATE ON LINKS BEGIN INSERT INTO written VALUES(NEW.ID); END;");
    s->linkOldPos = {{1, 2}, {2, 0}};
    LinkItems = {LinkItem(1, 1, 2, "", ""), LinkItem(2, 1, 3, "", ""), LinkItem(4, 0, 0, "", ""),
                 LinkItem(5, 1, 4, "", "")};  // 4 and 5 are not in the map: old position 0
    ASSERT_EQ(s->SaveChangedLinkPositions(), 0);
    EXPECT_EQ(Q("select ID from written order by ID"), (Rows{{"2"}, {"5"}}));
    EXPECT_EQ(Q("select ID, POS from LINKS order by ID"),
              (Rows{{"1", "2"}, {"2", "3"}, {"3", "5"}, {"4", "1"}, {"5", "4"}}));
}

TEST_F(QueriesTest, DeleteCategoriesTakesTheirLinks)
{
    CatItems = {CatItem(1, 0, "", ""), CatItem(9, 0, "", "")};
    ASSERT_EQ(s->DeleteCategories(), 0);
    EXPECT_EQ(Q("select ID from CATEGS order by ID"), (Rows{{"2"}, {"3"}}));
    EXPECT_EQ(Q("select ID from LINKS order by ID"), (Rows{{"3"}, {"4"}}));
}

// Every write runs in one transaction: one commit for the batch. A write that
// fails anywhere (a row refused, a catalogue that may not be written) changes
// nothing: it stops at the failing statement, rolls back what ran before it,
// shows SQLite's message once and gives 1.
TEST_F(QueriesTest, WritesRunInOneTransactionAndAFailedWriteChangesNothing)
{
    struct Case {
        const char* name;
        const char* trigger;  // makes the record of "boom" fail
        std::function<void()> fill;
        std::function<int(SQLiteClass&)> write;
        const char* check;  // query on the catalogue afterwards
        Rows ok;            // its rows after the write without the trigger
    };
    const Case cases[] = {
        {"InsertAll",
         "CREATE TRIGGER t BEFORE INSERT ON LINKS WHEN NEW.LINK='boom' BEGIN SELECT RAISE(ABORT,'boom'); END;",
         [] {
             CatItems = {CatItem(-1, 7, "c1", ""), CatItem(-1, 8, "c2", "")};
             LinkItems = {LinkItem(-1, 7, 0, "n1", ""), LinkItem(-1, 7, 1, "n2", ""), LinkItem(-1, 7, 2, "boom", ""),
                          LinkItem(-1, 7, 3, "n4", "")};
         },
         [](SQLiteClass& s) { return s.InsertAll(); },
         "select NAME from CATEGS where ID > 3 union all select LINK from LINKS where CAT_ID=7",
         {{"c1"}, {"c2"}, {"n1"}, {"n2"}, {"boom"}, {"n4"}}},
        {"UpdateLinks",
         "CREATE TRIGGER t BEFORE UPDATE ON LINKS WHEN NEW.LINK='boom' BEGIN SELECT RAISE(ABORT,'boom'); END;",
         [] {
             LinkItems = {LinkItem(1, 0, 0, "L1", "D1"), LinkItem(2, 0, 0, "boom", "D2"),
                          LinkItem(3, 0, 0, "L3", "D3")};
         },
         [](SQLiteClass& s) { return s.UpdateLinks(); },
         "select ID, CAT_ID, POS, LINK, DESCR from LINKS where ID <= 3 order by ID",
         {{"1", "1", "2", "L1", "D1"}, {"2", "1", "0", "boom", "D2"}, {"3", "2", "5", "L3", "D3"}}},
        {"UpdateCategories",
         "CREATE TRIGGER t BEFORE UPDATE ON CATEGS WHEN NEW.NAME='boom' BEGIN SELECT RAISE(ABORT,'boom'); END;",
         [] {
             CatItems = {CatItem(1, 9, "N1", "D1"), CatItem(2, 9, "boom", "D2"), CatItem(3, 9, "N3", "D3")};
         },
         [](SQLiteClass& s) { return s.UpdateCategories(); },
         "select ID, POS, NAME, DESCR from CATEGS order by ID",
         {{"1", "2", "N1", "D1"}, {"2", "0", "boom", "D2"}, {"3", "1", "N3", "D3"}}},
        {"SaveCategoryPositions",
         "CREATE TRIGGER t BEFORE UPDATE ON CATEGS WHEN OLD.NAME='Dom' BEGIN SELECT RAISE(ABORT,'boom'); END;",
         [] {
             CatItems = {CatItem(1, 10, "", ""), CatItem(2, 11, "", ""), CatItem(3, 12, "", "")};
         },
         [](SQLiteClass& s) { return s.SaveCategoryPositions(); },
         "select ID, POS, NAME from CATEGS order by ID",
         {{"1", "10", "Praca"}, {"2", "11", "Dom"}, {"3", "12", "Gry"}}},
        {"DeleteCategories",
         "CREATE TRIGGER t BEFORE DELETE ON CATEGS WHEN OLD.NAME='Dom' BEGIN SELECT RAISE(ABORT,'boom'); END;",
         [] {
             CatItems = {CatItem(1, 0, "", ""), CatItem(2, 0, "", ""), CatItem(3, 0, "", "")};
         },
         [](SQLiteClass& s) { return s.DeleteCategories(); },
         "select 'C', ID from CATEGS union all select 'L', ID from LINKS order by 1, 2",
         {{"L", "4"}}},
        {"DeleteLinks",
         "CREATE TRIGGER t BEFORE DELETE ON LINKS WHEN OLD.LINK='Alfa' BEGIN SELECT RAISE(ABORT,'boom'); END;",
         [] {
             LinkItems = {LinkItem(1, 0, 0, "", ""), LinkItem(2, 0, 0, "", ""), LinkItem(3, 0, 0, "", "")};
         },
         [](SQLiteClass& s) { return s.DeleteLinks(); },
         "select ID from LINKS order by ID",
         {{"4"}, {"5"}}},
        {"SaveLinkCategories",
         "CREATE TRIGGER t BEFORE UPDATE ON LINKS WHEN OLD.LINK='Alfa' BEGIN SELECT RAISE(ABORT,'boom'); END;",
         [] {
             LinkItems = {LinkItem(1, 3, 5, "", ""), LinkItem(2, 3, 6, "", ""), LinkItem(3, 3, 7, "", "")};
         },
         [](SQLiteClass& s) { return s.SaveLinkCategories(); },
         "select ID, CAT_ID, POS from LINKS where ID <= 3 order by ID",
         {{"1", "3", "5"}, {"2", "3", "6"}, {"3", "3", "7"}}},
        {"SaveChangedLinkPositions",
         "CREATE TRIGGER t BEFORE UPDATE ON LINKS WHEN OLD.LINK='Alfa' BEGIN SELECT RAISE(ABORT,'boom'); END;",
         [] {
             LinkItems = {LinkItem(1, 0, 8, "", ""), LinkItem(2, 0, 9, "", ""), LinkItem(3, 0, 10, "", "")};
         },
         [](SQLiteClass& s) { return s.SaveChangedLinkPositions(); },
         "select ID, CAT_ID, POS from LINKS where ID <= 3 order by ID",
         {{"1", "1", "8"}, {"2", "1", "9"}, {"3", "2", "10"}}},
    };
    s->Close();
    const std::string seed = ReadFile(db);
    enum class Fault { None, RefusedRow, ReadOnly };
    const struct {
        Fault fault;
        const char* name;
        std::vector<std::string> messages;
    } faults[] = {
        {Fault::None, "succeeding", {}},
        {Fault::RefusedRow, "one row refused", {"boom"}},
        {Fault::ReadOnly, "read-only catalogue", {"attempt to write a readonly database"}},
    };
    for (const auto& c : cases) {
        for (const auto& f : faults) {
            SCOPED_TRACE(std::string(c.name) + ", " + f.name);
            WriteFile(db, seed);
            if (f.fault == Fault::RefusedRow)
                X(c.trigger);
            if (f.fault == Fault::ReadOnly) {
                ASSERT_TRUE(cataloguefaults::MakeReadOnly(db));
            }
            const Rows before = Dump(db);
            messages.clear();
            CatItems.clear();
            LinkItems.clear();
            SQLiteClass store(db);
            ASSERT_EQ(store.Open(), 0);
            c.fill();
            const unsigned counter = ChangeCounter(db);

            EXPECT_EQ(c.write(store), f.fault == Fault::None ? 0 : 1);

            // Seen from another connection while this one is still open: the
            // whole write is committed, or nothing of it is, and no
            // transaction is left open.
            if (f.fault == Fault::None) {
                EXPECT_EQ(Q(c.check), c.ok);
                EXPECT_EQ(ChangeCounter(db), counter + 1);
            } else {
                EXPECT_EQ(Dump(db), before);
                EXPECT_EQ(ChangeCounter(db), counter);
            }
            EXPECT_TRUE(sqlite3_get_autocommit(store.db));
            EXPECT_EQ(CanWrite(db), f.fault != Fault::ReadOnly);
            EXPECT_TRUE(store.IsOpen());
            EXPECT_EQ(messages.texts(), f.messages);
            store.Close();
        }
    }
}

// A write that appends after the largest position but cannot start (another
// program holds the lock) renumbers nothing, neither then nor in a later
// write on the same connection.
TEST_F(QueriesTest, AnAppendThatFailsLeavesNothingForTheNextWrite)
{
    X("update LINKS set POS=2147483647 where ID=1");
    const Rows before = Q("select ID, POS from LINKS order by ID");
    s->ParseLinkLines({LinkLine(-1, 0, 0, "new", "")});
    {
        WriteLock lock(db);
        EXPECT_EQ(s->InsertLinksAtEnd(1), 1);
    }
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"database is locked"});
    ASSERT_TRUE(s->IsOpen());
    s->ClearBuffers();
    s->ParseLinkLines({LinkLine(4, 0, 1, "delta2", "beta")});
    EXPECT_EQ(s->UpdateLinks(), 0);
    EXPECT_EQ(Q("select ID, POS from LINKS order by ID"), before);
    EXPECT_EQ(Q("select LINK from LINKS where ID=4"), (Rows{{"delta2"}}));
}
