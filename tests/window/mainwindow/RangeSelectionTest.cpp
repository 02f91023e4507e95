// Ranges taken with Shift in the link list after it was loaded again: they
// start from the row that the load focused, never from a row of the list
// shown before. Driven through real mouse and key events on the shown window.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QtTest>

#include "store/Funcs.h"
#include "tests/window/ListGestures.h"
#include "tests/window/WindowFixture.h"

using platform::BoxAnswer;
using platform::BoxKind;

namespace {

constexpr int kCategoryLinks = 200;
constexpr int kOtherLinks = 60;
constexpr int kCategoryRow = 1;  // "Dwieście", after "Bez kategorii"
constexpr int kAllRow = 3;       // "Wszystkie"

void Click(LineListBox& box, int row, Qt::KeyboardModifiers modifiers = {})
{
    QTest::mouseClick(box.viewport(), Qt::LeftButton, modifiers, box.RowRect(row).center());
}

// The visible row farthest from the focused one.
int FarVisibleRow(const LineListBox& box)
{
    const int top = box.indexAt(QPoint(5, 2)).row();
    const int bottom = box.indexAt(QPoint(5, box.viewport()->height() - 3)).row();
    const int focus = box.ItemIndex();
    return std::abs(top - focus) > std::abs(bottom - focus) ? top : bottom;
}

int StoredCount(WindowFixture& fx, int catId)
{
    return std::stoi(fx.Query("SELECT COUNT(*) FROM LINKS WHERE CAT_ID = " + std::to_string(catId)).front().front());
}

}  // namespace

class RangeSelectionTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;
    int twoHundred = 0, other = 0;

    // The user's way to the category of 200 links: a link clicked in
    // "Wszystkie", PageDown five times (Qt's range start now lies far down
    // that list), the category clicked, then Tab into the link list.
    // Answers the row the range started from in "Wszystkie".
    int OpenCategoryAfterPagingAll(TForm1& form)
    {
        Click(*form.ListBox2, kAllRow);
        [&] { QCOMPARE(form.ListBox1->Count(), kCategoryLinks + kOtherLinks); }();
        Click(*form.ListBox1, 2);
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(form.ListBox1, Qt::Key_PageDown);
        const int paged = form.ListBox1->ItemIndex();
        Click(*form.ListBox2, kCategoryRow);
        [&] { QCOMPARE(form.ListBox1->Count(), kCategoryLinks); }();
        QTest::keyClick(form.ListBox2, Qt::Key_Tab);
        [&] { QCOMPARE(QApplication::focusWidget(), form.ListBox1); }();
        return paged;
    }

