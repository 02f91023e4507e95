#include "window/widgets/LineListMarks.h"

#include <algorithm>

#include <QAbstractItemModel>
#include <QItemSelection>

namespace linelist {

void RowMarks::Set(int row, bool marked)
{
    char& mark = marks_[static_cast<std::size_t>(row)];
    if (static_cast<bool>(mark) == marked)
        return;
    mark = marked ? 1 : 0;
    count_ += marked ? 1 : -1;
}

void RowMarks::Assign(std::size_t rows)
{
    marks_.assign(rows, 0);
    count_ = 0;
}

void RowMarks::Resize(std::size_t rows)
{
    if (rows < marks_.size())
        count_ -= static_cast<int>(std::count(marks_.begin() + static_cast<std::ptrdiff_t>(rows), marks_.end(), 1));
    marks_.resize(rows);
}

void RowMarks::PopBack()
{
    if (marks_.back())
        --count_;
    marks_.pop_back();
}

void RowMarks::ClearAll()
{
    std::fill(marks_.begin(), marks_.end(), 0);
    count_ = 0;
}

std::vector<int> RowMarks::Rows() const
{
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(count_));
    for (std::size_t i = 0; i < marks_.size() && rows.size() < static_cast<std::size_t>(count_); ++i)
        if (marks_[i])
            rows.push_back(static_cast<int>(i));
    return rows;
}

int RowMarks::RowAfterRemoval(int row) const
{
    while (row >= 0 && marks_[static_cast<std::size_t>(row)])
        --row;
    if (row >= 0)
        return row - static_cast<int>(std::count(marks_.begin(), marks_.begin() + row, 1));
    return static_cast<std::size_t>(count_) < marks_.size() ? 0 : -1;
}

std::vector<char> RowMarks::TakeForRemoval()
{
    std::vector<char> marks = std::move(marks_);
    marks_.assign(marks.size() - static_cast<std::size_t>(count_), 0);
    count_ = 0;
    return marks;
}

void RowMarks::Mark(const QItemSelection& ranges, bool marked)
{
    for (const QItemSelectionRange& range : ranges)
        for (int row = range.top(); row <= range.bottom(); ++row)
            if (row >= 0 && static_cast<std::size_t>(row) < marks_.size())
                Set(row, marked);
}

QItemSelection RowMarks::Ranges(const QAbstractItemModel& model) const
{
    QItemSelection selection;
    for (std::size_t i = 0; i < marks_.size();) {
        if (!marks_[i]) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < marks_.size() && marks_[end])
            ++end;
        selection.select(model.index(static_cast<int>(i), 0), model.index(static_cast<int>(end - 1), 0));
        i = end;
    }
    return selection;
}

}  // namespace linelist
