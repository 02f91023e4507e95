// The list box on its own: a list of 100,000 lines loaded, selected row by
// row, deleted and rewritten; selection changes made row by row reaching the
// view's selection model as one change; the focus after deleting the
// selected rows, checked against Qt's own list widget; ranges taken with
// Shift after a load starting from the row the load focused.
#include <algorithm>
#include <functional>
#include <map>

#include <QItemSelectionModel>
#include <QListWidget>
#include <QSignalSpy>
#include <QtTest>

#include "store/Funcs.h"
#include "tests/window/ListGestures.h"
#include "window/widgets/LineListBox.h"

namespace {

constexpr int kRows = 100000;

std::vector<std::string> ManyLines(int count, const std::string& tag = "")
{
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        lines.push_back(LinkLine(i + 1, 1 + i % 7, i + 1, "http://www.example.pl/" + std::to_string(i) + tag,
                                 "Opis \xb9\xea " + std::to_string(i)));
    return lines;
}

// The rows the view's own selection model holds, ascending (read from its
// ranges: selectedRows() takes time in the square of their number).
std::vector<int> ModelRows(LineListBox& box)
{
    std::vector<int> rows;
    for (const QItemSelectionRange& range : box.selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

// The selection model as the view's own code reaches it, without handing
// over what is pending.
QItemSelectionModel* ViewSelection(LineListBox& box)
{
    return static_cast<QAbstractItemView&>(box).selectionModel();
}

// A shown multi-select list on which the user has left Qt's range start far
// from where the next load focuses: row 3 clicked, then PageDown three times.
struct UsedList {
    LineListBox box;

    UsedList()
    {
        box.SetMultiSelect(true);
        box.resize(300, 200);
        box.SyncLines(ManyLines(300), 0);
        box.show();
    }

    bool Use()
    {
        if (!QTest::qWaitForWindowExposed(&box))
            return false;
        QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, box.RowRect(3).center());
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(&box, Qt::Key_PageDown);
        return box.ItemIndex() > 3 + 10;
    }

    // A visible row other than the focused one.
    int OtherVisibleRow() const
    {
        const int top = box.indexAt(QPoint(5, 2)).row();
        return top != box.ItemIndex() ? top : box.indexAt(QPoint(5, box.viewport()->height() - 3)).row();
    }
};

}  // namespace

class LineListBoxTest : public QObject {
    Q_OBJECT

private slots:
    void HundredThousandLines()
    {
        LineListBox box;
        box.SetMultiSelect(true);
        box.resize(400, 300);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QSignalSpy clicked(&box, &LineListBox::UserClicked);
        QSignalSpy resets(box.model(), &QAbstractItemModel::modelReset);
        QSignalSpy changed(box.model(), &QAbstractItemModel::dataChanged);

        // Loading: one reset, the exact bytes of every line, the last row chosen.
        const std::vector<std::string> lines = ManyLines(kRows);
        box.SyncLines(lines, -1);
        QCOMPARE(resets.count(), 1);
        QCOMPARE(box.Count(), kRows);
        QVERIFY(box.Lines() == lines);
        QCOMPARE(box.Item(kRows / 2), lines[kRows / 2]);
        QCOMPARE(box.model()->index(7, 0).data(LineListBox::LineRole).toByteArray().toStdString(), lines[7]);
        QCOMPARE(box.ItemIndex(), kRows - 1);
        QCOMPARE(box.SelectedRows(), std::vector<int>{kRows - 1});

        // Selecting a set row by row: every read sees it at once.
        box.SetSelected(kRows - 1, false);
        std::vector<int> chosen;
        for (int row = 0; row < kRows; row += 3) {
            box.SetSelected(row, true);
            QVERIFY(box.Selected(row));
            chosen.push_back(row);
        }
        box.SetSelected(3, false);
        chosen.erase(chosen.begin() + 1);
        QCOMPARE(box.SelCount(), static_cast<int>(chosen.size()));
        QCOMPARE(box.SelectedRows(), chosen);
        QCOMPARE(ModelRows(box), chosen);
        QCoreApplication::processEvents();
        QCOMPARE(ModelRows(box), chosen);

        // Deleting the selection: the other rows in their order, none selected.
        std::vector<std::string> kept;
        for (int row = 0; row < kRows; ++row)
            if (!std::binary_search(chosen.begin(), chosen.end(), row))
                kept.push_back(lines[static_cast<std::size_t>(row)]);
        box.DeleteSelected();
        QCOMPARE(box.Count(), static_cast<int>(kept.size()));
        QVERIFY(box.Lines() == kept);
        QCOMPARE(box.SelCount(), 0);
        QVERIFY(box.SelectedRows().empty());
        QVERIFY(ModelRows(box).empty());

        // Replacing one line repaints that row only.
        changed.clear();
        const std::string line = LinkLine(5, 1, 5, "ftp://inny.pl", "nowy opis");
        box.Replace(1234, line);
        QCOMPARE(box.Item(1234), line);
        QCOMPARE(box.Item(1233), kept[1233]);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), 1234);
        QCOMPARE(changed[0][1].toModelIndex().row(), 1234);

