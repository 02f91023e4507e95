// Where the links of the shown category stand: sorting them, finding and
// deleting repeated links, moving the selected ones up, down and into another
// category through the move dialog. Every command is checked against the
// links table of the catalogue file as well as the list.
#include <sqlite3.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QtTest>

#include "platform/Convert.h"
#include "store/Funcs.h"
#include "tests/window/WindowFixture.h"
#include "window/dialogs/MoveLinksDialog.h"

namespace {

using Rows = WindowFixture::Rows;

// A writing connection of its own on the catalogue file: seeds positions the
// fixture cannot give, installs triggers, holds locks.
class Catalogue {
public:
    explicit Catalogue(const std::string& path)
    {
        if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
            sqlite3_close(db_);
            db_ = nullptr;
        }
    }
    ~Catalogue() { sqlite3_close(db_); }
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    // "" on success, else SQLite's error text.
    QString Exec(const std::string& sql)
    {
        if (!db_)
            return QStringLiteral("not open");
        char* error = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK)
            return {};
        const QString text = QString::fromUtf8(error ? error : sqlite3_errmsg(db_));
        sqlite3_free(error);
        return text.isEmpty() ? QStringLiteral("failed") : text;
    }

private:
    sqlite3* db_ = nullptr;
};

#define EXEC_SQL(catalogue, sql)                                                                                       \
    do {                                                                                                               \
        const QString sqlError = (catalogue).Exec(sql);                                                                \
        QVERIFY2(sqlError.isEmpty(), qPrintable(sqlError));                                                            \
    } while (false)

std::string Str(int value)
{
    return std::to_string(value);
}

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

int IdOf(const std::string& line)
{
    return StrToInt(GetTagValue(line, "<i>"));
}

int PosOf(const std::string& line)
{
    return StrToInt(GetTagValue(line, "<p>"));
}

std::vector<int> RowPositions(const LineListBox& box)
{
    std::vector<int> positions;
    for (const std::string& line : ListLines(box))
        positions.push_back(PosOf(line));
    return positions;
}

std::vector<std::string> RowTexts(const LineListBox& box)
{
    std::vector<std::string> texts;
    for (const std::string& line : ListLines(box))
        texts.push_back(GetTagValue(line, "<l>"));
    return texts;
}

// Readable rows for comparisons: "ID|CAT_ID|POS|LINK|DESCR".
QStringList Table(const Rows& rows)
{
    QStringList table;
    for (const auto& row : rows) {
        QStringList cells;
        for (const std::string& cell : row)
            cells << Q(cell);
        table << cells.join(u'|');
    }
    return table;
}

std::vector<int> ToVector(const QList<int>& list)
{
    return {list.begin(), list.end()};
}

// The window's list as the test sees it, to show that a command left it alone.
struct ListState {
    std::vector<std::string> lines;
    std::vector<int> selected;
    int focus = -1;

    explicit ListState(const LineListBox& box)
        : lines(ListLines(box)), selected(SelectedRows(box)), focus(box.ItemIndex())
    {}
    bool operator==(const ListState&) const = default;
};

}  // namespace

class LinkOrderCommandsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;

    std::string DbPath() const { return fx->SettingsFolder() + "dovra.db"; }

    // Every stored link.
    QStringList AllLinks() const
    {
        return Table(fx->Query("select ID, CAT_ID, POS, LINK, DESCR from LINKS order by ID"));
    }

    // "ID:POS" of one category's links, by id.
    QStringList PositionsIn(int catId) const
    {
        return Table(fx->Query("select ID, POS from LINKS where CAT_ID=" + Str(catId) + " order by ID"));
    }

    // ---- the move dialog

    bool dialogOpened_ = false;

    // Runs the move command; act gets the dialog once it is shown. A dialog
    // that act leaves open is closed and reported.
    void RunMove(TForm1& form, const std::function<void(TForm7&)>& act, const std::function<void()>& command = {})
    {
        const ModalRun run = RunModal<TForm7>(
            command ? command : std::function<void()>([&form] { form.Przeniewybranelinkidoinnejkategorii1Click(); }),
            act);
        dialogOpened_ = run.opened;
        QVERIFY2(!run.leftOpen, "the move dialog stayed open");
    }

    // Chooses a combo row and presses "Przenieś".
    static std::function<void(TForm7&)> Choose(int comboRow)
    {
        return [comboRow](TForm7& dialog) {
            dialog.ComboBox1->setCurrentIndex(comboRow);
            QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
        };
    }

    // ---- seeds

    int dom = 0, praca = 0, sport = 0;
    std::vector<int> domIds;  // the links of "Dom" in list order
    int loose = 0;            // the one link of Uncategorised

    // "Dom" with five links shown in the reverse order of their ids, "Praca"
    // whose largest position is 7 though its last link has 2, "Sport" with
    // one link, Uncategorised with one link at position 4.
    void SeedForMoves()
    {
        dom = fx->AddCategory("Dom");
        praca = fx->AddCategory("Praca");
        sport = fx->AddCategory("Sport");
        std::vector<int> ids;
        for (int k = 0; k < 5; ++k)
            ids.push_back(fx->AddLink(dom, "http://d" + Str(k) + ".pl", "Opis d" + Str(k)));
        const int p1 = fx->AddLink(praca, "http://p1.pl", "P1");
        fx->AddLink(praca, "http://p2.pl", "P2");
        fx->AddLink(sport, "http://s1.pl", "S1");
        loose = fx->AddLink(0, "http://luzny.pl", "bez kategorii");
        Catalogue db(DbPath());
        for (int k = 0; k < 5; ++k)
            EXEC_SQL(db, "update LINKS set POS=" + Str(50 - 10 * k) + " where ID=" + Str(ids[static_cast<size_t>(k)]));
        EXEC_SQL(db, "update LINKS set POS=7 where ID=" + Str(p1));
        EXEC_SQL(db, "update LINKS set POS=4 where ID=" + Str(loose));
        domIds.assign(ids.rbegin(), ids.rend());
    }

    std::vector<int> ids_;        // SeedForUpDown: the links of "Dom" in list order
    std::vector<int> positions_;  // and their positions

    // "Dom" with five links at the positions 3, 7, 8, 15 and 20.
    void SeedForUpDown()
    {
        dom = fx->AddCategory("Dom");
        positions_ = {3, 7, 8, 15, 20};
        ids_.clear();
        for (int k = 0; k < 5; ++k)
            ids_.push_back(fx->AddLink(dom, "http://r" + Str(k) + ".pl", "R" + Str(k)));
        Catalogue db(DbPath());
        for (size_t k = 0; k < 5; ++k)
            EXEC_SQL(db, "update LINKS set POS=" + Str(positions_[k]) + " where ID=" + Str(ids_[k]));
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { EndFixture(fx); }

    // ---- sort

    void sortRenumbersByTextAndKeepsTheFocusedLink_data()
    {
        QTest::addColumn<bool>("uncategorised");
        QTest::newRow("a category") << false;
        QTest::newRow("Uncategorised") << true;
    }

    void sortRenumbersByTextAndKeepsTheFocusedLink()
    {
        QFETCH(bool, uncategorised);
        const int home = fx->AddCategory("Dom");
        // Byte order would give Bravo, Delta, alfa, charlie.
        const std::vector<std::string> texts = {"charlie", "Delta", "alfa", "Bravo"};
        std::vector<int> homeIds, looseIds;
        for (const std::string& text : texts) {
            homeIds.push_back(fx->AddLink(home, text, "d " + text));
            looseIds.push_back(fx->AddLink(0, text, "u " + text));
        }
        const int sorted = uncategorised ? 0 : home;
        const int other = uncategorised ? home : 0;
        const std::vector<int>& ids = uncategorised ? looseIds : homeIds;
        TForm1& form = fx->Start();
        ChooseCategory(form, uncategorised ? 0 : 1);
        QCOMPARE(RowTexts(*form.ListBox1), texts);
        const QStringList otherBefore = PositionsIn(other);
        SelectLinkRows(form, {0, 2}, 1);  // the focus on "Delta", which is not selected

        form.Sortujlinkiwkategorii1Click();

        QCOMPARE(RowTexts(*form.ListBox1), (std::vector<std::string>{"alfa", "Bravo", "charlie", "Delta"}));
        QCOMPARE(RowIds(*form.ListBox1), (std::vector<int>{ids[2], ids[3], ids[0], ids[1]}));
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{3});
        QCOMPARE(form.ListBox1->ItemIndex(), 3);
        QCOMPARE(RowPositions(*form.ListBox1), (std::vector<int>{0, 1, 2, 3}));
        QCOMPARE(
            PositionsIn(sorted),
            (QStringList{Q(Str(ids[0]) + "|2"), Q(Str(ids[1]) + "|3"), Q(Str(ids[2]) + "|0"), Q(Str(ids[3]) + "|1")}));
        QCOMPARE(PositionsIn(other), otherBefore);
        QCOMPARE(form.Busy, false);
    }

    void sortDoesNothing_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("AllCategories selected") << "all";
        QTest::newRow("an empty link list") << "empty";
        QTest::newRow("no category selected") << "none";
    }

    void sortDoesNothing()
    {
        QFETCH(QString, situation);
        const int home = fx->AddCategory("Dom");
        fx->AddCategory("Pusta");
        for (const char* text : {"c", "a", "b"})
            fx->AddLink(home, text);
        fx->AddLink(0, "z");
        TForm1& form = fx->Start();
        if (situation == "all") {
            ChooseCategory(form, form.ListBox2->Count() - 1);
            SelectLinkRows(form, {0, 3}, 2);
        } else if (situation == "empty") {
            ChooseCategory(form, 2);
            QCOMPARE(form.ListBox1->Count(), 0);
        } else {
            ChooseCategory(form, 1);
            SelectLinkRows(form, {2}, 1);
            form.ListBox2->SetItemIndex(-1);
        }
        const ListState before(*form.ListBox1);
        const QStringList stored = AllLinks();

        form.Sortujlinkiwkategorii1Click();

        QVERIFY(ListState(*form.ListBox1) == before);
        QCOMPARE(AllLinks(), stored);
        QCOMPARE(form.Busy, false);
    }

    // ---- duplicates

    void duplicatesAreListedAndDeletedOnYes_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }

    void duplicatesAreListedAndDeletedOnYes()
    {
        QFETCH(bool, yes);
        const int home = fx->AddCategory("Dom");
        const int games = fx->AddCategory("Sport");
        std::vector<int> ids;
        const std::vector<std::pair<std::string, std::string>> links = {{"a", "pierwsze a"}, {"b", "pierwsze b"},
                                                                        {"a", "drugie a"},   {"c", "jedyne c"},
                                                                        {"b", "drugie b"},   {"a", "trzecie a"}};
        for (const auto& [text, descr] : links)
            ids.push_back(fx->AddLink(home, text, descr));
        const int elsewhere = fx->AddLink(games, "a", "a gdzie indziej");
        TForm1& form = fx->Start();
        ChooseCategory(form, 1);
        QCOMPARE(RowIds(*form.ListBox1), ids);
        SelectLinkRows(form, {2, 4}, 4);
        const ListState before(*form.ListBox1);
        const QStringList stored = AllLinks();

        fx->boxes.Script(platform::BoxAnswer::Button(yes ? platform::IdYes : platform::IdNo));
        form.Szukajpowtrek1Click();

        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].kind, platform::BoxKind::MessageBox);
        QCOMPARE(asked[0].text, QString::fromUtf8("Znaleziono 3 powtarzających się linków\na\na\nb\nCzu usunąć je ?"));
        QCOMPARE(asked[0].caption, QStringLiteral("Zapytanie"));
        QCOMPARE(asked[0].flags, 0x24u);
        QCOMPARE(form.Busy, false);
        if (!yes) {
            QVERIFY(ListState(*form.ListBox1) == before);
            QCOMPARE(AllLinks(), stored);
            return;
        }
        QCOMPARE(Table(fx->Query("select ID, LINK, DESCR from LINKS where CAT_ID=" + Str(home) + " order by ID")),
                 (QStringList{Q(Str(ids[0]) + "|a|pierwsze a"), Q(Str(ids[1]) + "|b|pierwsze b"),
                              Q(Str(ids[3]) + "|c|jedyne c")}));
        QCOMPARE(fx->Query("select ID from LINKS where CAT_ID=" + Str(games)), (Rows{{Str(elsewhere)}}));
        QCOMPARE(RowIds(*form.ListBox1), (std::vector<int>{ids[0], ids[1], ids[3]}));
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{0});
        QCOMPARE(form.ListBox1->ItemIndex(), 0);
    }

    void textsDifferingInCaseOrBlanksAreNoDuplicates()
    {
        const int home = fx->AddCategory("Dom");
        for (const char* text : {"a", "A", "a ", " a", "b"})
            fx->AddLink(home, text, "ten sam opis");
        TForm1& form = fx->Start();
        ChooseCategory(form, 1);
        SelectLinkRows(form, {1, 3}, 3);
        const ListState before(*form.ListBox1);
        const QStringList stored = AllLinks();

        form.Szukajpowtrek1Click();

        QVERIFY(fx->boxes.TakeAsked().empty());
        QVERIFY(ListState(*form.ListBox1) == before);  // not reloaded either
        QCOMPARE(AllLinks(), stored);
        QCOMPARE(form.Busy, false);
    }

    // ---- up and down

    void moveUpOrDown_data()
    {
        QTest::addColumn<bool>("up");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("focus");
        QTest::addColumn<QList<int>>("order");  // the old rows of the links, row by row
        QTest::addColumn<QList<int>>("selectedAfter");
        QTest::addColumn<int>("focusAfter");

        QTest::newRow("up, a block of two")
            << true << QList<int>{2, 3} << 3 << QList<int>{0, 2, 3, 1, 4} << QList<int>{1, 2} << 2;
        QTest::newRow("up, the focus on the link making way")
            << true << QList<int>{2, 3} << 1 << QList<int>{0, 2, 3, 1, 4} << QList<int>{1, 2} << 3;
        QTest::newRow("up, two separate rows")
            << true << QList<int>{1, 3} << 4 << QList<int>{1, 0, 3, 2, 4} << QList<int>{0, 2} << 4;
        QTest::newRow("up, the last row")
            << true << QList<int>{4} << 4 << QList<int>{0, 1, 2, 4, 3} << QList<int>{3} << 3;
        QTest::newRow("down, rows 0 and 2")
            << false << QList<int>{0, 2} << 0 << QList<int>{1, 0, 3, 2, 4} << QList<int>{1, 3} << 1;
        QTest::newRow("down, a block of three")
            << false << QList<int>{1, 2, 3} << 2 << QList<int>{0, 4, 1, 2, 3} << QList<int>{2, 3, 4} << 3;
        QTest::newRow("up with the first row selected: nothing")
            << true << QList<int>{0, 3} << 3 << QList<int>{0, 1, 2, 3, 4} << QList<int>{0, 3} << 3;
        QTest::newRow("down with the last row selected: nothing")
            << false << QList<int>{1, 4} << 1 << QList<int>{0, 1, 2, 3, 4} << QList<int>{1, 4} << 1;
        QTest::newRow("up, nothing selected")
            << true << QList<int>{} << 2 << QList<int>{0, 1, 2, 3, 4} << QList<int>{} << 2;
        QTest::newRow("down, nothing selected")
            << false << QList<int>{} << 2 << QList<int>{0, 1, 2, 3, 4} << QList<int>{} << 2;
    }

    void moveUpOrDown()
    {
        QFETCH(bool, up);
        QFETCH(QList<int>, selected);
        QFETCH(int, focus);
        QFETCH(QList<int>, order);
        QFETCH(QList<int>, selectedAfter);
        QFETCH(int, focusAfter);
        SeedForUpDown();
        const int other = fx->AddLink(0, "http://inna.pl");
        TForm1& form = fx->Start();
        ChooseCategory(form, 1);
        QCOMPARE(RowIds(*form.ListBox1), ids_);
        SelectLinkRows(form, ToVector(selected), focus);
        form.Busy = true;  // neither direction touches it

        if (up)
            form.Przesuzaznaczonelinkiwgr1Click();
        else
            form.Przesuzaznaczonelinkiwd1Click();

        std::vector<int> expectedIds;
        for (int row : order)
            expectedIds.push_back(ids_[static_cast<size_t>(row)]);
        QCOMPARE(RowIds(*form.ListBox1), expectedIds);
        QCOMPARE(RowPositions(*form.ListBox1), positions_);  // the positions stay with the rows
        QCOMPARE(SelectedRows(*form.ListBox1), ToVector(selectedAfter));
        QCOMPARE(form.ListBox1->ItemIndex(), focusAfter);
        QCOMPARE(form.Busy, true);
        form.Busy = false;

        QStringList expectedStored;
        for (size_t row = 0; row < expectedIds.size(); ++row)
            expectedStored << Q(Str(expectedIds[row]) + "|" + Str(dom) + "|" + Str(positions_[row]));
        expectedStored.sort();
        QStringList stored =
            Table(fx->Query("select ID, CAT_ID, POS from LINKS where CAT_ID=" + Str(dom) + " order by ID"));
        stored.sort();
        QCOMPARE(stored, expectedStored);
        QCOMPARE(fx->Query("select CAT_ID, POS from LINKS where ID=" + Str(other)), (Rows{{"0", "1"}}));

        // A reload brings the same order back.
        const std::vector<std::string> shown = ListLines(*form.ListBox1);
        form.LoadLinks(dom, 0);
        QCOMPARE(ListLines(*form.ListBox1), shown);
    }

    void moveInAListOfOneRowDoesNothing_data()
    {
        QTest::addColumn<bool>("up");
        QTest::newRow("up") << true;
        QTest::newRow("down") << false;
    }

    void moveInAListOfOneRowDoesNothing()
    {
        QFETCH(bool, up);
        const int home = fx->AddCategory("Dom");
        fx->AddLink(home, "http://jedyny.pl");
        TForm1& form = fx->Start();
        ChooseCategory(form, 1);
        SelectLinkRows(form, {0}, 0);
        const ListState before(*form.ListBox1);
        const QStringList stored = AllLinks();

        if (up)
            form.Przesuzaznaczonelinkiwgr1Click();
        else
            form.Przesuzaznaczonelinkiwd1Click();

        QVERIFY(ListState(*form.ListBox1) == before);
        QCOMPARE(AllLinks(), stored);
    }

    // The menu shortcuts act while the link list has the focus; the toolbar
    // buttons run the same commands.
    void shortcutsAndButtonsRunTheCommands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QList<int>>("order");  // the old rows of the links, row by row

        // The texts c, a, b; row 1 ("a") selected and focused.
        QTest::newRow("Ctrl+Q") << "Ctrl+Q" << QList<int>{1, 0, 2};
        QTest::newRow("Ctrl+W") << "Ctrl+W" << QList<int>{0, 2, 1};
        QTest::newRow("Ctrl+S") << "Ctrl+S" << QList<int>{1, 2, 0};
        QTest::newRow("ToolButton17") << "ToolButton17" << QList<int>{1, 0, 2};
        QTest::newRow("ToolButton18") << "ToolButton18" << QList<int>{0, 2, 1};
        QTest::newRow("ToolButton10") << "ToolButton10" << QList<int>{1, 2, 0};
        QTest::newRow("menu item Sortujlinkiwkategorii1") << "Sortujlinkiwkategorii1" << QList<int>{1, 2, 0};
    }

    void shortcutsAndButtonsRunTheCommands()
    {
        QFETCH(QString, command);
        QFETCH(QList<int>, order);
        const int home = fx->AddCategory("Dom");
        std::vector<int> ids;
        for (const char* text : {"c", "a", "b"})
            ids.push_back(fx->AddLink(home, text));
        TForm1& form = fx->Start();
        QVERIFY(ShowAndWait(form));
        ChooseCategory(form, 1);
        SelectLinkRows(form, {1}, 1);
        form.ListBox1->setFocus();

        if (command == "Ctrl+Q")
            QTest::keyClick(form.ListBox1, Qt::Key_Q, Qt::ControlModifier);
        else if (command == "Ctrl+W")
            QTest::keyClick(form.ListBox1, Qt::Key_W, Qt::ControlModifier);
        else if (command == "Ctrl+S")
            QTest::keyClick(form.ListBox1, Qt::Key_S, Qt::ControlModifier);
        else if (command == "ToolButton17")
            form.ToolButton17->trigger();
        else if (command == "ToolButton18")
            form.ToolButton18->trigger();
        else if (command == "ToolButton10")
            form.ToolButton10->trigger();
        else
            form.Sortujlinkiwkategorii1->trigger();

        std::vector<int> expected;
        for (int row : order)
            expected.push_back(ids[static_cast<size_t>(row)]);
        QCOMPARE(RowIds(*form.ListBox1), expected);
        // Stored too: a reload shows the same order.
        form.LoadLinks(home, 0);
        QCOMPARE(RowIds(*form.ListBox1), expected);
        QCOMPARE(form.Busy, false);
    }

    // ---- move to another category

    void moveToCategory_data()
    {
        QTest::addColumn<int>("sourceRow");  // 0 Uncategorised, 1 Dom
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("comboRow");  // 0 Uncategorised, 2 Praca, 3 Sport
        QTest::addColumn<int>("firstPos");
        QTest::addColumn<bool>("byShortcut");

        QTest::newRow("three links into a category whose largest position is 7")
            << 1 << QList<int>{0, 2, 3} << 2 << 8 << false;
        QTest::newRow("into Uncategorised") << 1 << QList<int>{1, 4} << 0 << 5 << false;
        QTest::newRow("out of Uncategorised") << 0 << QList<int>{0} << 3 << 2 << false;
        QTest::newRow("by Ctrl+M") << 1 << QList<int>{3} << 2 << 8 << true;
    }

    void moveToCategory()
    {
        QFETCH(int, sourceRow);
        QFETCH(QList<int>, selected);
        QFETCH(int, comboRow);
        QFETCH(int, firstPos);
        QFETCH(bool, byShortcut);
        SeedForMoves();
        TForm1& form = fx->Start();
        if (byShortcut)
            QVERIFY(ShowAndWait(form));
        ChooseCategory(form, sourceRow);
        if (sourceRow == 1)
            QCOMPARE(RowIds(*form.ListBox1), domIds);
        const std::vector<int> shownIds = RowIds(*form.ListBox1);
        SelectLinkRows(form, ToVector(selected), selected.front());
        const int targetId = IdOf(form.ListBox2->Item(comboRow));
        const Rows before = fx->Query("select ID, CAT_ID, POS, LINK, DESCR from LINKS order by ID");

        bool busyInDialog = false;
        const auto act = [&](TForm7& dialog) {
            busyInDialog = form.Busy;
            QVERIFY(dialog.isModal());
            QCOMPARE(dialog.CurrentCategoryIndex, sourceRow);
            QCOMPARE(dialog.ComboBox1->currentIndex(), sourceRow);
            QCOMPARE(dialog.ComboBox1->count(), form.ListBox2->Count() - 1);
            for (int k = 0; k < dialog.ComboBox1->count(); ++k)
                QCOMPARE(dialog.Item(k), form.ListBox2->Item(k));
            Choose(comboRow)(dialog);
        };
        if (byShortcut) {
            form.ListBox1->setFocus();
            RunMove(form, act, [&] { QTest::keyClick(form.ListBox1, Qt::Key_M, Qt::ControlModifier); });
        } else {
            RunMove(form, act);
        }

        QVERIFY(dialogOpened_);
        QVERIFY(busyInDialog);
        QCOMPARE(form.Busy, false);
        std::vector<int> kept;
        std::vector<int> moved;
        for (size_t row = 0; row < shownIds.size(); ++row)
            (selected.contains(static_cast<int>(row)) ? moved : kept).push_back(shownIds[row]);
        QCOMPARE(RowIds(*form.ListBox1), kept);
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{});

        // The moved links follow the target's largest position in list order;
        // nothing else changes.
        Rows expected = before;
        for (auto& row : expected)
            for (size_t k = 0; k < moved.size(); ++k)
                if (row[0] == Str(moved[k])) {
                    row[1] = Str(targetId);
                    row[2] = Str(firstPos + static_cast<int>(k));
                }
        QCOMPARE(AllLinks(), Table(expected));
    }

    void leavingTheDialogMovesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Przenieś on the preselected category") << "confirm";
        QTest::newRow("Escape on the combo") << "escape";
        QTest::newRow("Anuluj") << "cancel";
        QTest::newRow("close box") << "close";
        QTest::newRow("rejected") << "reject";
    }

    void leavingTheDialogMovesNothing()
    {
        QFETCH(QString, how);
        SeedForMoves();
        TForm1& form = fx->Start();
        ChooseCategory(form, 1);
        SelectLinkRows(form, {1, 2}, 2);
        const ListState before(*form.ListBox1);
        const QStringList stored = AllLinks();

        RunMove(form, [&](TForm7& dialog) {
            if (how == "confirm") {
                QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
            } else if (how == "escape") {
                QTest::keyClick(dialog.ComboBox1, Qt::Key_Escape);
            } else if (how == "cancel") {
                dialog.ComboBox1->setCurrentIndex(2);
                QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
            } else if (how == "close") {
                dialog.ComboBox1->setCurrentIndex(2);
                dialog.close();
            } else {
                dialog.ComboBox1->setCurrentIndex(2);
                dialog.reject();
            }
        });

        QVERIFY(dialogOpened_);
        QVERIFY(ListState(*form.ListBox1) == before);
        QCOMPARE(AllLinks(), stored);
        QCOMPARE(form.Busy, false);
    }

    void moveOpensNoDialog_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("only the pseudo-categories") << "no categories";
        QTest::newRow("no link selected") << "no links";
        QTest::newRow("no category selected") << "no category";
    }

    void moveOpensNoDialog()
    {
        QFETCH(QString, situation);
        if (situation == "no categories") {
            fx->AddLink(0, "http://a.pl");
            fx->AddLink(0, "http://b.pl");
        } else {
            SeedForMoves();
        }
        TForm1& form = fx->Start();
        if (situation == "no categories") {
            QCOMPARE(form.ListBox2->Count(), 2);
            ChooseCategory(form, 0);
            SelectLinkRows(form, {0, 1}, 0);
        } else if (situation == "no links") {
            ChooseCategory(form, 1);
            SelectLinkRows(form, {}, 1);
        } else {
            ChooseCategory(form, 1);
            SelectLinkRows(form, {1}, 1);
            form.ListBox2->SetItemIndex(-1);
        }
        const ListState before(*form.ListBox1);
        const QStringList stored = AllLinks();

        RunMove(form, Choose(0));

        QVERIFY(!dialogOpened_);
        QVERIFY(ListState(*form.ListBox1) == before);
        QCOMPARE(AllLinks(), stored);
        QCOMPARE(form.Busy, false);
    }

    // A move the store refuses leaves the rows where they were; SQLite's
    // error has reached the user from inside the store.
    void failedMoveKeepsTheRows_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("catalogue locked by another program") << "lock"
                                                             << "database is locked";
        QTest::newRow("update refused by a trigger") << "trigger"
                                                     << "nie";
    }

    void failedMoveKeepsTheRows()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        SeedForMoves();
        Catalogue other(DbPath());
        if (fault == "trigger")
            EXEC_SQL(other, "CREATE TRIGGER refuse BEFORE UPDATE ON LINKS BEGIN SELECT RAISE(ABORT,'nie'); END;");
        TForm1& form = fx->Start();
        ChooseCategory(form, 1);
        SelectLinkRows(form, {0, 2}, 2);
        const ListState before(*form.ListBox1);
        const QStringList stored = AllLinks();

        if (fault == "lock")
            EXEC_SQL(other, "BEGIN EXCLUSIVE;");
        RunMove(form, Choose(2), [&form] { form.ToolButton24->trigger(); });
        if (fault == "lock")
            EXEC_SQL(other, "ROLLBACK;");

        QVERIFY(dialogOpened_);
        const auto asked = fx->boxes.TakeAsked();
        // The failed move is reloaded from the store: a locked catalogue
        // refuses that read too, which the command does not say again; the
        // open failure names the file.
        const QString shown = fault == "lock" ? message + "\n" + QString::fromStdString(DbPath()) : message;
        QCOMPARE(asked.size(), std::size_t(1));
        for (const auto& box : asked) {
            QCOMPARE(box.kind, platform::BoxKind::ShowMessage);
            QCOMPARE(box.text, shown);
        }
        const ListState after(*form.ListBox1);
        QCOMPARE(after.lines, before.lines);
        QCOMPARE(after.focus, before.focus);
        QCOMPARE(AllLinks(), stored);
        QCOMPARE(form.Busy, false);
    }
};

QTEST_MAIN(LinkOrderCommandsTest)
#include "LinkOrderCommandsTest.moc"
