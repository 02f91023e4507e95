#include "window/widgets/CheckListBox.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Draws the check box where the style places it (so that the view's own
// click and space handling hit it), then the row through the list's handler.
class CheckRowDelegate : public QStyledItemDelegate {
public:
    explicit CheckRowDelegate(CheckListBox* box) : QStyledItemDelegate(box), box_(box) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        QStyle* style = box_->style();
        const QRect check = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, box_);

        painter->save();
        painter->setClipRect(option.rect);
        painter->fillRect(
            QRect(option.rect.left(), option.rect.top(), check.right() + 2 - option.rect.left(), option.rect.height()),
            box_->Color());
        QStyleOptionViewItem indicator = opt;
        indicator.rect = check;
        indicator.state &= ~(QStyle::State_Selected | QStyle::State_On | QStyle::State_Off | QStyle::State_NoChange);
        indicator.state |= opt.checkState == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &indicator, painter, box_);
        const QRect row(QPoint(check.right() + 2, option.rect.top()), option.rect.bottomRight());
        painter->setClipRect(row);
        painter->setFont(box_->font());
        box_->DrawRow(*painter, row, index.row(), option.state & QStyle::State_Selected);
        painter->restore();
        if ((option.state & QStyle::State_HasFocus) && box_->hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(option);
            focus.rect = row;
            focus.backgroundColor = box_->Color();
            style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, box_);
        }
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return QSize(box_->viewport()->width(), box_->ItemHeight());
    }

private:
    CheckListBox* box_;
};

}  // namespace

CheckListBox::CheckListBox(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new CheckRowDelegate(this));
    setUniformItemSizes(true);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setDragEnabled(false);
    SetColor(color_);
}

void CheckListBox::SetItemHeight(int height)
{
    itemHeight_ = height;
    doItemsLayout();
}

void CheckListBox::SetColor(const QColor& color)
{
    color_ = color;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, color);
    setPalette(palette);
}

std::string CheckListBox::Item(int index) const
{
    const QListWidgetItem* row = item(index);
    return row ? row->data(LineRole).toByteArray().toStdString() : std::string();
}

void CheckListBox::Append(const std::string& line)
{
    auto* row = new QListWidgetItem;
    row->setData(LineRole, QByteArray::fromStdString(line));
    row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    row->setCheckState(Qt::Unchecked);
    addItem(row);
}

bool CheckListBox::GetChecked(int index) const
{
    const QListWidgetItem* row = item(index);
    return row && row->checkState() == Qt::Checked;
}

void CheckListBox::SetChecked(int index, bool checked)
{
    if (QListWidgetItem* row = item(index))
        row->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void CheckListBox::DrawRow(QPainter& painter, const QRect& rect, int index, bool selected) const
{
    if (drawItem_)
        drawItem_(painter, rect, index, selected);
}