        // Reloading the same lines with one changed: no reset, one row repainted.
        kept[40000] = line;
        kept.resize(kept.size() - 10);
        resets.clear();
        changed.clear();
        box.SyncLines(kept, 5);
        QCOMPARE(resets.count(), 0);
        QVERIFY(box.Lines() == kept);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), 1234);
        QCOMPARE(changed[0][1].toModelIndex().row(), 40000);
        QCOMPARE(box.ItemIndex(), 40000);  // the later of the two rows with id 5
        QCOMPARE(box.SelectedRows(), std::vector<int>{40000});
        QCOMPARE(clicked.count(), 0);
    }

    void RowByRowChangesReachTheViewAsOneChange()
    {
        LineListBox box;
        box.SetMultiSelect(true);
        box.SetLines(ManyLines(2000));
        QSignalSpy changes(ViewSelection(box), &QItemSelectionModel::selectionChanged);
        for (int row = 0; row < 2000; row += 2)
            box.SetSelected(row, true);
        QCOMPARE(changes.count(), 0);
        QVERIFY(!ViewSelection(box)->isSelected(box.model()->index(0, 0)));
        QCoreApplication::processEvents();
        QVERIFY(changes.count() <= 2);
        QCOMPARE(static_cast<int>(ViewSelection(box)->selectedRows().size()), 1000);

        // Painting shows what is pending.
        std::map<int, bool> painted;
        box.SetDrawItem([&](QPainter&, const QRect&, int index, bool selected) { painted[index] = selected; });
        box.resize(300, 200);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.SetSelected(1, true);
        box.SetSelected(0, false);
        box.viewport()->grab();
        QVERIFY(painted.count(0) && painted.count(1) && painted.count(2));
        QVERIFY(!painted[0]);
        QVERIFY(painted[1]);
        QVERIFY(painted[2]);
    }

    void PendingChangesGiveWayToLaterOnes()
    {
        LineListBox box;
        box.SetMultiSelect(true);
        box.resize(300, 200);
        box.SetLines(ManyLines(50));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QSignalSpy clicked(&box, &LineListBox::UserClicked);

        // Cleared after row-by-row changes: nothing comes back later.
        box.SetSelected(4, true);
        box.clearSelection();
        QCoreApplication::processEvents();
        QVERIFY(box.SelectedRows().empty());
        QVERIFY(ModelRows(box).empty());

        // A click after row-by-row changes: the click's selection holds.
        box.SetSelected(4, true);
        box.SetSelected(6, true);
        QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, box.RowRect(2).center());
        QCoreApplication::processEvents();
        QCOMPARE(box.SelectedRows(), std::vector<int>{2});
        QCOMPARE(ModelRows(box), std::vector<int>{2});
        QCOMPARE(box.ItemIndex(), 2);
        QCOMPARE(clicked.count(), 1);

        // Ctrl+click adds to it; the flags follow the user as well.
        QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::ControlModifier, box.RowRect(5).center());
        QCOMPARE(box.SelectedRows(), (std::vector<int>{2, 5}));
        QCOMPARE(box.SelCount(), 2);

        // The focused row set without selecting, and rows chosen all at once.
        box.SetItemIndex(9);
        QCOMPARE(box.SelectedRows(), (std::vector<int>{2, 5}));
        box.SetSelectedRows({7, 8, 9, 20});
        QCOMPARE(box.SelectedRows(), (std::vector<int>{7, 8, 9, 20}));
        QCOMPARE(ModelRows(box), (std::vector<int>{7, 8, 9, 20}));
        QCOMPARE(box.ItemIndex(), 9);
        QCOMPARE(clicked.count(), 2);

        // The rows removed from the end take their flags with them.
        box.SetSelected(49, true);
        box.DeleteLast();
        QCOMPARE(box.SelectedRows(), (std::vector<int>{7, 8, 9, 20}));
        box.Clear();
        QCOMPARE(box.Count(), 0);
        QCOMPARE(box.SelCount(), 0);
        QCOMPARE(box.ItemIndex(), -1);
        box.Append("<i>1</i>");
        QVERIFY(!box.Selected(0));
        QCOMPARE(clicked.count(), 2);
    }

    // Where the focus goes when the selected rows are deleted is where Qt's
    // own list widget leaves it when they are taken out one by one from the
    // bottom up.
    void FocusAfterDeletingMatchesTheListWidget()
    {
        struct Case {
            const char* name;
            std::vector<int> selected;
            int focus;
        } cases[] = {
            {"focus not selected, rows above it go", {1, 3, 8}, 5},
            {"focus selected, an unselected row above", {2, 4, 5, 6}, 5},
            {"focus and every row above selected", {0, 1, 2, 7}, 2},
            {"everything selected", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 4},
            {"focus on the last row, selected", {9}, 9},
            {"no focus", {3}, -1},
        };
        for (const Case& c : cases) {
            LineListBox box;
            box.SetMultiSelect(true);
            box.SetLines(ManyLines(10));
            box.SetItemIndex(c.focus);
            for (int row : c.selected)
                box.SetSelected(row, true);
            box.DeleteSelected();

            QListWidget widget;
            widget.setSelectionMode(QAbstractItemView::ExtendedSelection);
            for (int i = 0; i < 10; ++i)
                widget.addItem(QString::number(i));
            widget.selectionModel()->setCurrentIndex(c.focus >= 0 ? widget.model()->index(c.focus, 0) : QModelIndex(),
                                                     QItemSelectionModel::NoUpdate);
            for (int row : c.selected)
                widget.item(row)->setSelected(true);
            for (auto row = c.selected.rbegin(); row != c.selected.rend(); ++row)
                delete widget.takeItem(*row);

            QVERIFY2(box.ItemIndex() == widget.currentRow(),
                     qPrintable(QStringLiteral("%1: %2 instead of %3")
                                    .arg(QLatin1String(c.name))
                                    .arg(box.ItemIndex())
                                    .arg(widget.currentRow())));
            QCOMPARE(box.Count(), widget.count());
        }
    }

    // Every way the rows or the focused row are set from code leaves the
    // start of a Shift range on the focused row: a Shift+click and then
    // Shift+Home take the rows between it and the clicked row, or the top.
    void RangesStartFromTheRowALoadFocuses()
    {
        struct Case {
            const char* name;
            std::function<void(LineListBox&)> load;
        } cases[] = {
            {"other lines, as many", [](LineListBox& b) { b.SyncLines(ManyLines(300, "x"), 121); }},
            {"fewer lines", [](LineListBox& b) { b.SyncLines(ManyLines(200, "x"), 121); }},
            {"more lines", [](LineListBox& b) { b.SyncLines(ManyLines(400, "x"), 121); }},
            {"the same lines", [](LineListBox& b) { b.SyncLines(ManyLines(300), 121); }},
            {"cleared, then loaded",
             [](LineListBox& b) {
                 b.Clear();
                 b.SyncLines(ManyLines(300, "x"), 121);
             }},
            {"rows chosen and focused",
             [](LineListBox& b) {
                 b.SetSelectedRows({100, 120});
                 b.SetItemIndex(120);
             }},
            {"selected rows deleted",
             [](LineListBox& b) {
                 b.SetSelectedRows({0, 1, 2, 130});
                 b.SetItemIndex(123);
                 b.DeleteSelected();
             }},
        };
        for (const Case& c : cases) {
            UsedList list;
            QVERIFY2(list.Use(), c.name);
            LineListBox& box = list.box;
            c.load(box);
            QCOMPARE(box.ItemIndex(), 120);
            const int other = list.OtherVisibleRow();
            QTest::mouseClick(box.viewport(), Qt::LeftButton, Qt::ShiftModifier, box.RowRect(other).center());
            QVERIFY2(box.SelectedRows() == RowsFromTo(120, other), c.name);
            QTest::keyClick(&box, Qt::Key_Home, Qt::ShiftModifier);
            QVERIFY2(box.SelectedRows() == RowsFromTo(0, 120), c.name);
            QCOMPARE(ModelRows(box), RowsFromTo(0, 120));
        }
    }

    // A Shift+click whose mouse moves before it is released still extends
    // from the focused row, not from where the last plain click was.
    void ShiftDragExtendsFromTheFocusedRow()
    {
        UsedList list;
        QVERIFY(list.Use());
        LineListBox& box = list.box;
        box.SyncLines(ManyLines(300, "x"), 121);
        const int other = list.OtherVisibleRow();
        ShiftClickMoving(box, box.RowRect(other).center());
        QCOMPARE(box.SelectedRows(), RowsFromTo(120, other));
        QCOMPARE(box.ItemIndex(), other);
    }
};

QTEST_MAIN(LineListBoxTest)
#include "LineListBoxTest.moc"
