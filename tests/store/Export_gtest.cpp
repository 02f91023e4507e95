// The plain-text and HTML export bodies, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <sstream>
#include <streambuf>

#include "platform/OutputFile.h"
#include "store/Db_funcs.h"
#include "tests/store/TestSupport.h"

using namespace storetest;

namespace {

class ExportTest : public StoreTest {
protected:
    // A (POS 0) with x and y, B (POS 1) without links, no uncategorised link.
    void SeedAB()
    {
        Seed("insert into CATEGS values(1,0,'A','opis A'); insert into CATEGS values(2,1,'B','');"
             "insert into LINKS values(1,1,1,'y','');"
             "insert into LINKS values(2,1,0,'x','dx');");
    }
    std::string Text(int catId, int expected = DbOk)
    {
        std::ostringstream out;
        EXPECT_EQ(DbExportText(dir, out, catId), expected);
        EXPECT_EQ(OpenHandles(db), 0);
        return out.str();
    }
    std::string Html(int catId, int expected = DbOk)
    {
        std::ostringstream out;
        EXPECT_EQ(DbExportHtml(dir, out, catId), expected);
        EXPECT_EQ(OpenHandles(db), 0);
        return out.str();
    }
};

// A stream buffer that takes nothing.
class FailingBuf : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

}  // namespace

TEST_F(ExportTest, WholeCatalogue)
{
    SeedAB();
    EXPECT_EQ(Text(-1), "[Bez kategorii]\n[A]\nx\ny\n[B]\n");
    EXPECT_EQ(Html(-1),
              "<p>[Bez kategorii]</p>\n"
              "<p>[A]</p>\n"
              "<A href=\"x\">x</A> dx<br>\n"
              "<A href=\"y\">y</A> <br>\n"
              "<p>[B]</p>\n");
    EXPECT_TRUE(messages.texts().empty());
}

// The whole catalogue, category by category and each category's links as
// one query of its own reads them, as the text export writes them.
std::string TextByCategoryQueries(const Rows& categories, const std::function<Rows(const std::string&)>& query)
{
    std::string out;
    for (const Row& category : categories) {
        out += "[" + category[1] + "]\n";
        for (const Row& link :
             query("select coalesce(LINK,'') from LINKS where CAT_ID=" + category[0] + " order by POS"))
            out += link[0] + "\n";
    }
    return out;
}

