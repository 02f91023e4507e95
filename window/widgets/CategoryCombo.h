// The owner-drawn category combo of the dialogs that pick a category: each
// row is a category line (exact bytes in LineRole) shown by its name, and
// every row of the drop-down list is painted by the dialog's draw handler.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QAbstractItemDelegate>

class QColor;
class QComboBox;
class QPainter;
class QRect;

namespace platform {
class ImageList;
}

namespace categorycombo {

constexpr int LineRole = Qt::UserRole;

// Paints every row of a combo's list through a draw handler: painter, the
// row's rectangle, its index, whether it is selected.
class RowDelegate : public QAbstractItemDelegate {
public:
    using Draw = std::function<void(QPainter&, const QRect&, int, bool)>;

    RowDelegate(QObject* parent, Draw draw, int itemHeight)
        : QAbstractItemDelegate(parent), draw_(std::move(draw)), itemHeight_(itemHeight)
    {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override;

private:
    Draw draw_;
    int itemHeight_;
};

// The combo's rows := one per category line, named by its "<n>", with the
// category image of images.
void SetLines(QComboBox& combo, const std::vector<std::string>& categoryLines, const platform::ImageList& images);
// The category line of a row; "" for a row that does not exist.
std::string Line(const QComboBox& combo, int index);
// Paints a row as the combos show it: the category image and the name, on
// the row colours of base.
void PaintRow(QPainter& painter, const QRect& rect, const QComboBox& combo, int index, bool selected,
              const QColor& base, const platform::ImageList& images);

}  // namespace categorycombo
