#include "window/widgets/CategoryCombo.h"

#include <QComboBox>
#include <QPainter>
#include <QStyle>

#include "platform/ImageList.h"
#include "platform/QtText.h"
#include "store/Funcs.h"
#include "window/widgets/RowPainting.h"

namespace categorycombo {

void RowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    painter->setClipRect(option.rect);
    painter->setFont(option.font);
    draw_(*painter, option.rect, index.row(), option.state & QStyle::State_Selected);
    painter->restore();
}

QSize RowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return QSize(option.rect.width(), itemHeight_);
}

void SetLines(QComboBox& combo, const std::vector<std::string>& categoryLines, const platform::ImageList& images)
{
    combo.clear();
    const QIcon icon = images.Icon(rows::kCategoryImage);
    for (const std::string& line : categoryLines) {
        combo.addItem(icon, platform::ToQString(GetTagValue(line, "<n>")));
        combo.setItemData(combo.count() - 1, QByteArray::fromStdString(line), LineRole);
    }
}

std::string Line(const QComboBox& combo, int index)
{
    return combo.itemData(index, LineRole).toByteArray().toStdString();
}

void PaintRow(QPainter& painter, const QRect& rect, const QComboBox& combo, int index, bool selected,
              const QColor& base, const platform::ImageList& images)
{
    const QString name = platform::ToQString(GetTagValue(Line(combo, index), "<n>"));
    rows::PaintImageTextRow(painter, rect, base, index, selected, images, rows::kCategoryImage, name,
                            /*imageTop=*/0);
}

}  // namespace categorycombo
