// The connection: opening and creating the catalogue, statements, queries,
// row callbacks and the schema version.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/Cp1250.h"
#include "store/Db_sqlite.h"
#include "tests/store/TestSupport.h"

using namespace storetest;

namespace {

const char* const kNotADatabase = "file is not a database";

class ConnectionTest : public StoreTest {};

}  // namespace

TEST_F(ConnectionTest, OpenCreatesTheThreeTablesAndNothingElse)
{
    SQLiteClass s(db);
    ASSERT_EQ(s.Open(), 0);
    EXPECT_TRUE(s.IsOpen());
    EXPECT_EQ(s.Close(), 0);
    EXPECT_EQ(OpenHandles(db), 0);

    EXPECT_EQ(Q("select type, name, sql from sqlite_master order by name"),
              (Rows{{"table", "CATEGS", "CREATE TABLE CATEGS(ID INTEGER PRIMARY KEY,POS INTEGER,NAME TEXT,DESCR TEXT)"},
                    {"table", "DB_VER", "CREATE TABLE DB_VER(ID INTEGER PRIMARY KEY,DB_VERSION INTEGER)"},
                    {"table", "LINKS",
                     "CREATE TABLE LINKS(ID INTEGER PRIMARY KEY,CAT_ID INTEGER,POS INTEGER,LINK TEXT,DESCR TEXT)"}}));
    EXPECT_EQ(Q("select count(*) from DB_VER"), (Rows{{"0"}}));
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(ConnectionTest, OpenLeavesAnExistingCatalogueAsItIs)
{
    Seed("insert into CATEGS values(4,2,'A','a'); insert into LINKS values(9,4,1,'x','y');"
         "insert into DB_VER values(1,1);");
    const std::string before = ReadFile(db);
    SQLiteClass s(db);
    ASSERT_EQ(s.Open(), 0);
    s.Close();
    EXPECT_EQ(ReadFile(db), before);
}

TEST_F(ConnectionTest, OpenOnAFileThatIsNoDatabaseFailsWithOneMessage)
{
    const std::string garbage(4096, '\x5A');
    WriteFile(db, garbage);
    SQLiteClass s(db);
    EXPECT_EQ(s.Open(), 1);
    EXPECT_FALSE(s.IsOpen());
    EXPECT_EQ(OpenHandles(db), 0);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{std::string(kNotADatabase) + "\n" + db});
    EXPECT_EQ(ReadFile(db), garbage);
}

// A catalogue that cannot be reached is never silent: SQLite's message and
// the file's path, as the file stands on the disk (UTF-8) shown in the
// program's code page.
TEST_F(ConnectionTest, OpenThatCannotReachTheFileShowsWhichFile)
{
    const std::string missing = dir + "brak/żółw/dovra.db";
    SQLiteClass s(missing);
    EXPECT_EQ(s.Open(), 1);
    EXPECT_FALSE(s.IsOpen());
    EXPECT_EQ(messages.texts(),
              std::vector<std::string>{"unable to open database file\n" + platform::Utf8ToCp1250(missing)});
    EXPECT_FALSE(PathExists(dir + "brak"));
}

TEST_F(ConnectionTest, ExecStopsAtTheFailingStatementAndStaysOpen)
{
    SQLiteClass s(db);
    ASSERT_EQ(s.Open(), 0);
    EXPECT_EQ(s.Exec("insert into CATEGS values(1,0,'a','');"
                     "insert into NOSUCH values(1);"
                     "insert into CATEGS values(2,0,'b','');"),
              1);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"no such table: NOSUCH"});
    EXPECT_TRUE(s.IsOpen());
    EXPECT_EQ(Q("select ID from CATEGS"), (Rows{{"1"}}));
    EXPECT_EQ(s.Exec("insert into CATEGS values(3,0,'c','')"), 0);
    s.Close();
    EXPECT_EQ(Q("select ID from CATEGS order by ID"), (Rows{{"1"}, {"3"}}));
}

