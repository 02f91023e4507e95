// The link commands on the shown category: add, change, describe, delete,
// copy and open, checked against the list, the boxes asked, the clipboard,
// the opener and the rows of the catalogue file.
#include <QAction>
#include <QtTest>

#include "platform/Clipboard.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "tests/window/WindowFixture.h"

using platform::BoxAnswer;
using platform::BoxKind;

namespace {

// The link's row as stored: CAT_ID, POS, LINK, DESCR.
std::vector<std::string> StoredLink(WindowFixture& fx, int id)
{
    const auto rows = fx.Query("SELECT CAT_ID, POS, LINK, DESCR FROM LINKS WHERE ID = " + std::to_string(id));
    return rows.empty() ? std::vector<std::string>{} : rows.front();
}

int StoredLinkCount(WindowFixture& fx)
{
    return std::stoi(fx.Query("SELECT COUNT(*) FROM LINKS").front().front());
}

}  // namespace

class LinkCommandsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;
    int news = 0, empty = 0;
    std::vector<int> newsLinks;
    platform::RecordingOpener* opened = nullptr;

    // Starts the window on the category row given, with a recording opener.
    TForm1& StartOn(int categoryRow)
    {
        TForm1& form = fx->Start();
        opened = &fx->RecordOpens();
        ChooseCategory(form, categoryRow);
        return form;
    }

