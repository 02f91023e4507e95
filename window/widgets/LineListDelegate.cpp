#include "window/widgets/LineListDelegate.h"

#include <QPainter>
#include <QStyle>

#include "window/widgets/LineListBox.h"

namespace linelist {

RowDelegate::RowDelegate(LineListBox* box) : QAbstractItemDelegate(box), box_(box)
{}

void RowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    painter->setClipRect(option.rect);
    painter->setFont(box_->font());
    box_->DrawRow(*painter, option.rect, index.row(), box_->Selected(index.row()));
    painter->restore();
    if ((option.state & QStyle::State_HasFocus) && box_->hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = box_->Color();
        box_->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, box_);
    }
}

QSize RowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return QSize(box_->viewport()->width(), box_->ItemHeight());
}

}  // namespace linelist
