// The delegate of a list box: every row is painted by the box's draw
// handler, as selected when the box's own flag for the row says so, in the
// box's font, with the focus frame over the focused row while the box has
// the focus. Every row is the box's item height high.
#pragma once

#include <QAbstractItemDelegate>

class LineListBox;

namespace linelist {

class RowDelegate : public QAbstractItemDelegate {
public:
    // Owned by the box.
    explicit RowDelegate(LineListBox* box);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    LineListBox* box_;
};

}  // namespace linelist
