// Import of an unpacked legacy catalogue folder.
#include <gtest/gtest.h>

#include "store/Db_funcs.h"
#include "store/Db_sqlite.h"
#include "tests/store/TestSupport.h"

using namespace storetest;

namespace {

class LegacyTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        temp = dir + "temp/";
        legacy = temp + run;
    }
    // Three categories; kat0 holds the uncategorised links and kat1 to kat3 the
    // links of the three category lines; kat4 lies beyond them. Windows line ends.
    void MakeLegacy()
    {
        MakeFiles(
            legacy,
            {
                {"kategorie", "<n>Praca</n><x>ignored</x>\r\n<n>Dom's</n>\r\n<n>" + Cp1250("Gry łódź") + "</n>\r\n"},
                {"kat0", "<n>http://u0</n><o>bez</o>\r\n<n>http://u1</n>\r\n"},
                {"kat1", "<n>http://it's.pl</n><o>it's &amp; more</o>\r\n"},
                {"kat2", "<n>d0</n><o>o0</o>\r\n<n>d1</n><o>&lt;b&gt;</o>\r\n<n>d2</n>\r\n"},
                {"kat3", "<n>g0</n>\r\n"},
                {"kat4", "<n>never</n>\r\n"},
                {"other.txt", "x"},
            });
    }
    Rows Links() const { return Q("select CAT_ID, POS, LINK, DESCR from LINKS order by CAT_ID, POS"); }

    const std::string run = "dovratemp_202401011200/";
    std::string temp, legacy;
};

}  // namespace

TEST_F(LegacyTest, ImportsIntoAnEmptyCatalogue)
{
    MakeLegacy();
    ASSERT_EQ(DbImportLegacyFolder(dir, temp, run), DbOk);
    EXPECT_EQ(Q("select ID, POS, NAME, DESCR from CATEGS order by ID"),
              (Rows{{"1", "1", "Praca", ""}, {"2", "2", "Dom's", ""}, {"3", "3", Cp1250("Gry łódź"), ""}}));
    EXPECT_EQ(Links(),
              (Rows{{"0", "0", "http://u0", "bez"},
                    {"0", "1", "http://u1", ""},
                    {"1", "0", "http://its.pl", "it's &amp; more"},
                    {"2", "0", "d0", "o0"},
                    {"2", "1", "d1", "&lt;b&gt;"},
                    {"2", "2", "d2", ""},
                    {"3", "0", "g0", ""}}));
    EXPECT_FALSE(PathExists(legacy));
    EXPECT_TRUE(PathExists(temp));
    EXPECT_EQ(OpenHandles(db), 0);
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(LegacyTest, LinksJoinTheirOwnCategoriesInAFilledCatalogue)
{
    Seed("insert into CATEGS values(1,0,'Stare',''); insert into CATEGS values(2,1,'Inne','');"
         "insert into LINKS values(1,1,0,'old','');");
    MakeLegacy();
    ASSERT_EQ(DbImportLegacyFolder(dir, temp, run), DbOk);
    EXPECT_EQ(Q("select ID, POS, NAME from CATEGS order by ID"),
              (Rows{{"1", "0", "Stare"},
                    {"2", "1", "Inne"},
                    {"3", "1", "Praca"},
                    {"4", "2", "Dom's"},
                    {"5", "3", Cp1250("Gry łódź")}}));
    EXPECT_EQ(Links(),
              (Rows{{"0", "0", "http://u0", "bez"},
                    {"0", "1", "http://u1", ""},
                    {"1", "0", "old", ""},
                    {"3", "0", "http://its.pl", "it's &amp; more"},
                    {"4", "0", "d0", "o0"},
                    {"4", "1", "d1", "&lt;b&gt;"},
                    {"4", "2", "d2", ""},
                    {"5", "0", "g0", ""}}));
}

TEST_F(LegacyTest, ReadsTheFolderIntoTheBuffersAndRemovesIt)
{
    MakeFiles(legacy,
              {{"kategorie", "<n>A</n>\n\n<n>C</n>\n"},  // an empty line is a category too
               {"kat0", "<n>a</n>\n<n>b</n>\n"},
               {"kat1", "<n>c</n>\n<n>d</n>\n<n>e</n>\n"},
               {"kat3", "<n>f</n>\n"}});  // kat2 is missing
    MakeFiles(legacy + "sub/", {{"deep", "x"}});
    SQLiteClass s(db);
    CatItems = {CatItem(9, 9, "stale", "")};
    s.ImportLegacyFolder(temp, run);

    ASSERT_EQ(CatItems.size(), 3u);
    EXPECT_EQ(CatItems[0].name, "A");
    EXPECT_EQ(CatItems[1].name, "");
    EXPECT_EQ(CatItems[2].name, "C");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(CatItems[i].pos, i + 1);
        EXPECT_EQ(CatItems[i].descr, "");
    }
    ASSERT_EQ(LinkItems.size(), 6u);
    const char* texts[] = {"a", "b", "c", "d", "e", "f"};
    const int positions[] = {0, 1, 0, 1, 2, 0};
    for (int j = 0; j < 6; ++j) {
        SCOPED_TRACE(j);
        EXPECT_EQ(LinkItems[j].id, j + 1);  // numbered across the files
        EXPECT_EQ(LinkItems[j].link, texts[j]);
        EXPECT_EQ(LinkItems[j].pos, positions[j]);
    }
    EXPECT_EQ(LinkItems[0].catId, 0);
    EXPECT_EQ(LinkItems[1].catId, 0);
    EXPECT_FALSE(PathExists(legacy));
    EXPECT_FALSE(PathExists(db));  // no database is touched
}

