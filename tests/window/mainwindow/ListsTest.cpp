// The category and link lists: loading, selection by id, choosing a
// category, and the link commands switched by the AllCategories row.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

#include "platform/Convert.h"
#include "store/Db_funcs.h"
#include "tests/window/WindowFixture.h"

namespace fs = std::filesystem;

namespace {

// The twenty-three components that AllCategories switches off, with how
// each shows it: hidden menu items, or disabled ones.
struct LinkCommand {
    const char* name;
    QAction* TForm1::*member;
    bool hides;
};

const std::vector<LinkCommand>& LinkCommands()
{
    static const std::vector<LinkCommand> commands = {
        {"Szukajlinkuwkategorii1", &TForm1::Szukajlinkuwkategorii1, false},
        {"Zmieopis1", &TForm1::Zmieopis1, true},
        {"Zmielink1", &TForm1::Zmielink1, true},
        {"Usutenlink1", &TForm1::Usutenlink1, true},
        {"Dodajlinkzeschowka1", &TForm1::Dodajlinkzeschowka1, true},
        {"Dodajnowylink1", &TForm1::Dodajnowylink1, true},
        {"Dodajlinkizpliku1", &TForm1::Dodajlinkizpliku1, true},
        {"Sortujlinkiwkategorii1", &TForm1::Sortujlinkiwkategorii1, true},
        {"Szukajpowtrek1", &TForm1::Szukajpowtrek1, true},
        {"Przeniewybranelinkidoinnejkategorii1", &TForm1::Przeniewybranelinkidoinnejkategorii1, true},
        {"Przesuzaznaczonelinkiwgr1", &TForm1::Przesuzaznaczonelinkiwgr1, true},
        {"Przesuzaznaczonelinkiwd1", &TForm1::Przesuzaznaczonelinkiwd1, true},
        {"ToolButton1", &TForm1::ToolButton1, false},
        {"ToolButton2", &TForm1::ToolButton2, false},
        {"ToolButton3", &TForm1::ToolButton3, false},
        {"ToolButton10", &TForm1::ToolButton10, false},
        {"ToolButton11", &TForm1::ToolButton11, false},
        {"ToolButton17", &TForm1::ToolButton17, false},
        {"ToolButton18", &TForm1::ToolButton18, false},
        {"ToolButton22", &TForm1::ToolButton22, false},
        {"ToolButton23", &TForm1::ToolButton23, false},
        {"ToolButton24", &TForm1::ToolButton24, false},
        {"ToolButton25", &TForm1::ToolButton25, false},
    };
    return commands;
}

// "" when every link command is in the given state, else the first that is not.
// (A hidden QAction also reports itself disabled: Qt hides it from its
// shortcuts too.)
QString LinkCommandsState(TForm1& form, bool on)
{
    for (const LinkCommand& command : LinkCommands()) {
        const QAction* action = form.*command.member;
        const bool visible = action->isVisible();
        const bool enabled = action->isEnabled();
        const bool ok = command.hides ? (visible == on && enabled == on) : (enabled == on && visible);
        if (!ok)
            return QStringLiteral("%1: visible %2 enabled %3").arg(command.name).arg(visible).arg(enabled);
    }
    return {};
}

// The actions that AllCategories leaves alone.
std::vector<QAction*> UntouchedCommands(TForm1& f)
{
    return {f.Otwrzlinkwdomylnympr1,
            f.Kopiujlinkdoschowka1,
            f.Kpiujzaznaczoneopisydoschowka1,
            f.Szukaj1,
            f.Doplikutekstowego1,
            f.DoplikuHTML1,
            f.Doplikutekstowego2,
            f.DoplikuHTML2,
            f.Monitorowanieschowka2,
            f.Opcjeprogramu1,
            f.Oprogramie1,
            f.Zamknij1,
            f.Dodajnowylink2,
            f.Dodajlinkizeschowka1,
            f.Dodajlinkizpliku2,
            f.ToolButton5,
            f.ToolButton6,
            f.ToolButton7,
            f.ToolButton13,
            f.ToolButton14,
            f.ToolButton16,
            f.ToolButton20,
            f.ToolButton29,
            f.Dodajnowkategori1,
            f.Kolejno1};
}

QPoint RowCentre(LineListBox& box, int row)
{
    return box.RowRect(row).center();
}

}  // namespace

class ListsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;
    int news = 0, sport = 0, empty = 0;
    std::vector<int> newsLinks, sportLinks;
    int loose = 0;

    void Seed()
    {
        news = fx->AddCategory("Wiadomości");
        sport = fx->AddCategory("Sport");
        empty = fx->AddCategory("Pusta");
        newsLinks = {fx->AddLink(news, "http://n1.pl", "N1"), fx->AddLink(news, "http://n2.pl", "N2"),
                     fx->AddLink(news, "http://n3.pl", "N3")};
        sportLinks = {fx->AddLink(sport, "www.s1.pl", "S1"), fx->AddLink(sport, "www.s2.pl", "S2")};
        loose = fx->AddLink(0, "luźny", "bez kategorii");
    }

