// The owner-drawn list box of the window: a QListWidget whose rows are the
// tagged lines themselves, kept as exact bytes in LineRole. A draw handler
// paints every row; the store's list helpers work on it through
// ListBoxLines.
//
// As in the class library: ItemIndex is the focused row, set without
// touching the selection; programmatic changes never emit UserClicked, only
// the user's mouse or keyboard does; a right click opens the context menu
// without moving the selection; Qt's own Ctrl+A and Ctrl+C are off.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QColor>
#include <QListWidget>

#include "Funcs.h"

class QPainter;

class LineListBox : public QListWidget, public ListBoxLines {
    Q_OBJECT
public:
    static constexpr int LineRole = Qt::UserRole;

    // painter, the row's rectangle, its index, whether it is selected
    using DrawItemHandler = std::function<void(QPainter&, const QRect&, int, bool)>;

    explicit LineListBox(QWidget* parent = nullptr);

    void SetDrawItem(DrawItemHandler handler) { drawItem_ = std::move(handler); }
    void SetItemHeight(int height);
    int ItemHeight() const { return itemHeight_; }
    // The list's own background colour, the base of its row colours.
    QColor Color() const { return color_; }
    void SetColor(const QColor& color);
    void SetMultiSelect(bool multiSelect);

    // ListBoxLines
    int Count() const override { return count(); }
    std::string Item(int index) const override;
    void Append(const std::string& line) override;
    void Replace(int index, const std::string& line) override;
    void DeleteLast() override;
    int ItemIndex() const override { return currentRow(); }
    void SetItemIndex(int index) override;
    bool Selected(int index) const override;
    void SetSelected(int index, bool selected) override;

    void Clear() { clear(); }
    // Every row's line, in list order.
    std::vector<std::string> Lines() const;
    // The selected rows, ascending, and their number.
    std::vector<int> SelectedRows() const;
    int SelCount() const;
    // Exactly these rows selected (ascending), in one change; the focused
    // row stays where it is.
    void SetSelectedRows(const std::vector<int>& rows);
    // Removes every selected row; no row is selected afterwards.
    void DeleteSelected();
    // Paints one row through the draw handler (the delegate's work).
    void DrawRow(QPainter& painter, const QRect& rect, int index, bool selected) const;

signals:
    // The user chose a row with the mouse or moved with the keyboard.
    void UserClicked();
    // A double click anywhere in the list, on a row or below the last one.
    void DblClick();
    // A key pressed while the list has the focus, before the list handles it.
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    // A drag that ends on another row chose that row: it counts as a click.
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    DrawItemHandler drawItem_;
    int itemHeight_ = 18;
    QColor color_ = Qt::white;
    int rowAfterPress_ = -1;  // the current row once the left button went down
};