TEST_F(LegacyTest, WithoutCategoryFileNothingIsReadAndTheFolderStays)
{
    MakeFiles(legacy, {{"kat0", "<n>a</n>\n"}});
    SQLiteClass s(db);
    CatItems = {CatItem(9, 9, "stale", "")};
    LinkItems = {LinkItem(9, 9, 9, "stale", "")};
    s.ImportLegacyFolder(temp, run);
    EXPECT_TRUE(CatItems.empty());
    EXPECT_TRUE(LinkItems.empty());
    EXPECT_TRUE(PathExists(legacy + "kat0"));

    Seed("insert into CATEGS values(1,0,'A','')");
    const Rows before = Dump(db);
    EXPECT_EQ(DbImportLegacyFolder(dir, temp, run), DbOk);
    EXPECT_EQ(DbImportLegacyFolder(dir, temp, "missing/"), DbOk);
    EXPECT_EQ(Dump(db), before);

    TempFolder fresh;  // a new catalogue is still created
    EXPECT_EQ(DbImportLegacyFolder(fresh.path(), temp, "missing/"), DbOk);
    EXPECT_EQ(Sql(fresh.path() + "dovra.db", "select count(*) from sqlite_master"), (Rows{{"3"}}));
}

TEST_F(LegacyTest, NulBytesAreDroppedAsTheFilesAreRead)
{
    // A NUL would end the text in the inserts' SQL: dropped, the rest kept.
    const std::string nul(1, '\0');
    MakeFiles(legacy,
              {{"kategorie", "<n>Pr" + nul + "aca</n>\r\n"},
               {"kat1", "<n>http://a" + nul + "b/after-nul</n><o>o" + nul + "pis</o>" + nul + "\r\n"}});
    ASSERT_EQ(DbImportLegacyFolder(dir, temp, run), DbOk);
    EXPECT_EQ(Q("select NAME, length(cast(NAME as blob)) from CATEGS"), (Rows{{"Praca", "5"}}));
    EXPECT_EQ(Q("select LINK, length(cast(LINK as blob)), DESCR, length(cast(DESCR as blob)) from LINKS"),
              (Rows{{"http://ab/after-nul", "19", "opis", "4"}}));
}
