// The owner-drawn list box of the window: a list view over a model of its
// own that holds the rows' tagged lines as exact bytes, one string per row,
// with no item object per row. A draw handler paints every row; the store's
// list helpers work on it through ListBoxLines.
//
// As in the class library: ItemIndex is the focused row, set without
// touching the selection; programmatic changes never emit UserClicked, only
// the user's mouse or keyboard does; a right click opens the context menu
// without moving the selection; Qt's own Ctrl+A and Ctrl+C are off.
//
// A range the user takes with Shift (keys or the mouse) starts from the
// focused row: every load and every ItemIndex set from code moves the view's
// range start there too, so no range reaches back to a row of the list shown
// before.
//
// The box keeps its own flag per row of which rows are selected, so reading
// and changing one row's selection costs nothing per call. Changes made row
// by row are gathered and handed to the view's selection model as one set
// of ranges the next time the event loop turns, or earlier when anything
// reaches the selection model, paints or takes user input.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QColor>
#include <QListView>
#include <QPersistentModelIndex>

#include "store/Funcs.h"
#include "window/widgets/LineListMarks.h"
#include "window/widgets/LineListModel.h"

class QItemSelection;
class QItemSelectionModel;
class QPainter;

class LineListBox : public QListView, public ListBoxLines {
    Q_OBJECT
public:
    static constexpr int LineRole = linelist::LineRole;

    // painter, the row's rectangle, its index, whether it is selected
    using DrawItemHandler = std::function<void(QPainter&, const QRect&, int, bool)>;

    explicit LineListBox(QWidget* parent = nullptr);
    ~LineListBox() override;

    void SetDrawItem(DrawItemHandler handler) { drawItem_ = std::move(handler); }
    void SetItemHeight(int height);
    int ItemHeight() const { return itemHeight_; }
    // The list's own background colour, the base of its row colours.
    QColor Color() const { return color_; }
    void SetColor(const QColor& color);
    void SetMultiSelect(bool multiSelect);

    // ListBoxLines
    int Count() const override;
    std::string Item(int index) const override;
    void Append(const std::string& line) override;
    void Replace(int index, const std::string& line) override;
    void DeleteLast() override;
    int ItemIndex() const override;
    void SetItemIndex(int index) override;
    bool Selected(int index) const override;
    void SetSelected(int index, bool selected) override;

    void Clear();
    // Every row's line, in list order.
    const std::vector<std::string>& Lines() const;
    // The rows become exactly these lines, no row is selected and the first
    // row is focused: one model reset when the list was empty, otherwise the
    // rows past the shorter of the two lists are inserted or removed at the
    // end at once and only the rows whose text differs are repainted. Gives
    // back the lines it held.
    std::vector<std::string> SetLines(std::vector<std::string> lines);
    // What SyncListBoxLines does, in one change: the rows become the lines,
    // and the last row whose "<i>" is selectId (-1: the last line's id; none:
    // the first row) is focused and is the only one selected. Gives back the
    // lines it held.
    std::vector<std::string> SyncLines(std::vector<std::string> lines, int selectId);
    // Changes with every change of the rows' lines, whoever makes it.
    unsigned long long Revision() const { return revision_; }
    // The selected rows, ascending, and their number.
    std::vector<int> SelectedRows() const;
    int SelCount() const { return marks_.Count(); }
    // Exactly these rows selected (ascending), in one change; the focused
    // row stays where it is.
    void SetSelectedRows(const std::vector<int>& rows);
    // Removes every selected row in one pass; no row is selected afterwards.
    // The focus stays on its row, or when that row goes, moves to the
    // nearest remaining row above it (the first remaining row when none).
    void DeleteSelected();
    // Paints one row through the draw handler (the delegate's work).
    void DrawRow(QPainter& painter, const QRect& rect, int index, bool selected) const;
    // The row's rectangle in the viewport.
    QRect RowRect(int index) const;

    // The view's selection model, with the row-by-row changes made so far
    // handed over first, so whoever reads or changes it sees them.
    QItemSelectionModel* selectionModel() const;
    // Deselects every row, those changed row by row included.
    void clearSelection();
    // Hands the row-by-row selection changes to the selection model now.
    void FlushSelection() const;

signals:
    // The user chose a row with the mouse or moved with the keyboard.
    void UserClicked();
    // A double click anywhere in the list, on a row or below the last one.
    void DblClick();
    // A key pressed while the list has the focus, before the list handles it.
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);

protected:
    // No selection change while the focused row is set from code.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    // A Shift+click that moves before the button is released keeps
    // extending from the row the press extended from.
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    void mousePressEvent(QMouseEvent* event) override;
    // A drag that ends on another row chose that row: it counts as a click.
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    int CurrentRow() const;
    // The rows become the lines, nothing selected; the focus is left to the caller.
    std::vector<std::string> ReplaceLines(std::vector<std::string> lines);
    // Follows the selection model's changes that did not come from the flags.
    void FollowSelection(const QItemSelection& selected, const QItemSelection& deselected);
    // Every flag down, nothing pending and nothing selected in the view.
    void UnmarkAll();
    void SchedulePendingFlush();
    void ApplyFlags();

    linelist::LineModel* model_;
    linelist::RowMarks marks_;  // one flag per row: selected
    unsigned long long revision_ = 0;
    mutable bool pending_ = false;  // the flags differ from the selection model
    bool flushQueued_ = false;
    bool applying_ = false;  // the flags are being handed over
    DrawItemHandler drawItem_;
    int itemHeight_ = 18;
    QColor color_ = Qt::white;
    int rowAfterPress_ = -1;            // the current row once the left button went down
    bool focusingFromCode_ = false;     // SetItemIndex is moving the view's current row
    bool pressing_ = false;             // the view is handling a left button press
    QPersistentModelIndex extendFrom_;  // the row a Shift+press extends from, until release
};