TEST_F(ExportTest, TheWholeCatalogueInTheOrderOfOneQueryPerCategory)
{
    // Categories with equal, missing and text positions, empty ones, one
    // whose id is that of the uncategorised links; links with equal and
    // missing positions, links of no category, enough of them that SQLite
    // sorts them in several runs.
    unsigned seed = 12345;
    const auto next = [&seed](unsigned range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    std::string sql = "BEGIN;";
    const std::string positions[] = {"0", "1", "1", "2", "NULL", "'x'", "-3", "2"};
    for (int id = 0; id <= 14; ++id)
        sql += "insert into CATEGS values(" + std::to_string(id) + "," + positions[next(8)] + ",'K" +
            std::to_string(id) + "','');";
    for (int id = 1; id <= 40000; ++id) {
        const unsigned category = next(16);  // 13 to 15: none (13 and 14 stay empty), 15: NULL
        const std::string catId = category == 15 ? "NULL" : std::to_string(category <= 12 ? category : 90 + category);
        const std::string pos = next(50) == 0 ? "NULL" : std::to_string(next(12));
        sql += "insert into LINKS values(" + std::to_string(id) + "," + catId + "," + pos + ",'http://x.pl/" +
            std::to_string(id) + "/" + std::string(next(40), 'a') + "','d');";
    }
    Seed(sql + "COMMIT;");
    Rows categories = Q("select ID, NAME from CATEGS order by POS");
    categories.insert(categories.begin(), Row{"0", "Bez kategorii"});
    const auto query = [this](const std::string& q) { return Q(q); };
    const std::string whole = Text(-1);
    EXPECT_TRUE(whole == TextByCategoryQueries(categories, query));
    // One category: each record of that id (the uncategorised links and K0 for 0).
    for (const std::string catId : {"0", "3", "13"}) {
        SCOPED_TRACE(catId);
        Rows selected;
        std::copy_if(categories.begin(), categories.end(), std::back_inserter(selected),
                     [&](const Row& category) { return category[0] == catId; });
        EXPECT_TRUE(Text(std::stoi(catId)) == TextByCategoryQueries(selected, query));
    }
    EXPECT_TRUE(messages.texts().empty());
}

// A file written by something else, whose links lack the description
// column or have it in another place: the fourth and fifth columns are the
// link and its description, a missing one empty.
TEST_F(ExportTest, TheLinksFourthAndFifthColumnsAsStored)
{
    Seed("insert into CATEGS values(1,0,'A','');");
    X("drop table LINKS; create table LINKS(ID INTEGER PRIMARY KEY, CAT_ID, POS, \"a\"\"b\");"
      "insert into LINKS values(1,1,0,'u');");
    EXPECT_EQ(Html(1), "<p>[A]</p>\n<A href=\"u\">u</A> <br>\n");
    X("drop table LINKS; create table LINKS(ID INTEGER PRIMARY KEY, CAT_ID, POS, L, D, LINK, DESCR);"
      "insert into LINKS values(1,1,0,'l','d','x','y');");
    EXPECT_EQ(Html(1), "<p>[A]</p>\n<A href=\"l\">l</A> d<br>\n");
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(ExportTest, OneCategoryOrNone)
{
    SeedAB();
    X("insert into LINKS values(3,0,5,'u2','du2'); insert into LINKS values(4,0,1,'u1','');");
    EXPECT_EQ(Text(0), "[Bez kategorii]\nu1\nu2\n");
    EXPECT_EQ(Html(0), "<p>[Bez kategorii]</p>\n<A href=\"u1\">u1</A> <br>\n<A href=\"u2\">u2</A> du2<br>\n");
    EXPECT_EQ(Text(1), "[A]\nx\ny\n");
    EXPECT_EQ(Html(2), "<p>[B]</p>\n");
    for (int none : {99, -5}) {
        SCOPED_TRACE(none);
        EXPECT_EQ(Text(none), "");
        EXPECT_EQ(Html(none), "");
    }
}

TEST_F(ExportTest, HtmlEscapesMarkupAndTextDoesNot)
{
    const std::string link = "http://a.pl/?a=1&b=<2>\"'";
    const std::string descr = "<b>Tom & \"Jerry\"</b> it's";
    const std::string name = "R&D <\"x\">";
    const std::string lodz = Cp1250("łódź");
    Seed("insert into CATEGS values(1,0," + Quote(name) +
         ",'');"
         "insert into LINKS values(1,1,0," +
         Quote(link) + "," + Quote(descr) +
         ");"
         "insert into LINKS values(2,1,1," +
         Quote(lodz) + "," + Quote(lodz) + ");");
    EXPECT_EQ(Html(1),
              "<p>[R&amp;D &lt;&quot;x&quot;&gt;]</p>\n"
              "<A href=\"http://a.pl/?a=1&amp;b=&lt;2&gt;&quot;'\">http://a.pl/?a=1&amp;b=&lt;2&gt;&quot;'</A> "
              "&lt;b&gt;Tom &amp; &quot;Jerry&quot;&lt;/b&gt; it's<br>\n"
              "<A href=\"%C5%82%C3%B3d%C5%BA\">" +
                  lodz + "</A> " + lodz + "<br>\n");
    EXPECT_EQ(Text(1), "[" + name + "]\n" + link + "\n" + lodz + "\n");
}

TEST_F(ExportTest, TheHrefIsAnAddressThatABrowserOpens)
{
    // Only the address changes: the visible text stays the stored link
    // (escaped), the description as it was.
    const std::string markup = "http://x.pl/?a=1&b=\"c\"&d=<e>";
    const std::string markupEscaped = "http://x.pl/?a=1&amp;b=&quot;c&quot;&amp;d=&lt;e&gt;";
    const struct {
        const char* name;
        std::string link;
        std::string href;
        std::string text;
    } cases[] = {
        {"www. gets the scheme", "www.x.pl", "http://www.x.pl", "www.x.pl"},
        {"WWW. as well", "WWW.X.PL/a", "http://WWW.X.PL/a", "WWW.X.PL/a"},
        {"any www the opener opens", "Www2.x.pl", "http://Www2.x.pl", "Www2.x.pl"},
        {"a scheme of its own", "http://www.x.pl", "http://www.x.pl", "http://www.x.pl"},
        {"Polish letters as UTF-8", Cp1250("http://x.pl/żółw?q=ą"), "http://x.pl/%C5%BC%C3%B3%C5%82w?q=%C4%85",
         Cp1250("http://x.pl/żółw?q=ą")},
        {"an ed2k link", Cp1250("ed2k://|file|Zażółć gęślą.avi|734003200|0123456789ABCDEF0123456789ABCDEF|/"),
         "ed2k://|file|Za%C5%BC%C3%B3%C5%82%C4%87 g%C4%99%C5%9Bl%C4%85.avi|734003200|"
         "0123456789ABCDEF0123456789ABCDEF|/",
         Cp1250("ed2k://|file|Zażółć gęślą.avi|734003200|0123456789ABCDEF0123456789ABCDEF|/")},
        {"percent sequences stay", "http://x.pl/a%20b%C5%BC%zz", "http://x.pl/a%20b%C5%BC%zz",
         "http://x.pl/a%20b%C5%BC%zz"},
        {"www. and a letter", "www.x.pl/" + Cp1250("ł"), "http://www.x.pl/%C5%82", "www.x.pl/" + Cp1250("ł")},
        {"a byte the code page leaves undefined", "http://x.pl/\x98", "http://x.pl/%98", "http://x.pl/\x98"},
        {"markup still escaped", markup, markupEscaped, markupEscaped},
        {"www. and markup", "www.x.pl/?a&b", "http://www.x.pl/?a&amp;b", "www.x.pl/?a&amp;b"},
    };
    const std::string descr = Cp1250("opis ż & <b>");
    Seed("insert into CATEGS values(1,0,'A','');");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        X("delete from LINKS; insert into LINKS values(1,1,0," + Quote(c.link) + "," + Quote(descr) + ");");
        EXPECT_EQ(Html(1),
                  "<p>[A]</p>\n<A href=\"" + c.href + "\">" + c.text + "</A> " + Cp1250("opis ż") +
                      " &amp; &lt;b&gt;<br>\n");
        EXPECT_EQ(Text(1), "[A]\n" + c.link + "\n");
    }
}

TEST_F(ExportTest, AFailedLinkQueryEndsTheExport)
{
    // The links of category B cannot be read; A's alone can. The whole
    // catalogue's links are read in one pass, which fails before any byte
    // of the body is written.
    Seed("insert into CATEGS values(1,0,'A',''); insert into CATEGS values(2,1,'B','');"
         "insert into CATEGS values(3,2,'C','');"
         "insert into LINKS values(1,1,0,'x',''); insert into LINKS values(2,2,0,'y','');"
         "insert into LINKS values(3,3,0,'third-link','');"
         "ALTER TABLE LINKS RENAME TO L0;"
         "CREATE VIEW LINKS AS SELECT ID, CAT_ID, POS,"
         " CASE WHEN CAT_ID=2 THEN abs(-9223372036854775808) ELSE LINK END AS LINK, DESCR FROM L0;");
    for (bool html : {false, true}) {
        SCOPED_TRACE(html ? "html" : "text");
        messages.clear();
        const std::string out = html ? Html(-1, DbQueryFailed) : Text(-1, DbQueryFailed);
        EXPECT_EQ(out, "");
        EXPECT_EQ(out.find("[C]"), std::string::npos) << out;
        EXPECT_EQ(out.find("third-link"), std::string::npos) << out;
        EXPECT_EQ(messages.texts(), std::vector<std::string>{"integer overflow"});
        EXPECT_TRUE(CanWrite(db));
    }
    EXPECT_EQ(Text(1), "[A]\nx\n");
    EXPECT_EQ(Html(1), "<p>[A]</p>\n<A href=\"x\">x</A> <br>\n");
}

TEST_F(ExportTest, AStreamThatFailsToWriteThrowsOutOfTheFacade)
{
    SeedAB();
    for (bool exceptions : {false, true}) {
        for (bool html : {false, true}) {
            SCOPED_TRACE(std::string(html ? "html" : "text") + (exceptions ? " with" : " without") +
                         " stream exceptions");
            FailingBuf buf;
            std::ostream out(&buf);
            if (exceptions)
                out.exceptions(std::ios::badbit | std::ios::failbit);
            EXPECT_ANY_THROW(html ? DbExportHtml(dir, out, -1) : DbExportText(dir, out, -1));
            EXPECT_EQ(OpenHandles(db), 0);
            EXPECT_TRUE(CanWrite(db));
            Lines cats;
            EXPECT_EQ(DbGetCategories(dir, cats), DbOk);  // the store takes calls again
        }
    }
}

TEST_F(ExportTest, AFailedWriteIsTheStreamWriteError)
{
    SeedAB();
    FailingBuf buf;
    std::ostream out(&buf);
    try {
        DbExportText(dir, out, -1);
        ADD_FAILURE() << "no error";
    } catch (const EWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Stream write error");
    }
}
