// The selection model of a list box. The box keeps its own flag per row and
// hands the changes made row by row to this model later, as one set of
// ranges; whoever changes the selection here first has the box hand over
// what is pending, so no change is applied out of order.
#pragma once

#include <QItemSelectionModel>

class LineListBox;

namespace linelist {

class LineSelectionModel : public QItemSelectionModel {
public:
    // Owned by the box, which outlives it.
    LineSelectionModel(QAbstractItemModel* model, LineListBox* box);

    void setCurrentIndex(const QModelIndex& index, SelectionFlags command) override;
    void select(const QModelIndex& index, SelectionFlags command) override;
    void select(const QItemSelection& selection, SelectionFlags command) override;
    void clear() override;

private:
    const LineListBox* box_;
};

}  // namespace linelist