private slots:
    void init()
    {
        fx = std::make_unique<WindowFixture>();
        twoHundred = fx->AddCategory("Dwieście");
        other = fx->AddCategory("Inne");
        fx->AddLinks(twoHundred, kCategoryLinks, "d");
        fx->AddLinks(other, kOtherLinks, "i");
    }
    void cleanup() { EndFixture(fx); }

    void homeShiftEndDeletesTheWholeCategory()
    {
        TForm1& form = fx->Start();
        QVERIFY(ShowAndWait(form));
        const int paged = OpenCategoryAfterPagingAll(form);
        QVERIFY2(paged > 20 && paged < kCategoryLinks - 20, "the range start lies inside the category's rows");

        QTest::keyClick(form.ListBox1, Qt::Key_Home);
        QTest::keyClick(form.ListBox1, Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(SelectedRows(*form.ListBox1), RowsFromTo(0, kCategoryLinks - 1));

        fx->boxes.Script(BoxAnswer::Button(platform::IdYes));
        QTest::keyClick(form.ListBox1, Qt::Key_Delete);
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].kind, BoxKind::MessageBox);
        QCOMPARE(asked[0].caption, QString::fromUtf8("Zapytanie"));
        QVERIFY(asked[0].text.startsWith(QString::fromUtf8("Czy napewno usunąć link(i) :\nhttp://d")));
        QCOMPARE(asked[0].text.count(QLatin1Char('\n')), kCategoryLinks);

        QCOMPARE(StoredCount(*fx, twoHundred), 0);
        QCOMPARE(StoredCount(*fx, other), kOtherLinks);
        QCOMPARE(form.ListBox1->Count(), 0);
    }

    void shiftKeysStartFromTheFocusedRow_data()
    {
        QTest::addColumn<int>("ustPoz");  // 0: the first link focused, 1: the last
        QTest::addColumn<int>("key");     // 0: a Shift+click on the farthest visible row
        QTest::addColumn<int>("to");      // the row the focus goes to; -1: a page away
        QTest::newRow("Shift+End") << 0 << int(Qt::Key_End) << kCategoryLinks - 1;
        QTest::newRow("Shift+PageDown") << 0 << int(Qt::Key_PageDown) << -1;
        QTest::newRow("Shift+Down") << 0 << int(Qt::Key_Down) << 1;
        QTest::newRow("Shift+click below") << 0 << 0 << -1;
        QTest::newRow("Shift+Home") << 1 << int(Qt::Key_Home) << 0;
        QTest::newRow("Shift+PageUp") << 1 << int(Qt::Key_PageUp) << -1;
        QTest::newRow("Shift+Up") << 1 << int(Qt::Key_Up) << kCategoryLinks - 2;
        QTest::newRow("Shift+click above") << 1 << 0 << -1;
    }

    void shiftKeysStartFromTheFocusedRow()
    {
        QFETCH(int, ustPoz);
        QFETCH(int, key);
        QFETCH(int, to);
        TForm1& form = fx->Start();
        form.UstPoz = static_cast<signed char>(ustPoz);
        QVERIFY(ShowAndWait(form));
        OpenCategoryAfterPagingAll(form);
        const int focus = ustPoz == 0 ? 0 : kCategoryLinks - 1;
        QCOMPARE(form.ListBox1->ItemIndex(), focus);

        if (key == 0)
            Click(*form.ListBox1, FarVisibleRow(*form.ListBox1), Qt::ShiftModifier);
        else
            QTest::keyClick(form.ListBox1, Qt::Key(key), Qt::ShiftModifier);
        const int now = form.ListBox1->ItemIndex();
        if (to >= 0)
            QCOMPARE(now, to);
        else
            QVERIFY(std::abs(now - focus) > 1);
        const std::vector<int> chosen = RowsFromTo(focus, now);
        QCOMPARE(SelectedRows(*form.ListBox1), chosen);

        // "Tak" deletes the chosen rows and no other: the category's stored
        // links are those of the rows outside the range, in the same order.
        std::vector<std::string> kept;
        for (int row = 0; row < form.ListBox1->Count(); ++row)
            if (!std::binary_search(chosen.begin(), chosen.end(), row))
                kept.push_back(GetTagValue(form.ListBox1->Item(row), "<l>"));
        fx->boxes.Script(BoxAnswer::Button(platform::IdYes));
        QTest::keyClick(form.ListBox1, Qt::Key_Delete);
        QCOMPARE(fx->boxes.TakeAsked().size(), std::size_t(1));
        std::vector<std::string> stored;
        for (const auto& row :
             fx->Query("SELECT LINK FROM LINKS WHERE CAT_ID = " + std::to_string(twoHundred) + " ORDER BY POS, ID"))
            stored.push_back(row.front());
        QCOMPARE(stored, kept);
        QCOMPARE(StoredCount(*fx, other), kOtherLinks);
    }

    // A reload after a write focuses a row of its own: the range starts there.
    void rangeAfterAnAddStartsFromTheRowTheReloadFocused()
    {
        TForm1& form = fx->Start();
        QVERIFY(ShowAndWait(form));
        Click(*form.ListBox2, kCategoryRow);
        Click(*form.ListBox1, 3);
        for (int i = 0; i < 2; ++i)
            QTest::keyClick(form.ListBox1, Qt::Key_PageDown);
        QVERIFY(form.ListBox1->ItemIndex() > 10);

        fx->boxes.Script(BoxAnswer::Text(QStringLiteral("http://nowy.pl")));
        QTest::keyClick(form.ListBox1, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(fx->boxes.TakeAsked().size(), std::size_t(1));
        QCOMPARE(form.ListBox1->Count(), kCategoryLinks + 1);
        const int focus = form.ListBox1->ItemIndex();
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{focus});

        QTest::keyClick(form.ListBox1, Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(SelectedRows(*form.ListBox1), RowsFromTo(focus, kCategoryLinks));
    }
};

QTEST_MAIN(RangeSelectionTest)
#include "RangeSelectionTest.moc"