private slots:
    void init()
    {
        fx = std::make_unique<WindowFixture>();
        Seed();
    }
    void cleanup() { EndFixture(fx); }

    void categoriesAreFramedByThePseudoCategories()
    {
        TForm1& form = fx->Start();
        QCOMPARE(RowIds(*form.ListBox2), (std::vector<int>{0, news, sport, empty, -1}));
        QCOMPARE(form.ListBox2->Item(0), std::string("<i>0</i><p>0</p><n>Bez kategorii</n><d>Bez kategorii</d>"));
        QCOMPARE(form.ListBox2->Item(4), std::string("<i>-1</i><p>-1</p><n>Wszystkie</n><d>Wszystkie</d>"));
    }

    void emptyCatalogueShowsTwoCategoryRows()
    {
        WindowFixture fresh;
        TForm1& form = fresh.Start();
        QCOMPARE(form.ListBox2->Count(), 2);
        QCOMPARE(form.ListBox1->Count(), 0);
        VERIFY_BOXES_DONE(fresh);
    }

    void loadCategoriesSelectsById_data()
    {
        QTest::addColumn<int>("which");  // 0 news, 1 sport, 2 unknown id, 3 -1, 4 Uncategorised
        QTest::addColumn<int>("row");
        QTest::newRow("a stored id") << 0 << 1;
        QTest::newRow("another stored id") << 1 << 2;
        QTest::newRow("an unknown id: the first row") << 2 << 0;
        QTest::newRow("-1: the last row") << 3 << 4;
        QTest::newRow("0: Uncategorised") << 4 << 0;
    }

    void loadCategoriesSelectsById()
    {
        QFETCH(int, which);
        QFETCH(int, row);
        TForm1& form = fx->Start();
        const int id = std::vector<int>{news, sport, 4242, -1, 0}[static_cast<size_t>(which)];
        QCOMPARE(form.LoadCategories(id), int(DbOk));
        QCOMPARE(form.ListBox2->ItemIndex(), row);
        QCOMPARE(SelectedRows(*form.ListBox2), std::vector<int>{row});
    }

    void loadLinksSelectsById()
    {
        TForm1& form = fx->Start();
        QCOMPARE(form.LoadLinks(news, newsLinks[1]), int(DbOk));
        QCOMPARE(RowIds(*form.ListBox1), newsLinks);
        QCOMPARE(form.ListBox1->ItemIndex(), 1);
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{1});

        form.LoadLinks(news, 0);
        QCOMPARE(form.ListBox1->ItemIndex(), 0);
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{0});

        form.LoadLinks(news, -1);
        QCOMPARE(form.ListBox1->ItemIndex(), 2);
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{2});

        form.LoadLinks(sport, 99999);  // a shorter list, an unknown id
        QCOMPARE(RowIds(*form.ListBox1), sportLinks);
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{0});

        form.LoadLinks(-1, loose);
        QCOMPARE(form.ListBox1->Count(), 6);
        QCOMPARE(RowIds(*form.ListBox1)[static_cast<size_t>(form.ListBox1->ItemIndex())], loose);
    }

    void reloadSelectsOnlyTheChosenRow()
    {
        TForm1& form = fx->Start();
        form.LoadLinks(news, 0);
        for (int row = 0; row < 3; ++row)
            form.ListBox1->SetSelected(row, true);
        form.LoadLinks(news, newsLinks[2]);
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{2});
    }

    void choosingACategory_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("categoryCommands");
        QTest::addColumn<bool>("linkCommands");
        QTest::addColumn<int>("links");
        QTest::newRow("Uncategorised") << 0 << false << true << 1;
        QTest::newRow("a stored category") << 1 << true << true << 3;
        QTest::newRow("an empty category") << 3 << true << true << 0;
        QTest::newRow("AllCategories") << 4 << false << false << 6;
    }

    void choosingACategory()
    {
        QFETCH(int, row);
        QFETCH(bool, categoryCommands);
        QFETCH(bool, linkCommands);
        QFETCH(int, links);
        TForm1& form = fx->Start();
        // Start from the opposite state so that every switch is seen.
        form.ListBox2->SetItemIndex(linkCommands ? 4 : 1);
        form.ListBox2Click();
        form.ListBox2->SetItemIndex(row);
        form.ListBox2Click();
        QCOMPARE(form.Zmienazw1->isEnabled(), categoryCommands);
        QCOMPARE(form.Usutkategori1->isEnabled(), categoryCommands);
        QVERIFY(form.Dodajnowkategori1->isEnabled());
        QVERIFY(form.Kolejno1->isEnabled());
        const QString wrong = LinkCommandsState(form, linkCommands);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        for (QAction* action : UntouchedCommands(form))
            QVERIFY2(action->isVisible() && action->isEnabled(), qPrintable(action->text()));
        QCOMPARE(form.ListBox1->Count(), links);
        QCOMPARE(SelectedRows(*form.ListBox1), links ? std::vector<int>{0} : std::vector<int>{});
        QCOMPARE(form.ListBox1->ItemIndex(), links ? 0 : -1);
        QCOMPARE(form.Busy, false);
    }

    // Going back to all links after a category shows what the store holds,
    // whether it was written, or the list changed, in between or not.
    void allLinksAfterACategoryAreTheStoredOnes()
    {
        TForm1& form = fx->Start();
        const int all = form.ListBox2->Count() - 1;
        ChooseCategory(form, all);
        const std::vector<std::string> stored = ListLines(*form.ListBox1);
        QCOMPARE(stored.size(), std::size_t{6});

        ChooseCategory(form, 1);
        QCOMPARE(RowIds(*form.ListBox1), newsLinks);
        ChooseCategory(form, all);
        QCOMPARE(ListLines(*form.ListBox1), stored);
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{0});

        // A link deleted through the store while a category is shown.
        ChooseCategory(form, 1);
        std::vector<std::string> expected = stored;
        const auto gone = std::find_if(expected.begin(), expected.end(), [&](const std::string& line) {
            return StrToInt(GetTagValue(line, "<i>")) == newsLinks[2];
        });
        QVERIFY(gone != expected.end());
        QCOMPARE(DbDeleteLinks(form.ArchiveFolder, {*gone}), int(DbOk));
        expected.erase(gone);
        ChooseCategory(form, all);
        QCOMPARE(ListLines(*form.ListBox1), expected);

        // A row of the list changed without the store: the stored line comes back.
        form.ListBox1->Replace(0, LinkLine(777, news, 1, "http://zmieniony.pl", ""));
        ChooseCategory(form, 2);
        QCOMPARE(RowIds(*form.ListBox1), sportLinks);
        ChooseCategory(form, all);
        QCOMPARE(ListLines(*form.ListBox1), expected);

        // The same twice over, with a reload of the category in between.
        ChooseCategory(form, 2);
        ChooseCategory(form, 2);
        ChooseCategory(form, all);
        QCOMPARE(ListLines(*form.ListBox1), expected);
        QVERIFY(!form.Busy);
    }

    void ustPozOneSelectsTheLastLink()
    {
        fx->WriteSettings("[Opcje]\r\nUstPoz=1\r\n");
        TForm1& form = fx->Start();
        QCOMPARE(form.ListBox1->ItemIndex(), 5);
        form.ListBox2->SetItemIndex(1);
        form.ListBox2Click();
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{2});
        QCOMPARE(form.ListBox1->ItemIndex(), 2);
    }

    void noCategorySelectedClearsTheLinks()
    {
        TForm1& form = fx->Start();
        form.ListBox2->SetItemIndex(-1);
        form.ListBox2Click();
        QCOMPARE(form.ListBox1->Count(), 0);
        QCOMPARE(form.Busy, false);
    }

    void failingLinkLoadKeepsTheShownLinks()
    {
        TForm1& form = fx->Start();
        QCOMPARE(form.ListBox1->Count(), 6);
        std::ofstream(fx->SettingsFolder() + "dovra.db", std::ios::binary | std::ios::trunc) << std::string(4096, 'x');
        form.ListBox2->SetItemIndex(1);
        form.ListBox2Click();
        QCOMPARE(form.ListBox1->Count(), 6);
        QCOMPARE(form.Zmienazw1->isEnabled(), true);  // the state follows the new row
        QCOMPARE(form.Busy, false);
        const auto asked = fx->boxes.TakeAsked();
        QVERIFY(!asked.empty());
        for (const platform::AskedBox& box : asked) {
            QCOMPARE(box.kind, platform::BoxKind::ShowMessage);
            QCOMPARE(box.caption, QStringLiteral("Quomira"));
        }
    }

    void userClickChoosesACategory()
    {
        TForm1& form = fx->Start();
        QVERIFY(ShowAndWait(form));
        QTest::mouseClick(form.ListBox2->viewport(), Qt::LeftButton, {}, RowCentre(*form.ListBox2, 2));
        QCOMPARE(form.ListBox2->ItemIndex(), 2);
        QCOMPARE(RowIds(*form.ListBox1), sportLinks);
        QTest::keyClick(form.ListBox2, Qt::Key_Up);
        QCOMPARE(RowIds(*form.ListBox1), newsLinks);
    }

    void dragToAnotherRowChoosesIt()
    {
        TForm1& form = fx->Start();
        QVERIFY(ShowAndWait(form));
        QSignalSpy clicked(form.ListBox2, &LineListBox::UserClicked);
        QTest::mousePress(form.ListBox2->viewport(), Qt::LeftButton, {}, RowCentre(*form.ListBox2, 1));
        QTest::mouseMove(form.ListBox2->viewport(), RowCentre(*form.ListBox2, 4));
        QTest::mouseRelease(form.ListBox2->viewport(), Qt::LeftButton, {}, RowCentre(*form.ListBox2, 4));
        QCOMPARE(form.ListBox2->ItemIndex(), 4);
        QCOMPARE(clicked.count(), 2);
        // "Wszystkie" chosen: all links shown, its commands switched off.
        QCOMPARE(form.ListBox1->Count(), 6);
        QVERIFY(!form.Zmienazw1->isEnabled());
        QVERIFY(!form.ToolButton1->isEnabled());

        QTest::mouseClick(form.ListBox2->viewport(), Qt::LeftButton, {}, RowCentre(*form.ListBox2, 2));
        QCOMPARE(clicked.count(), 3);  // a plain click counts once
        QCOMPARE(RowIds(*form.ListBox1), sportLinks);
    }

    void programmaticSelectionDoesNotChoose()
    {
        TForm1& form = fx->Start();
        QSignalSpy clicked(form.ListBox2, &LineListBox::UserClicked);
        form.LoadCategories(sport);
        form.ListBox2->SetItemIndex(1);
        form.ListBox2->SetSelected(1, true);
        QCOMPARE(clicked.count(), 0);
        QCOMPARE(form.ListBox1->Count(), 6);  // still AllCategories' links
    }

    void rightClickKeepsTheSelection()
    {
        TForm1& form = fx->Start();
        QVERIFY(ShowAndWait(form));
        QTest::mouseClick(form.ListBox2->viewport(), Qt::RightButton, {}, RowCentre(*form.ListBox2, 1));
        form.PopupMenu3->close();
        QCOMPARE(form.ListBox2->ItemIndex(), 4);
        QCOMPARE(form.ListBox1->Count(), 6);
    }

    void hiddenItemsAnswerNoShortcut()
    {
        TForm1& form = fx->Start();
        QVERIFY(ShowAndWait(form));
        form.ListBox1->setFocus();
        QSignalSpy added(form.Dodajnowylink1, &QAction::triggered);
        QSignalSpy deleted(form.Usutenlink1, &QAction::triggered);
        QTest::keyClick(form.ListBox1, Qt::Key_A, Qt::ControlModifier);  // AllCategories shown
        QTest::keyClick(form.ListBox1, Qt::Key_Delete);
        QCOMPARE(added.count(), 0);
        QCOMPARE(deleted.count(), 0);
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{0});  // nor Qt's select-all

        form.ListBox2->SetItemIndex(1);
        form.ListBox2Click();
        fx->boxes.Script(platform::BoxAnswer::Cancel());
        fx->boxes.Script(platform::BoxAnswer::Button(platform::IdNo));
        QTest::keyClick(form.ListBox1, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(form.ListBox1, Qt::Key_Delete);
        QCOMPARE(added.count(), 1);
        QCOMPARE(deleted.count(), 1);
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(2));
        QCOMPARE(asked[0].kind, platform::BoxKind::InputBox);
        QCOMPARE(asked[1].kind, platform::BoxKind::MessageBox);
    }

    void ctrlOBelongsToTheFirstItem()
    {
        TForm1& form = fx->Start();
        QCOMPARE(form.Dodajlinkizpliku1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
        QVERIFY(form.Opcjeprogramu1->shortcut().isEmpty());
        QVERIFY(form.Opcjeprogramu1->text().endsWith(QStringLiteral("\tCtrl+O")));
    }

    void escapingExceptionIsShownAndBusyLowered()
    {
        TForm1& form = fx->Start();
        form.ListBox2->Replace(1, "<i>abc</i><p>1</p><n>Zepsuta</n><d></d>");
        form.ListBox2->SetItemIndex(1);
        form.Guarded([&] { form.ListBox2Click(); })();
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(1));
        QCOMPARE(asked[0].kind, platform::BoxKind::ShowException);
        QCOMPARE(asked[0].text, QStringLiteral("'abc' is not a valid integer value"));
        QCOMPARE(asked[0].caption, QStringLiteral("Quomira"));
        QCOMPARE(form.Busy, false);
    }
};

QTEST_MAIN(ListsTest)
#include "ListsTest.moc"
