#include "window/logic/LinkOrder.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/Convert.h"
#include "store/Funcs.h"

namespace linkorder {
namespace {

const std::string kPosTag = "<p>";
const std::string kLinkTag = "<l>";
const std::string kDescrTag = "<d>";

std::vector<int> SortedRows(std::vector<int> rows, int count)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::erase_if(rows, [count](int row) { return row < 0 || row >= count; });
    return rows;
}

// Maximal runs of consecutive rows in an ascending row list, as [first, last].
std::vector<std::pair<int, int>> Blocks(const std::vector<int>& rows)
{
    std::vector<std::pair<int, int>> blocks;
    for (int row : rows) {
        if (!blocks.empty() && blocks.back().second + 1 == row)
            blocks.back().second = row;
        else
            blocks.emplace_back(row, row);
    }
    return blocks;
}

// What a block move needs to know of one direction.
struct Direction {
    // The neighbour row that makes way for the block [first, last].
    int (*neighbour)(int first, int last);
    // Where a link of the block lands.
    int step;
};

LinkMove Unmoved(const std::vector<std::string>& lines, std::vector<int> selectedRows, int focusRow)
{
    LinkMove result;
    result.lines = lines;
    result.selectedRows = std::move(selectedRows);
    result.focusRow = focusRow;
    return result;
}

// Moves every block one row by dir.step. The neighbour's link takes the far end
// of the block; every row keeps its position number, so the lines of the rows
// touched get the position of the row they now stand in.
LinkMove MoveBlocks(const std::vector<std::string>& lines, const std::vector<int>& rows, int focusRow,
                    const Direction& dir)
{
    LinkMove result;
    result.moved = true;
    result.lines = lines;
    result.focusRow = focusRow;

    for (const auto& [first, last] : Blocks(rows)) {
        const int neighbour = dir.neighbour(first, last);
        const int low = std::min(first, neighbour);
        const int high = std::max(last, neighbour);
        // Where the neighbour's link ends: the block's far end.
        const int neighbourTarget = dir.step < 0 ? last : first;

        std::vector<std::string> positions;
        positions.reserve(high - low + 1);
        for (int row = low; row <= high; ++row)
            positions.push_back(GetTagValue(lines[row], kPosTag));

        auto place = [&](int from, int to) {
            result.lines[to] = SetTagValue(lines[from], positions[to - low], kPosTag);
        };
        for (int row = first; row <= last; ++row) {
            place(row, row + dir.step);
            result.selectedRows.push_back(row + dir.step);
        }
        place(neighbour, neighbourTarget);

        if (focusRow >= first && focusRow <= last)
            result.focusRow = focusRow + dir.step;
        else if (focusRow == neighbour)
            result.focusRow = neighbourTarget;

        for (int row = low; row <= high; ++row) {
            result.changedRows.push_back(row);
            result.changedLines.push_back(result.lines[row]);
        }
    }
    return result;
}

}  // namespace

int MaxLinkPos(const std::vector<std::string>& lines)
{
    int largest = 0;
    for (const auto& line : lines)
        largest = std::max(largest, StrToInt(GetTagValue(line, kPosTag)));
    return largest;
}

DuplicateLinks FindDuplicateLinks(const std::vector<std::string>& lines)
{
    std::vector<std::string> texts;
    texts.reserve(lines.size());
    for (const auto& line : lines)
        texts.push_back(GetTagValue(line, kLinkTag));

    // Each distinct text gets a group number in the order of its first row;
    // every later row of a text is a duplicate, listed under that number.
    std::unordered_map<std::string_view, int> groupOfText;
    groupOfText.reserve(texts.size());
    std::vector<std::pair<int, int>> duplicates;  // (group, row)
    for (int row = 0; row < static_cast<int>(texts.size()); ++row) {
        const auto [it, first] = groupOfText.try_emplace(texts[row], static_cast<int>(groupOfText.size()));
        if (!first)
            duplicates.emplace_back(it->second, row);
    }
    std::stable_sort(duplicates.begin(), duplicates.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    DuplicateLinks result;
    result.rows.reserve(duplicates.size());
    for (const auto& [group, row] : duplicates) {
        result.rows.push_back(row);
        result.listing += texts[row];
        result.listing += '\n';
    }
    return result;
}

LinkMove MoveSelectedUp(const std::vector<std::string>& lines, const std::vector<int>& selectedRows, int focusRow)
{
    const int count = static_cast<int>(lines.size());
    const std::vector<int> rows = SortedRows(selectedRows, count);
    if (rows.empty() || count < 2 || rows.front() == 0)
        return Unmoved(lines, rows, focusRow);
    return MoveBlocks(lines, rows, focusRow, {[](int first, int) { return first - 1; }, -1});
}

LinkMove MoveSelectedDown(const std::vector<std::string>& lines, const std::vector<int>& selectedRows, int focusRow)
{
    const int count = static_cast<int>(lines.size());
    const std::vector<int> rows = SortedRows(selectedRows, count);
    if (rows.empty() || count < 2 || rows.back() == count - 1)
        return Unmoved(lines, rows, focusRow);
    return MoveBlocks(lines, rows, focusRow, {[](int, int last) { return last + 1; }, +1});
}

std::string JoinLinkTexts(const std::vector<std::string>& lines, const std::vector<int>& rows)
{
    std::string text;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (k > 0)
            text += '\n';
        text += GetTagValue(lines[rows[k]], kLinkTag);
    }
    return text;
}

std::string JoinDescriptions(const std::vector<std::string>& lines, const std::vector<int>& rows)
{
    std::string text;
    for (int row : rows) {
        text += GetTagValue(lines[row], kDescrTag);
        text += '\n';
    }
    return text;
}

std::vector<std::string> WithDescription(const std::vector<std::string>& lines, const std::vector<int>& rows,
                                         const std::string& descr)
{
    std::vector<std::string> result;
    result.reserve(rows.size());
    for (int row : rows)
        result.push_back(SetTagValue(lines[row], descr, kDescrTag));
    return result;
}

std::vector<std::string> LinesOfRows(const std::vector<std::string>& lines, const std::vector<int>& rows)
{
    std::vector<std::string> result;
    result.reserve(rows.size());
    for (int row : rows)
        result.push_back(lines[row]);
    return result;
}

}  // namespace linkorder
