// The owner-drawn check list box: a QListWidget whose rows each carry a
// check box and a line of program text (exact bytes in LineRole). The list
// draws the check box; a draw handler paints the rest of the row.
//
// A click on the check box or the space bar on the focused row toggles its
// check; checking from code runs no handler.
#pragma once

#include <functional>
#include <string>

#include <QColor>
#include <QListWidget>

class QPainter;

class CheckListBox : public QListWidget {
    Q_OBJECT
public:
    static constexpr int LineRole = Qt::UserRole;

    // painter, the row's rectangle right of its check box, its index, whether it is selected
    using DrawItemHandler = std::function<void(QPainter&, const QRect&, int, bool)>;

    explicit CheckListBox(QWidget* parent = nullptr);

    void SetDrawItem(DrawItemHandler handler) { drawItem_ = std::move(handler); }
    void SetItemHeight(int height);
    int ItemHeight() const { return itemHeight_; }
    // The list's own background colour, the base of its row colours.
    QColor Color() const { return color_; }
    void SetColor(const QColor& color);

    int Count() const { return count(); }
    std::string Item(int index) const;
    // Appends an unchecked row.
    void Append(const std::string& line);
    bool GetChecked(int index) const;
    void SetChecked(int index, bool checked);

    // Paints one row's own part through the draw handler (the delegate's work).
    void DrawRow(QPainter& painter, const QRect& rect, int index, bool selected) const;

private:
    DrawItemHandler drawItem_;
    int itemHeight_ = 16;
    QColor color_ = Qt::white;
};
