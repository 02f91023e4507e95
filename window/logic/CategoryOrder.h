// The logic of the category-order dialog, kept apart from its widgets: the
// alphabetical order of category names and the block moves of the selected
// rows. Every operation answers with a new order of the rows, which the dialog
// then applies to its list (lines, selection and focus follow their rows).
#pragma once

#include <string>
#include <vector>

// A new order of n rows: element k is the old index of the row that stands at
// place k. An empty order means "leave the rows as they are".
using RowOrder = std::vector<int>;

// Compares two Windows-1250 names in alphabet order without regard to letter
// case: the code page's own order, except that each Polish letter stands right
// after its base letter (a, ą, b, c, ć, ... l, ł, ... z, ź, ż) and a capital
// counts as its small letter. A name that is the start of the other comes
// first. Answers < 0, 0 or > 0.
int CompareCategoryNames(const std::string& a, const std::string& b);

// The order of category lines by their "<n>" field (CompareCategoryNames);
// lines with equal names keep their order.
RowOrder CategoryOrderByName(const std::vector<std::string>& categoryLines);

// Every selected row one place up (each run of selected rows moves as a
// block, the row above a run ends directly below it). Refused (empty order)
// unless a row is selected, there are at least two rows and the first row is
// not selected.
RowOrder MoveSelectedRowsUp(const std::vector<bool>& selected);

// The mirror of MoveSelectedRowsUp: every selected row one place down; refused
// when nothing is selected, there are fewer than two rows or the last row is
// selected.
RowOrder MoveSelectedRowsDown(const std::vector<bool>& selected);

// The rows of values in the given order (values itself for an empty order).
template <typename T>
std::vector<T> ApplyRowOrder(const RowOrder& order, const std::vector<T>& values)
{
    if (order.empty())
        return values;
    std::vector<T> result;
    result.reserve(order.size());
    for (int oldIndex : order)
        result.push_back(values[static_cast<std::size_t>(oldIndex)]);
    return result;
}

// The place a row takes in the given order (index itself for an empty order
// or an index that is not in it).
int NewPlaceOfRow(const RowOrder& order, int index);
