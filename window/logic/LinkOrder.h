// The Qt-free part of the link-list commands: what they compute from the link
// lines of the shown category. The window reads the rows of its list, calls
// these functions and applies their result to the list and the store.
//
// Rows are 0-based indexes into the lines given; row lists are ascending.
// Texts are the program's Windows-1250 bytes.
#pragma once

#include <string>
#include <vector>

namespace linkorder {

// The largest "<p>" among the lines, never below 0 (0 for no lines).
// EConvertError on a line whose "<p>" is no whole number.
int MaxLinkPos(const std::vector<std::string>& lines);

// The later copies of every link text that occurs more than once.
struct DuplicateLinks {
    // The rows to delete: every later copy of the first repeated text in row
    // order, then those of the next repeated text (texts ordered by their first
    // row). The first row of each text survives.
    std::vector<int> rows;
    // The "<l>" text of each of those rows, each followed by "\n", in the same
    // order: the list the question shows.
    std::string listing;
};

// Link texts are compared byte for byte ("<l>" only; descriptions play no part).
// Runs in linear time.
DuplicateLinks FindDuplicateLinks(const std::vector<std::string>& lines);

// The outcome of moving the selected rows one row up or down. Positions stay
// with the rows and the links trade places: every maximal block of selected
// rows moves as a whole past its neighbour, which takes the block's far end.
struct LinkMove {
    bool moved = false;                     // false: nothing changed (see below)
    std::vector<std::string> lines;         // every row after the move
    std::vector<int> selectedRows;          // the moved links, at their new rows
    int focusRow = -1;                      // the row of the link that had the focus
    std::vector<int> changedRows;           // rows whose line changed, ascending
    std::vector<std::string> changedLines;  // their new lines, for the store
};

// Nothing moves (moved false, the rest as given) unless some row is selected,
// there are at least two rows and the first (up) / last (down) row is not
// selected. focusRow -1 means no focused row.
LinkMove MoveSelectedUp(const std::vector<std::string>& lines, const std::vector<int>& selectedRows, int focusRow);
LinkMove MoveSelectedDown(const std::vector<std::string>& lines, const std::vector<int>& selectedRows, int focusRow);

// The "<l>" texts of the rows joined by "\n", nothing after the last one.
std::string JoinLinkTexts(const std::vector<std::string>& lines, const std::vector<int>& rows);

// The "<d>" text of each row followed by "\n".
std::string JoinDescriptions(const std::vector<std::string>& lines, const std::vector<int>& rows);

// The lines of the rows with their "<d>" set to descr (escaped), in row order.
std::vector<std::string> WithDescription(const std::vector<std::string>& lines, const std::vector<int>& rows,
                                         const std::string& descr);

// The lines of the rows, in row order.
std::vector<std::string> LinesOfRows(const std::vector<std::string>& lines, const std::vector<int>& rows);

}  // namespace linkorder
