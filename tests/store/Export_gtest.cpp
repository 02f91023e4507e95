// The plain-text and HTML export bodies, byte for byte.
#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>

#include "store/Db_funcs.h"
#include "platform/OutputFile.h"
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
    Seed("insert into CATEGS values(1,0," + Quote(name) + ",'');"
         "insert into LINKS values(1,1,0," + Quote(link) + "," + Quote(descr) + ");"
         "insert into LINKS values(2,1,1," + Quote(lodz) + "," + Quote(lodz) + ");");
    EXPECT_EQ(Html(1),
              "<p>[R&amp;D &lt;&quot;x&quot;&gt;]</p>\n"
              "<A href=\"http://a.pl/?a=1&amp;b=&lt;2&gt;&quot;'\">http://a.pl/?a=1&amp;b=&lt;2&gt;&quot;'</A> "
              "&lt;b&gt;Tom &amp; &quot;Jerry&quot;&lt;/b&gt; it's<br>\n"
              "<A href=\"" + lodz + "\">" + lodz + "</A> " + lodz + "<br>\n");
    EXPECT_EQ(Text(1), "[" + name + "]\n" + link + "\n" + lodz + "\n");
}

TEST_F(ExportTest, AFailedLinkQueryEndsTheExport)
{
    // The links of category B cannot be read; A before it can.
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
        const std::string start = html ? "<p>[Bez kategorii]</p>\n<p>[A]</p>\n<A href=\"x\">x</A> <br>\n"
                                       : "[Bez kategorii]\n[A]\nx\n";
        EXPECT_EQ(out.substr(0, start.size()), start);
        EXPECT_EQ(out.find("[C]"), std::string::npos) << out;
        EXPECT_EQ(out.find("third-link"), std::string::npos) << out;
        EXPECT_EQ(messages.texts(), std::vector<std::string>{"integer overflow"});
        EXPECT_TRUE(CanWrite(db));
    }
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
