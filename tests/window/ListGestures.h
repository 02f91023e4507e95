// What the user does to a list box with the mouse, for the window tests, and
// the rows a range between two rows covers.
#pragma once

#include <vector>

#include <QPoint>

class LineListBox;

// The rows from one row to another, both included, ascending.
std::vector<int> RowsFromTo(int from, int to);

// A Shift+click at the point of the viewport whose mouse moves a few pixels
// before the button is released, as a hand on a real mouse does.
void ShiftClickMoving(LineListBox& box, QPoint at);