TEST_F(ConnectionTest, FailedQueryShowsMessageClosesAndKeepsBuffer)
{
    for (bool links : {false, true}) {
        SCOPED_TRACE(links ? "QueryLinks" : "QueryCategories");
        messages.clear();
        CatItems = {CatItem(1, 1, "before", "")};
        LinkItems = {LinkItem(1, 1, 1, "before", "")};
        SQLiteClass s(db);
        ASSERT_EQ(s.Open(), 0);
        X("DROP TABLE LINKS");  // from another connection, while this one is open
        const int result = links ? s.QueryLinks("select * from LINKS") : s.QueryCategories("select * from LINKS");
        EXPECT_EQ(result, 1);
        EXPECT_EQ(messages.texts(), std::vector<std::string>{"no such table: LINKS"});
        EXPECT_FALSE(s.IsOpen());
        EXPECT_EQ(OpenHandles(db), 0);
        EXPECT_EQ(CatItems.size(), 1u);
        EXPECT_EQ(LinkItems.size(), 1u);
    }
}

TEST_F(ConnectionTest, RowCallbacksReadNullAndNonNumbersAsZero)
{
    Seed("insert into CATEGS values(1,NULL,NULL,'d'); insert into CATEGS values(2,'x','n',NULL);"
         "insert into LINKS values(1,NULL,NULL,'l',NULL); insert into LINKS values(2,'abc','12x',NULL,'d');"
         "insert into LINKS values(3,-4,'',' ','');");
    SQLiteClass s(db);
    ASSERT_EQ(s.Open(), 0);
    ASSERT_EQ(s.QueryCategories("select * from CATEGS order by ID"), 0);
    ASSERT_EQ(s.QueryLinks("select * from LINKS order by ID"), 0);
    s.Close();

    ASSERT_EQ(CatItems.size(), 2u);
    EXPECT_EQ(CatItems[0].pos, 0);
    EXPECT_EQ(CatItems[0].name, "");
    EXPECT_EQ(CatItems[0].descr, "d");
    EXPECT_EQ(CatItems[1].pos, 0);
    EXPECT_EQ(CatItems[1].descr, "");
    ASSERT_EQ(LinkItems.size(), 3u);
    EXPECT_EQ(LinkItems[0].catId, 0);
    EXPECT_EQ(LinkItems[0].pos, 0);
    EXPECT_EQ(LinkItems[0].descr, "");
    EXPECT_EQ(LinkItems[1].catId, 0);
    EXPECT_EQ(LinkItems[1].pos, 0);
    EXPECT_EQ(LinkItems[1].link, "");
    EXPECT_EQ(LinkItems[2].catId, -4);
    EXPECT_EQ(LinkItems[2].pos, 0);
    EXPECT_EQ(LinkItems[2].link, " ");
}

TEST_F(ConnectionTest, RowCallbacksTakeColumnsByPosition)
{
    const char* cat[] = {"5", nullptr, "name", nullptr};
    EXPECT_EQ(CategoryRowCallback(nullptr, 4, const_cast<char**>(cat), nullptr), 0);
    const char* link[] = {"6", "-2", "x", nullptr, "descr"};
    EXPECT_EQ(LinkRowCallback(nullptr, 5, const_cast<char**>(link), nullptr), 0);
    ASSERT_EQ(CatItems.size(), 1u);
    EXPECT_EQ(CatItems[0].id, 5);
    EXPECT_EQ(CatItems[0].pos, 0);
    EXPECT_EQ(CatItems[0].name, "name");
    EXPECT_EQ(CatItems[0].descr, "");
    ASSERT_EQ(LinkItems.size(), 1u);
    EXPECT_EQ(LinkItems[0].id, 6);
    EXPECT_EQ(LinkItems[0].catId, -2);
    EXPECT_EQ(LinkItems[0].pos, 0);
    EXPECT_EQ(LinkItems[0].link, "");
    EXPECT_EQ(LinkItems[0].descr, "descr");
}