private slots:
    void init()
    {
        fx = std::make_unique<WindowFixture>();
        news = fx->AddCategory("Wiadomości");
        empty = fx->AddCategory("Pusta");
        newsLinks = {fx->AddLink(news, "http://n1.pl", "Pierwszy"), fx->AddLink(news, "www.n2.pl", "Drugi"),
                     fx->AddLink(news, "ed2k://|file|łódź.avi|1|AB|/", "Trzeci")};
        fx->AddLink(0, "luźny", "");
    }
    void cleanup() { EndFixture(fx); }

    // ---- add

    void addsTheTypedLinkLast_data()
    {
        QTest::addColumn<int>("categoryRow");
        QTest::addColumn<QString>("expectedPos");
        QTest::newRow("after the largest position") << 1 << "4";
        QTest::newRow("empty category") << 2 << "1";
    }

    void addsTheTypedLinkLast()
    {
        QFETCH(int, categoryRow);
        QFETCH(QString, expectedPos);
        TForm1& form = StartOn(categoryRow);
        const int catId = form.SelectedCategoryId();
        // Typed exactly: blanks kept, tag text and "&" stored unchanged.
        const std::string typed = " http://x.pl/?a=1&b=<l>ż</l> ";
        fx->boxes.Script(BoxAnswer::Text(QString::fromStdString(typed)));
        form.Dodajnowylink1->trigger();

        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].kind, BoxKind::InputBox);
        QCOMPARE(asked[0].caption, QString::fromUtf8("Treść linku"));
        QCOMPARE(asked[0].text, QString::fromUtf8("Proszę podać treść linku : "));
        QCOMPARE(asked[0].value, QString());

        const auto rows = fx->Query("SELECT ID, CAT_ID, POS, LINK, DESCR FROM LINKS ORDER BY ID DESC LIMIT 1");
        QCOMPARE(rows.front(),
                 (std::vector<std::string>{rows.front()[0], std::to_string(catId), expectedPos.toStdString(), Cp(typed),
                                           ""}));
        const int count = form.ListBox1->Count();
        QCOMPARE(RowIds(*form.ListBox1).back(), std::stoi(rows.front()[0]));
        QCOMPARE(GetTagValue(form.ListBox1->Item(count - 1), "<l>"), Cp(typed));
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{0});
        QVERIFY(!form.Busy);
    }

    void addsAfterPositionsFromZero()
    {
        DbInsertLinks(
            fx->SettingsFolder(),
            {LinkLine(-1, empty, 0, "a", ""), LinkLine(-1, empty, 2, "c", ""), LinkLine(-1, empty, 1, "b", "")});
        TForm1& form = StartOn(2);
        fx->boxes.Script(BoxAnswer::Text("d"));
        form.Dodajnowylink1Click();
        fx->boxes.TakeAsked();
        QCOMPARE(fx->Query("SELECT POS FROM LINKS WHERE LINK = 'd'"), (WindowFixture::Rows{{"3"}}));
        QCOMPARE(GetTagValue(form.ListBox1->Item(3), "<l>"), std::string("d"));
    }

    // The last link at the largest position there is: the new one still
    // goes last, in the file and in the list, and no position wraps.
    void addsLastAfterTheLargestPosition()
    {
        DbInsertLinks(fx->SettingsFolder(),
                      {LinkLine(-1, empty, 2147483647, "ostatni", ""), LinkLine(-1, empty, 5, "pierwszy", "")});
        TForm1& form = StartOn(2);
        fx->boxes.Script(BoxAnswer::Text("nowy"));
        form.Dodajnowylink1Click();
        fx->boxes.TakeAsked();
        QCOMPARE(fx->Query("SELECT LINK FROM LINKS WHERE CAT_ID = " + std::to_string(empty) + " ORDER BY POS, ID"),
                 (WindowFixture::Rows{{"pierwszy"}, {"ostatni"}, {"nowy"}}));
        QCOMPARE(GetTagValue(form.ListBox1->Item(form.ListBox1->Count() - 1), "<l>"), std::string("nowy"));
    }

    void addStoresNothingWithoutAnAnswer_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("cancelled") << true;
        QTest::newRow("empty") << false;
    }

    void addStoresNothingWithoutAnAnswer()
    {
        QFETCH(bool, cancel);
        TForm1& form = StartOn(1);
        const auto before = ListLines(*form.ListBox1);
        form.ListBox1->SetSelectedRows({1, 2});
        fx->boxes.Script(cancel ? BoxAnswer::Cancel() : BoxAnswer::Text(""));
        form.Dodajnowylink1Click();
        QCOMPARE(fx->boxes.TakeAsked().size(), std::size_t(1));
        QCOMPARE(StoredLinkCount(*fx), 4);
        QCOMPARE(ListLines(*form.ListBox1), before);
        QCOMPARE(SelectedRows(*form.ListBox1), (std::vector<int>{1, 2}));  // not reloaded
        QVERIFY(!form.Busy);
    }

    void addFromTheTrayUnderAllCategoriesGoesToUncategorised()
    {
        // The uncategorised links end at position 5; "Wiadomości" has 1..3.
        DbInsertLinks(fx->SettingsFolder(), {LinkLine(-1, 0, 5, "piąty", "")});
        TForm1& form = StartOn(3);  // "Wszystkie"
        QCOMPARE(form.SelectedCategoryId(), -1);
        QVERIFY(form.Dodajnowylink2->isEnabled());
        fx->boxes.Script(BoxAnswer::Text("http://z-zasobnika.pl"));
        form.Dodajnowylink2->trigger();
        fx->boxes.TakeAsked();

        QCOMPARE(fx->Query("SELECT CAT_ID, POS FROM LINKS WHERE LINK = 'http://z-zasobnika.pl'"),
                 (WindowFixture::Rows{{"0", "6"}}));
        QCOMPARE(form.ListBox1->Count(), 6);  // still all links shown
        ChooseCategory(form, 0);
        QCOMPARE(GetTagValue(form.ListBox1->Item(form.ListBox1->Count() - 1), "<l>"),
                 std::string("http://z-zasobnika.pl"));
    }

    void linksOfAnOldCatalogueWithoutCategoryStillShowUnderAllCategories()
    {
        DbInsertLinks(fx->SettingsFolder(), {LinkLine(-1, -1, 1, "sierota", "")});
        TForm1& form = StartOn(3);
        const auto lines = ListLines(*form.ListBox1);
        QVERIFY(std::any_of(lines.begin(), lines.end(),
                            [](const std::string& l) { return GetTagValue(l, "<l>") == "sierota"; }));
    }

    // ---- change the link

    void changesTheFocusedLinkEvenUnselected()
    {
        TForm1& form = StartOn(1);
        SelectLinkRows(form, {0}, 2);
        fx->boxes.Script(BoxAnswer::Text("http://nowy.pl/?a&b</l>"));
        form.Zmielink1Click();

        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].kind, BoxKind::InputQuery);
        QCOMPARE(asked[0].caption, QString::fromUtf8("Zmiana linku"));
        QCOMPARE(asked[0].text, QString::fromUtf8("Podaj nową treść linku : "));
        QCOMPARE(asked[0].value, QString::fromUtf8("ed2k://|file|łódź.avi|1|AB|/"));

        QCOMPARE(StoredLink(*fx, newsLinks[2]),
                 (std::vector<std::string>{std::to_string(news), "3", "http://nowy.pl/?a&b</l>", "Trzeci"}));
        QCOMPARE(StoredLink(*fx, newsLinks[0])[2], std::string("http://n1.pl"));
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{2});
        QCOMPARE(GetTagValue(form.ListBox1->Item(2), "<l>"), std::string("http://nowy.pl/?a&b</l>"));
        QVERIFY(!form.Busy);
    }

    void changeStoresAnEmptyTextAndCancelKeepsIt()
    {
        TForm1& form = StartOn(1);
        SelectLinkRows(form, {1}, 1);
        fx->boxes.Script(BoxAnswer::Cancel());
        form.Zmielink1Click();
        QCOMPARE(StoredLink(*fx, newsLinks[1])[2], std::string("www.n2.pl"));

        fx->boxes.Script(BoxAnswer::Text(""));
        form.Zmielink1Click();
        QCOMPARE(fx->boxes.TakeAsked().size(), std::size_t(2));
        QCOMPARE(StoredLink(*fx, newsLinks[1])[2], std::string());
        QVERIFY(!form.Busy);
    }

    void commandsOnTheFocusedRowOfAnEmptyListDoNothing()
    {
        TForm1& form = StartOn(2);
        QCOMPARE(form.ListBox1->Count(), 0);
        form.Zmielink1Click();  // nothing asked
        QVERIFY(!form.Busy);
        fx->boxes.Script(BoxAnswer::Text("opis"));
        form.Zmieopis1Click();
        QCOMPARE(fx->boxes.TakeAsked().size(), std::size_t(1));
        QVERIFY(!form.Busy);
        QCOMPARE(fx->Query("SELECT COUNT(*) FROM LINKS WHERE DESCR = 'opis'"), (WindowFixture::Rows{{"0"}}));
    }

    // ---- change the descriptions

    void describesAllSelectedLinksAtOnce()
    {
        const int fourth = fx->AddLink(news, "http://n4.pl", "Czwarty");
        TForm1& form = StartOn(1);
        SelectLinkRows(form, {0, 1, 3}, 1);
        fx->boxes.Script(BoxAnswer::Text("wspólny & <d>opis</d>"));
        form.Zmieopis1->trigger();

        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].kind, BoxKind::InputQuery);
        QCOMPARE(asked[0].caption, QString::fromUtf8("Zmiana opisu"));
        QCOMPARE(asked[0].text, QString::fromUtf8("Podaj nowy opis : "));
        QCOMPARE(asked[0].value, QString());

        const std::string descr = Cp("wspólny & <d>opis</d>");
        for (int id : {newsLinks[0], newsLinks[1], fourth})
            QCOMPARE(StoredLink(*fx, id)[3], descr);
        QCOMPARE(StoredLink(*fx, newsLinks[2])[3], std::string("Trzeci"));
        QCOMPARE(StoredLink(*fx, newsLinks[0])[2], std::string("http://n1.pl"));
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{1});
        QCOMPARE(GetTagValue(form.ListBox1->Item(3), "<d>"), descr);
        QVERIFY(!form.Busy);
    }

    void cancelledDescriptionChangesNothing()
    {
        TForm1& form = StartOn(1);
        SelectLinkRows(form, {0, 1}, 0);
        fx->boxes.Script(BoxAnswer::Cancel());
        form.Zmieopis1Click();
        fx->boxes.TakeAsked();
        QCOMPARE(StoredLink(*fx, newsLinks[0])[3], std::string("Pierwszy"));
        QCOMPARE(SelectedRows(*form.ListBox1), (std::vector<int>{0, 1}));
    }

    // ---- delete

    void deleteAsksWithEachLinkOnItsOwnLine()
    {
        TForm1& form = StartOn(1);
        SelectLinkRows(form, {0, 2}, 0);
        fx->boxes.Script(BoxAnswer::Button(platform::IdNo));
        form.Usutenlink1Click();
        auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].kind, BoxKind::MessageBox);
        QCOMPARE(asked[0].text,
                 QString::fromUtf8("Czy napewno usunąć link(i) :\nhttp://n1.pl\ned2k://|file|łódź.avi|1|AB|/"));
        QCOMPARE(asked[0].caption, QString::fromUtf8("Zapytanie"));
        QCOMPARE(asked[0].flags, 0x34u);
        QCOMPARE(StoredLinkCount(*fx), 4);
        QCOMPARE(form.ListBox1->Count(), 3);

        fx->boxes.Script(BoxAnswer::Button(platform::IdYes));
        form.Usutenlink1->trigger();
        fx->boxes.TakeAsked();
        QCOMPARE(RowIds(*form.ListBox1), std::vector<int>{newsLinks[1]});
        QVERIFY(SelectedRows(*form.ListBox1).empty());
        QCOMPARE(fx->Query("SELECT ID FROM LINKS WHERE CAT_ID = " + std::to_string(news)),
                 (WindowFixture::Rows{{std::to_string(newsLinks[1])}}));
        QVERIFY(!form.Busy);
    }

    void deleteWithNothingSelectedAsksNothing()
    {
        TForm1& form = StartOn(1);
        form.ListBox1->SetSelectedRows({});
        form.Usutenlink1Click();
        QCOMPARE(StoredLinkCount(*fx), 4);
        QVERIFY(!form.Busy);
    }

    // ---- copy

    void copiesLinksAndRemembersThemAsImported()
    {
        TForm1& form = StartOn(1);
        SelectLinkRows(form, {0, 1, 2}, 0);
        form.Kopiujlinkdoschowka1->trigger();
        const std::string third = Cp("ed2k://|file|łódź.avi|1|AB|/");
        QCOMPARE(SystemClipboardText(), "http://n1.pl\nwww.n2.pl\n" + third);
        QCOMPARE(form.LastImport, (std::vector<std::string>{"http://n1.pl", "www.n2.pl", third}));

        SelectLinkRows(form, {1}, 1);
        form.Kopiujlinkdoschowka1Click();
        QCOMPARE(SystemClipboardText(), std::string("www.n2.pl"));
        QCOMPARE(form.LastImport, std::vector<std::string>{"www.n2.pl"});
        QVERIFY(!form.Busy);
    }

    void copiesDescriptionsEachEndedByALineFeed()
    {
        fx->AddLink(empty, "a", "");
        fx->AddLink(empty, "b", "");
        TForm1& form = StartOn(2);
        form.LastImport = {"wcześniej"};
        SelectLinkRows(form, {0, 1}, 0);
        form.Kpiujzaznaczoneopisydoschowka1->trigger();
        QCOMPARE(SystemClipboardText(), std::string("\n\n"));

        ChooseCategory(form, 1);
        SelectLinkRows(form, {0, 2}, 0);
        form.Kpiujzaznaczoneopisydoschowka1Click();
        QCOMPARE(SystemClipboardText(), std::string("Pierwszy\nTrzeci\n"));
        QCOMPARE(form.LastImport, std::vector<std::string>{"wcześniej"});
    }

    void copyWithNothingSelectedLeavesTheClipboard()
    {
        TForm1& form = StartOn(1);
        SetSystemClipboardText("bez zmian");
        form.LastImport = {"x"};
        form.ListBox1->SetSelectedRows({});
        form.Kopiujlinkdoschowka1Click();
        form.Kpiujzaznaczoneopisydoschowka1Click();
        QCOMPARE(SystemClipboardText(), std::string("bez zmian"));
        QCOMPARE(form.LastImport, std::vector<std::string>{"x"});
    }

    // ---- open

    void enterOpensEverySelectedLinkInListOrder()
    {
        TForm1& form = StartOn(1);
        QVERIFY(ShowAndWait(form));
        form.ListBox1->setFocus();
        SelectLinkRows(form, {0, 1, 2}, 2);
        QTest::keyClick(form.ListBox1, Qt::Key_Return);
        QCOMPARE(opened->Opened(),
                 (QStringList{QStringLiteral("http://n1.pl"), QStringLiteral("http://www.n2.pl"),
                              QString::fromUtf8("ed2k://|file|łódź.avi|1|AB|/")}));
        QVERIFY(!form.Busy);

        opened->Clear();
        QTest::keyClick(form.ListBox1, Qt::Key_X);  // other keys open nothing
        QVERIFY(opened->Opened().isEmpty());
    }

    void doubleClickAndTheMenuOpenTheSelection()
    {
        TForm1& form = StartOn(1);
        QVERIFY(ShowAndWait(form));
        form.ListBox1->SetSelectedRows({});
        form.Otwrzlinkwdomylnympr1->trigger();
        QVERIFY(opened->Opened().isEmpty());

        // A double click: the first click selects the row, the second opens it.
        const QPoint row1 = form.ListBox1->RowRect(1).center();
        QTest::mouseClick(form.ListBox1->viewport(), Qt::LeftButton, {}, row1);
        QTest::mouseDClick(form.ListBox1->viewport(), Qt::LeftButton, {}, row1);
        QCOMPARE(opened->Opened(), QStringList{QStringLiteral("http://www.n2.pl")});
        QVERIFY(!form.Busy);

        // The double click event counts below the last row as well.
        opened->Clear();
        const QPoint below(row1.x(), form.ListBox1->RowRect(2).bottom() + 30);
        QTest::mouseDClick(form.ListBox1->viewport(), Qt::LeftButton, {}, below);
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{1});
        QCOMPARE(opened->Opened(), QStringList{QStringLiteral("http://www.n2.pl")});
    }

    void openAndCopyStayUnderAllCategories()
    {
        TForm1& form = StartOn(3);
        SelectLinkRows(form, {0}, 0);
        form.ToolButton5->trigger();
        form.ToolButton6->trigger();
        QCOMPARE(opened->Opened().size(), 1);
        QCOMPARE(form.LastImport.size(), std::size_t(1));
    }
};

QTEST_MAIN(LinkCommandsTest)
#include "LinkCommandsTest.moc"
