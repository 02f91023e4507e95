// The selection of a list box as the box keeps it: one flag per row and the
// number of flags up, so reading and changing one row's selection costs
// nothing per call. What Qt's selection model holds is derived from it as
// ranges, and its changes are followed range by range.
#pragma once

#include <cstddef>
#include <vector>

class QAbstractItemModel;
class QItemSelection;

namespace linelist {

class RowMarks {
public:
    std::size_t Size() const { return marks_.size(); }
    // How many rows are marked.
    int Count() const { return count_; }
    // row must be one of the rows.
    bool Get(int row) const { return marks_[static_cast<std::size_t>(row)] != 0; }
    void Set(int row, bool marked);

    // rows rows, none marked.
    void Assign(std::size_t rows);
    // Rows added at the end come unmarked.
    void Resize(std::size_t rows);
    void PushBack() { marks_.push_back(0); }
    void PopBack();
    // Every flag down; the number of rows stays.
    void ClearAll();

    // The marked rows, ascending.
    std::vector<int> Rows() const;
    // The row a row ends on once the marked rows are removed: its own, or
    // when it is marked, the nearest unmarked row above it, else the first
    // remaining row; -1 when no row remains.
    int RowAfterRemoval(int row) const;
    // The flags as they were; the rows left are the unmarked ones, none marked.
    std::vector<char> TakeForRemoval();

    // The rows of the ranges (those that exist) marked or unmarked.
    void Mark(const QItemSelection& ranges, bool marked);
    // One range of model's rows per run of marked rows.
    QItemSelection Ranges(const QAbstractItemModel& model) const;

private:
    std::vector<char> marks_;
    int count_ = 0;
};

}  // namespace linelist