TEST_F(ConnectionTest, GetDbVersionReadsTheStoredVersion)
{
    struct Case {
        const char* setup;
        int version;
    } cases[] = {
        {"", 1},  // no row: version 1
        {"insert into DB_VER values(1,0)", 0},
        {"insert into DB_VER values(1,NULL)", 0},
        {"insert into DB_VER values(1,'abc')", 0},
        {"insert into DB_VER values(1,2)", 2},
        {"insert into DB_VER values(2,5)", 1},  // only the row with ID 1 counts
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setup);
        X("DROP TABLE IF EXISTS DB_VER");
        Seed(c.setup);
        CatItems.clear();
        SQLiteClass s(db);
        ASSERT_EQ(s.Open(), 0);
        EXPECT_EQ(s.GetDbVersion(), 0);
        EXPECT_EQ(s.dbVersion, c.version);
        s.Close();
    }
}

TEST_F(ConnectionTest, SetDbVersionInsertsOrReplacesRowOne)
{
    SQLiteClass s(db);
    ASSERT_EQ(s.Open(), 0);
    EXPECT_EQ(s.SetDbVersion(1), 0);
    EXPECT_EQ(Q("select * from DB_VER"), (Rows{{"1", "1"}}));
    X("update DB_VER set DB_VERSION=0");
    EXPECT_EQ(s.SetDbVersion(1), 0);
    EXPECT_EQ(Q("select * from DB_VER"), (Rows{{"1", "1"}}));
    s.Close();
}

namespace {

// An array of n column texts that ends where an inaccessible page begins, so
// reading one entry past it faults at once.
char** GuardedColumns(const std::vector<const char*>& columns)
{
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    void* block = mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        return nullptr;
    mprotect(static_cast<char*>(block) + page, page, PROT_NONE);
    char** values = reinterpret_cast<char**>(static_cast<char*>(block) + page) - columns.size();
    for (size_t i = 0; i < columns.size(); ++i)
        values[i] = const_cast<char*>(columns[i]);
    return values;
}

}  // namespace

// A catalogue file whose tables have fewer columns than the store's (a foreign
// or damaged file) must not make the callbacks read past the row SQLite gives
// them; the missing columns read as NULL would.
TEST(RowCallbacks, ReadOnlyTheColumnsTheyAreGiven)
{
    EXPECT_EXIT(
        {
            CatItems.clear();
            LinkItems.clear();
            char** link = GuardedColumns({"6", "2", "3"});
            char** cat = GuardedColumns({"5", "1"});
            if (!link || !cat)
                std::_Exit(2);
            LinkRowCallback(nullptr, 3, link, nullptr);
            CategoryRowCallback(nullptr, 2, cat, nullptr);
            const bool ok = LinkItems.size() == 1 && LinkItems[0].id == 6 && LinkItems[0].pos == 3 &&
                LinkItems[0].link.empty() && LinkItems[0].descr.empty() && CatItems.size() == 1 &&
                CatItems[0].pos == 1 && CatItems[0].name.empty();
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(ConnectionTest, ATableWithFewerColumnsReadsTheMissingOnesAsEmpty)
{
    X("CREATE TABLE LINKS(ID INTEGER PRIMARY KEY, CAT_ID, POS); insert into LINKS values(1,1,0);"
      "CREATE TABLE CATEGS(ID INTEGER PRIMARY KEY, POS); insert into CATEGS values(4,2);");
    EXPECT_EXIT(
        {
            SQLiteClass s(db);
            if (s.Open() != 0 || s.GetLinks(1) != 0 || s.GetCategories() != 0)
                std::_Exit(3);
            s.Close();
            const bool ok = LinkItems.size() == 1 && LinkItems[0].link.empty() && CatItems.size() == 1 &&
                CatItems[0].id == 4 && CatItems[0].name.empty();
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
