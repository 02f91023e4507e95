#include "LineListBox.h"

#include <algorithm>

#include <QAbstractItemDelegate>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace {

class RowDelegate : public QAbstractItemDelegate {
public:
    explicit RowDelegate(LineListBox* box) : QAbstractItemDelegate(box), box_(box) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        painter->setClipRect(option.rect);
        painter->setFont(box_->font());
        box_->DrawRow(*painter, option.rect, index.row(), option.state & QStyle::State_Selected);
        painter->restore();
        if ((option.state & QStyle::State_HasFocus) && box_->hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(option);
            focus.backgroundColor = box_->Color();
            box_->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, box_);
        }
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return QSize(box_->viewport()->width(), box_->ItemHeight());
    }

private:
    LineListBox* box_;
};

}  // namespace

LineListBox::LineListBox(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new RowDelegate(this));
    setUniformItemSizes(true);
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setDragEnabled(false);
    setAutoScroll(true);
    SetColor(color_);
}

void LineListBox::SetItemHeight(int height)
{
    itemHeight_ = height;
    doItemsLayout();
}

void LineListBox::SetColor(const QColor& color)
{
    color_ = color;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, color);
    setPalette(palette);
}

void LineListBox::SetMultiSelect(bool multiSelect)
{
    setSelectionMode(multiSelect ? ExtendedSelection : SingleSelection);
}

std::string LineListBox::Item(int index) const
{
    const QListWidgetItem* row = item(index);
    return row ? row->data(LineRole).toByteArray().toStdString() : std::string();
}

void LineListBox::Append(const std::string& line)
{
    auto* row = new QListWidgetItem;
    row->setData(LineRole, QByteArray::fromStdString(line));
    addItem(row);
}

void LineListBox::Replace(int index, const std::string& line)
{
    if (QListWidgetItem* row = item(index))
        row->setData(LineRole, QByteArray::fromStdString(line));
}

void LineListBox::DeleteLast()
{
    if (count() > 0)
        delete takeItem(count() - 1);
}

void LineListBox::SetItemIndex(int index)
{
    const QModelIndex row = index >= 0 ? model()->index(index, 0) : QModelIndex();
    selectionModel()->setCurrentIndex(row, QItemSelectionModel::NoUpdate);
}

bool LineListBox::Selected(int index) const
{
    const QListWidgetItem* row = item(index);
    return row && row->isSelected();
}

void LineListBox::SetSelected(int index, bool selected)
{
    QListWidgetItem* row = item(index);
    if (row && row->isSelected() != selected)
        row->setSelected(selected);
}

std::vector<std::string> LineListBox::Lines() const
{
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(count()));
    for (int i = 0; i < count(); ++i)
        lines.push_back(Item(i));
    return lines;
}

std::vector<int> LineListBox::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int LineListBox::SelCount() const
{
    return static_cast<int>(selectionModel()->selectedRows().size());
}

void LineListBox::SetSelectedRows(const std::vector<int>& rows)
{
    QItemSelection selection;
    for (std::size_t k = 0; k < rows.size();) {
        // One range per run of consecutive rows.
        std::size_t end = k + 1;
        while (end < rows.size() && rows[end] == rows[end - 1] + 1)
            ++end;
        selection.select(model()->index(rows[k], 0), model()->index(rows[end - 1], 0));
        k = end;
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void LineListBox::DeleteSelected()
{
    const std::vector<int> rows = SelectedRows();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        delete takeItem(*row);
    clearSelection();
}

void LineListBox::DrawRow(QPainter& painter, const QRect& rect, int index, bool selected) const
{
    if (drawItem_)
        drawItem_(painter, rect, index, selected);
}

void LineListBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();  // the context menu opens; the selection stays
        return;
    }
    QListWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    rowAfterPress_ = currentRow();
    if (indexAt(event->position().toPoint()).isValid())
        emit UserClicked();
}

void LineListBox::mouseReleaseEvent(QMouseEvent* event)
{
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && currentRow() != rowAfterPress_) {
        rowAfterPress_ = currentRow();
        emit UserClicked();
    }
}

void LineListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

void LineListBox::keyPressEvent(QKeyEvent* event)
{
    emit KeyDown(event->key(), event->modifiers());
    if (event->matches(QKeySequence::SelectAll) || event->matches(QKeySequence::Copy)) {
        event->ignore();
        return;
    }
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before)
        emit UserClicked();
}
