// The category list's commands: adding, renaming and deleting a category,
// and the order command's refusal with fewer than two stored categories.
// Every outcome is checked on the list and on the catalogue file itself.
#include <climits>

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QtTest>

#include "platform/Convert.h"
#include "platform/QtText.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "tests/window/WindowFixture.h"
#include "window/dialogs/CategoryOrderDialog.h"

namespace {

// A category stored with the given position and description; answers its id.
int AddCategoryAt(WindowFixture& fx, const std::string& nameUtf8, int pos, const std::string& descrUtf8 = "")
{
    if (DbAddCategories(fx.SettingsFolder(), {CategoryLine(-1, pos, Cp(nameUtf8), Cp(descrUtf8))}) != DbOk)
        return -1;
    return StrToInt(fx.Query("SELECT MAX(ID) FROM CATEGS")[0][0]);
}

// Both tables, row by row, for "nothing changed" checks.
QStringList StoreContents(const WindowFixture& fx)
{
    QStringList rows;
    for (const auto& row : fx.Query("SELECT 'C', ID, POS, NAME, DESCR FROM CATEGS ORDER BY ID"))
        rows << platform::ToQString(row[0] + "|" + row[1] + "|" + row[2] + "|" + row[3] + "|" + row[4]);
    for (const auto& row : fx.Query("SELECT 'L', ID, CAT_ID, POS, LINK, DESCR FROM LINKS ORDER BY ID"))
        rows << platform::ToQString(row[0] + "|" + row[1] + "|" + row[2] + "|" + row[3] + "|" + row[4] + "|" + row[5]);
    return rows;
}

std::vector<int> StoredLinkIds(const WindowFixture& fx, int catId)
{
    std::vector<int> ids;
    for (const auto& row : fx.Query("SELECT ID FROM LINKS WHERE CAT_ID=" + std::to_string(catId) + " ORDER BY POS"))
        ids.push_back(StrToInt(row[0]));
    return ids;
}

int Count(const WindowFixture& fx, const std::string& sqlFromWhere)
{
    return StrToInt(fx.Query("SELECT COUNT(*) FROM " + sqlFromWhere)[0][0]);
}

// Names that escaping or unescaping twice would spoil.
const char* const kTagName = "<n>x</n> & <d>";
const char* const kNewsName = "Wiadomości <b>&amp;</b>";

}  // namespace

class CategoryCommandsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;
    int news = 0, sport = 0, work = 0;

    // Rows 1..3 of the category list; the positions have gaps so that a
    // count of the rows and the largest position differ.
    void Seed()
    {
        news = AddCategoryAt(*fx, kNewsName, 2, "Dzienne");
        sport = AddCategoryAt(*fx, "Sport", 5, "Wyniki");
        work = AddCategoryAt(*fx, "Praca", 7);
        fx->AddLink(news, "http://n1.pl", "N1");
        fx->AddLink(news, "http://n2.pl", "N2");
        fx->AddLink(sport, "http://s1.pl", "S1");
        fx->AddLink(work, "http://w1.pl", "W1");
        fx->AddLink(work, "http://w2.pl", "W2");
        fx->AddLink(0, "http://luzny.pl", "bez kategorii");
    }

    void VerifyInputBox(const QString& caption, const QString& prompt, const QString& value)
    {
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(1));
        QCOMPARE(asked[0].kind, platform::BoxKind::InputBox);
        QCOMPARE(asked[0].caption, caption);
        QCOMPARE(asked[0].text, prompt);
        QCOMPARE(asked[0].value, value);
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { EndFixture(fx); }

    void buildsTheNewCategoryLine_data()
    {
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("line");
        QTest::newRow("first category ever") << QList<int>{} << "Nowa"
                                             << "<i>-1</i><p>1</p><n>Nowa</n><d></d>";
        QTest::newRow("only position 0 stored") << QList<int>{0} << "Nowa"
                                                << "<i>-1</i><p>1</p><n>Nowa</n><d></d>";
        QTest::newRow("after the largest position") << QList<int>{3, 9, 4} << "Źródła"
                                                    << "<i>-1</i><p>10</p><n>Źródła</n><d></d>";
        // No position after it: the store makes room when it adds the line.
        QTest::newRow("the largest position there is") << QList<int>{3, INT_MAX} << "Nowa"
                                                       << "<i>-1</i><p>2147483647</p><n>Nowa</n><d></d>";
        QTest::newRow("tag text escaped")
            << QList<int>{} << kTagName << "<i>-1</i><p>1</p><n>&lt;n>x&lt;/n> &amp; &lt;d></n><d></d>";
    }

    void buildsTheNewCategoryLine()
    {
        QFETCH(QList<int>, positions);
        QFETCH(QString, name);
        QFETCH(QString, line);
        for (int pos : positions)
            AddCategoryAt(*fx, "K" + std::to_string(pos), pos);
        TForm1& form = fx->Start();
        std::string text = Cp(name.toStdString());
        form.BuildCategoryLine(text);
        QCOMPARE(platform::ToQString(text), line);
        QCOMPARE(GetTagValue(text, "<n>"), Cp(name.toStdString()));
    }

    void addsACategory_data()
    {
        QTest::addColumn<int>("row");  // chosen before; -1: "Wszystkie"
        QTest::addColumn<QString>("name");
        QTest::newRow("Bez kategorii chosen") << 0 << "Źródła";
        QTest::newRow("a category chosen") << 2 << "Nowa";
        QTest::newRow("Wszystkie chosen") << -1 << "Nowa";
        QTest::newRow("tag text kept") << 1 << kTagName;
        QTest::newRow("only blanks kept") << 1 << "   ";
    }

    void addsACategory()
    {
        QFETCH(int, row);
        QFETCH(QString, name);
        Seed();
        TForm1& form = fx->Start();
        if (row < 0)
            row = form.ListBox2->Count() - 1;
        ChooseCategory(form, row);
        const std::vector<std::string> linksShown = ListLines(*form.ListBox1);
        const int chosenId = RowIds(*form.ListBox2)[static_cast<size_t>(row)];

        fx->boxes.Script(platform::BoxAnswer::Text(name));
        form.Dodajnowkategori1->trigger();

        VerifyInputBox(QStringLiteral("Nazwa kategorii"), QStringLiteral("Proszę podać nazwę dla nowej kategorii : "),
                       QString());
        const auto added = fx->Query("SELECT ID, POS, NAME, DESCR FROM CATEGS WHERE ID > " + std::to_string(work));
        QCOMPARE(added.size(), size_t(1));
        QCOMPARE(added[0][1], std::string("8"));
        QCOMPARE(added[0][2], Cp(name.toStdString()));
        QCOMPARE(added[0][3], std::string());
        const int newId = StrToInt(added[0][0]);

        QCOMPARE(RowIds(*form.ListBox2), (std::vector<int>{0, news, sport, work, newId, -1}));
        QCOMPARE(GetTagValue(form.ListBox2->Item(4), "<n>"), Cp(name.toStdString()));
        const int selectedRow = chosenId == -1 ? 5 : row;
        QCOMPARE(form.ListBox2->ItemIndex(), selectedRow);
        QCOMPARE(SelectedRows(*form.ListBox2), std::vector<int>{selectedRow});
        QCOMPARE(ListLines(*form.ListBox1), linksShown);
        QCOMPARE(form.Busy, false);
    }

    void firstCategoryGetsPositionOne()
    {
        TForm1& form = fx->Start();
        ChooseCategory(form, 0);
        fx->boxes.Script(platform::BoxAnswer::Text(QStringLiteral("Pierwsza")));
        form.Dodajnowkategori1Click();
        QCOMPARE(fx->boxes.TakeAsked().size(), size_t(1));
        const auto stored = fx->Query("SELECT ID, POS, NAME FROM CATEGS");
        QCOMPARE(stored.size(), size_t(1));
        QCOMPARE(stored[0][1], std::string("1"));
        QCOMPARE(stored[0][2], std::string("Pierwsza"));
        QCOMPARE(RowIds(*form.ListBox2), (std::vector<int>{0, StrToInt(stored[0][0]), -1}));
        QCOMPARE(SelectedRows(*form.ListBox2), std::vector<int>{0});
        QCOMPARE(form.Busy, false);
    }

    // With a category at the largest position there is, the categories are
    // numbered again from 0 in their order and the new one follows them.
    void addsACategoryAfterTheLargestPositionThereIs()
    {
        const int first = AddCategoryAt(*fx, "Pierwsza", 4);
        const int tied = AddCategoryAt(*fx, "Równa", 4);
        const int last = AddCategoryAt(*fx, "Ostatnia", INT_MAX);
        TForm1& form = fx->Start();
        ChooseCategory(form, 1);
        fx->boxes.Script(platform::BoxAnswer::Text(QStringLiteral("Nowa")));
        form.Dodajnowkategori1->trigger();
        QCOMPARE(fx->boxes.TakeAsked().size(), size_t(1));

        const int added = StrToInt(fx->Query("SELECT MAX(ID) FROM CATEGS")[0][0]);
        QCOMPARE(fx->Query("SELECT ID, POS, NAME FROM CATEGS ORDER BY POS, ID"),
                 (std::vector<std::vector<std::string>>{{std::to_string(first), "0", "Pierwsza"},
                                                        {std::to_string(tied), "1", Cp("Równa")},
                                                        {std::to_string(last), "2", "Ostatnia"},
                                                        {std::to_string(added), "3", "Nowa"}}));
        QCOMPARE(RowIds(*form.ListBox2), (std::vector<int>{0, first, tied, last, added, -1}));
        QCOMPARE(SelectedRows(*form.ListBox2), std::vector<int>{1});
        QCOMPARE(form.Busy, false);
    }

    void addWithoutANameChangesNothing_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("Cancel") << true;
        QTest::newRow("empty name") << false;
    }

    void addWithoutANameChangesNothing()
    {
        QFETCH(bool, cancel);
        Seed();
        TForm1& form = fx->Start();
        ChooseCategory(form, 2);
        const QStringList stored = StoreContents(*fx);
        const std::vector<std::string> categories = ListLines(*form.ListBox2);

        fx->boxes.Script(cancel ? platform::BoxAnswer::Cancel() : platform::BoxAnswer::Text(QString()));
        form.Dodajnowkategori1Click();

        VerifyInputBox(QStringLiteral("Nazwa kategorii"), QStringLiteral("Proszę podać nazwę dla nowej kategorii : "),
                       QString());
        QCOMPARE(StoreContents(*fx), stored);
        QCOMPARE(ListLines(*form.ListBox2), categories);
        QCOMPARE(SelectedRows(*form.ListBox2), std::vector<int>{2});
        QCOMPARE(form.Busy, false);
    }

    void renamesACategory_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("renamed");
        QTest::newRow("a new name") << false << "Świat" << true;
        QTest::newRow("tag text kept") << false << kTagName << true;
        QTest::newRow("only the case differs") << false << "wiadomości <b>&amp;</b>" << true;
        QTest::newRow("the same name") << false << kNewsName << false;
        QTest::newRow("an empty name") << false << "" << false;
        QTest::newRow("Cancel") << true << "" << false;
    }

    void renamesACategory()
    {
        QFETCH(bool, cancel);
        QFETCH(QString, typed);
        QFETCH(bool, renamed);
        Seed();
        TForm1& form = fx->Start();
        ChooseCategory(form, 1);
        const QStringList stored = StoreContents(*fx);
        const std::vector<std::string> categories = ListLines(*form.ListBox2);
        const std::vector<std::string> linksShown = ListLines(*form.ListBox1);

        fx->boxes.Script(cancel ? platform::BoxAnswer::Cancel() : platform::BoxAnswer::Text(typed));
        form.Zmienazw1->trigger();

        VerifyInputBox(QStringLiteral("Zmiana nazwy kategorii"),
                       QStringLiteral("Proszę podać nową nazwę dla kategorii : "), QString::fromUtf8(kNewsName));
        if (renamed) {
            const std::string name = Cp(typed.toStdString());
            QCOMPARE(fx->Query("SELECT POS, NAME, DESCR FROM CATEGS WHERE ID=" + std::to_string(news)),
                     (WindowFixture::Rows{{"2", name, "Dzienne"}}));
            QCOMPARE(Count(*fx, "CATEGS"), 3);
            QCOMPARE(GetTagValue(form.ListBox2->Item(1), "<n>"), name);
            QCOMPARE(GetTagValue(form.ListBox2->Item(1), "<d>"), std::string("Dzienne"));
            QCOMPARE(RowIds(*form.ListBox2), (std::vector<int>{0, news, sport, work, -1}));
        } else {
            QCOMPARE(StoreContents(*fx), stored);
            QCOMPARE(ListLines(*form.ListBox2), categories);
        }
        QCOMPARE(form.ListBox2->ItemIndex(), 1);
        QCOMPARE(SelectedRows(*form.ListBox2), std::vector<int>{1});
        QCOMPARE(ListLines(*form.ListBox1), linksShown);
        QCOMPARE(form.Busy, false);
    }

    void pseudoCategoriesAreNeverChanged_data()
    {
        QTest::addColumn<bool>("rename");
        QTest::addColumn<int>("row");  // -1: the last row, -2: no row chosen
        QTest::newRow("rename Bez kategorii") << true << 0;
        QTest::newRow("rename Wszystkie") << true << -1;
        QTest::newRow("rename without a row") << true << -2;
        QTest::newRow("delete Bez kategorii") << false << 0;
        QTest::newRow("delete Wszystkie") << false << -1;
        QTest::newRow("delete without a row") << false << -2;
    }

    void pseudoCategoriesAreNeverChanged()
    {
        QFETCH(bool, rename);
        QFETCH(int, row);
        Seed();
        TForm1& form = fx->Start();
        ChooseCategory(form, row == -1 ? form.ListBox2->Count() - 1 : row == -2 ? -1 : row);
        const QStringList stored = StoreContents(*fx);
        const std::vector<std::string> categories = ListLines(*form.ListBox2);
        const std::vector<int> selected = SelectedRows(*form.ListBox2);
        const std::vector<std::string> linksShown = ListLines(*form.ListBox1);

        // Called directly: the menu items are disabled for these rows.
        if (rename)
            form.Zmienazw1Click();
        else
            form.Usutkategori1Click();

        // No box at all: cleanup fails on any question asked.
        QVERIFY(fx->boxes.Asked().empty());
        QCOMPARE(StoreContents(*fx), stored);
        QCOMPARE(ListLines(*form.ListBox2), categories);
        QCOMPARE(SelectedRows(*form.ListBox2), selected);
        QCOMPARE(ListLines(*form.ListBox1), linksShown);
        QCOMPARE(form.Busy, false);
    }

    void deletesACategoryAndItsLinks_data()
    {
        QTest::addColumn<bool>("onlyOne");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("nextRowBefore");  // the row chosen afterwards, counted before the delete
        QTest::newRow("the first of several: the row below") << false << 1 << 2;
        QTest::newRow("a middle one: the row below") << false << 2 << 3;
        QTest::newRow("the last stored one: the row above") << false << 3 << 2;
        QTest::newRow("the only one: Bez kategorii") << true << 1 << 0;
    }

    void deletesACategoryAndItsLinks()
    {
        QFETCH(bool, onlyOne);
        QFETCH(int, row);
        QFETCH(int, nextRowBefore);
        Seed();
        if (onlyOne) {
            DbDeleteCategories(fx->SettingsFolder(), {CategoryLine(sport, 0, "", ""), CategoryLine(work, 0, "", "")});
            QCOMPARE(Count(*fx, "CATEGS"), 1);
        }
        TForm1& form = fx->Start();
        ChooseCategory(form, row);
        std::vector<int> ids = RowIds(*form.ListBox2);
        const int deleted = ids[static_cast<size_t>(row)];
        const int next = ids[static_cast<size_t>(nextRowBefore)];
        const std::string name = GetTagValue(form.ListBox2->Item(row), "<n>");
        const int linksBefore = Count(*fx, "LINKS");
        const int ownLinks = static_cast<int>(StoredLinkIds(*fx, deleted).size());
        const int looseLinks = static_cast<int>(StoredLinkIds(*fx, 0).size());
        QVERIFY(ownLinks > 0);

        fx->boxes.Script(platform::BoxAnswer::Button(platform::IdYes));
        form.Usutkategori1->trigger();

        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(1));
        QCOMPARE(asked[0].kind, platform::BoxKind::MessageBox);
        QCOMPARE(asked[0].text, QStringLiteral("Czy napewno usunąć kategorię :\n") + platform::ToQString(name));
        QCOMPARE(asked[0].caption, QStringLiteral("Zapytanie"));
        QCOMPARE(asked[0].flags, 0x34u);

        QCOMPARE(Count(*fx, "CATEGS WHERE ID=" + std::to_string(deleted)), 0);
        QCOMPARE(Count(*fx, "LINKS WHERE CAT_ID=" + std::to_string(deleted)), 0);
        QCOMPARE(Count(*fx, "LINKS"), linksBefore - ownLinks);
        QCOMPARE(static_cast<int>(StoredLinkIds(*fx, 0).size()), looseLinks);

        ids.erase(ids.begin() + row);
        QCOMPARE(RowIds(*form.ListBox2), ids);
        const int nextRow = nextRowBefore < row ? nextRowBefore : nextRowBefore - 1;
        QCOMPARE(form.ListBox2->ItemIndex(), nextRow);
        QCOMPARE(SelectedRows(*form.ListBox2), std::vector<int>{nextRow});
        QCOMPARE(RowIds(*form.ListBox1), StoredLinkIds(*fx, next));
        const bool stored = next > 0;
        QCOMPARE(form.Zmienazw1->isEnabled(), stored);
        QCOMPARE(form.Usutkategori1->isEnabled(), stored);
        QCOMPARE(form.Busy, false);
    }

    void deleteAnsweredNoKeepsEverything()
    {
        Seed();
        TForm1& form = fx->Start();
        ChooseCategory(form, 2);
        const QStringList stored = StoreContents(*fx);
        const std::vector<std::string> categories = ListLines(*form.ListBox2);
        const std::vector<std::string> linksShown = ListLines(*form.ListBox1);

        fx->boxes.Script(platform::BoxAnswer::Button(platform::IdNo));
        form.Usutkategori1Click();

        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(1));
        QCOMPARE(asked[0].text, QStringLiteral("Czy napewno usunąć kategorię :\nSport"));
        QCOMPARE(StoreContents(*fx), stored);
        QCOMPARE(ListLines(*form.ListBox2), categories);
        QCOMPARE(SelectedRows(*form.ListBox2), std::vector<int>{2});
        QCOMPARE(ListLines(*form.ListBox1), linksShown);
        QCOMPARE(form.Busy, false);
    }

    void reorderNeedsTwoStoredCategories_data()
    {
        QTest::addColumn<int>("categories");
        QTest::newRow("none") << 0;
        QTest::newRow("one") << 1;
    }

    void reorderNeedsTwoStoredCategories()
    {
        QFETCH(int, categories);
        for (int k = 1; k <= categories; ++k)
            AddCategoryAt(*fx, "K" + std::to_string(k), k);
        TForm1& form = fx->Start();
        ChooseCategory(form, 0);
        const QStringList stored = StoreContents(*fx);
        const std::vector<std::string> lines = ListLines(*form.ListBox2);

        bool checked = false;
        bool opened = false;
        QTimer::singleShot(0, &form, [&] {
            checked = true;
            if (auto* dialog = qobject_cast<TForm4*>(QApplication::activeModalWidget())) {
                opened = true;
                dialog->reject();
            }
        });
        form.Kolejno1->trigger();
        QTRY_VERIFY(checked);

        QVERIFY(!opened);
        QCOMPARE(StoreContents(*fx), stored);
        QCOMPARE(ListLines(*form.ListBox2), lines);
        QCOMPARE(form.Busy, false);
    }
};

QTEST_MAIN(CategoryCommandsTest)
#include "CategoryCommandsTest.moc"
