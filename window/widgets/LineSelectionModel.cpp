#include "window/widgets/LineSelectionModel.h"

#include "window/widgets/LineListBox.h"

namespace linelist {

LineSelectionModel::LineSelectionModel(QAbstractItemModel* model, LineListBox* box)
    : QItemSelectionModel(model, box), box_(box)
{}

void LineSelectionModel::setCurrentIndex(const QModelIndex& index, SelectionFlags command)
{
    if (command != NoUpdate)
        box_->FlushSelection();
    QItemSelectionModel::setCurrentIndex(index, command);
}

void LineSelectionModel::select(const QModelIndex& index, SelectionFlags command)
{
    box_->FlushSelection();
    QItemSelectionModel::select(index, command);
}

void LineSelectionModel::select(const QItemSelection& selection, SelectionFlags command)
{
    box_->FlushSelection();
    QItemSelectionModel::select(selection, command);
}

void LineSelectionModel::clear()
{
    box_->FlushSelection();
    QItemSelectionModel::clear();
}

}  // namespace linelist
