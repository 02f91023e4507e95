#include "window/logic/CategoryOrder.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "platform/Cp1250.h"
#include "store/Funcs.h"

namespace {

// The Polish small letters of Windows-1250 that follow a base letter, in order.
struct LetterAfter {
    unsigned char base;
    std::vector<unsigned char> letters;
};

const std::vector<LetterAfter>& PolishLetters()
{
    static const std::vector<LetterAfter> table = {
        {'a', {0xB9}},        // ą
        {'c', {0xE6}},        // ć
        {'e', {0xEA}},        // ę
        {'l', {0xB3}},        // ł
        {'n', {0xF1}},        // ń
        {'o', {0xF3}},        // ó
        {'s', {0x9C}},        // ś
        {'z', {0x9F, 0xBF}},  // ź, ż
    };
    return table;
}

bool IsPolishLetter(unsigned char byte)
{
    for (const LetterAfter& entry : PolishLetters())
        if (std::find(entry.letters.begin(), entry.letters.end(), byte) != entry.letters.end())
            return true;
    return false;
}

// The rank of every (small) byte in the alphabet: code-page order with the
// Polish letters moved right after their base letters.
std::array<int, 256> BuildRanks()
{
    std::array<int, 256> ranks{};
    int next = 0;
    for (int code = 0; code < 256; ++code) {
        const auto byte = static_cast<unsigned char>(code);
        if (IsPolishLetter(byte))
            continue;
        ranks[byte] = next++;
        for (const LetterAfter& entry : PolishLetters())
            if (entry.base == byte)
                for (unsigned char letter : entry.letters)
                    ranks[letter] = next++;
    }
    return ranks;
}

const std::array<int, 256>& Ranks()
{
    static const std::array<int, 256> ranks = BuildRanks();
    return ranks;
}

bool IsRefused(const std::vector<bool>& selected, std::size_t edgeRow)
{
    const bool anySelected = std::find(selected.begin(), selected.end(), true) != selected.end();
    return !anySelected || selected.size() < 2 || selected[edgeRow];
}

RowOrder Identity(std::size_t count)
{
    RowOrder order(count);
    std::iota(order.begin(), order.end(), 0);
    return order;
}

}  // namespace

int CompareCategoryNames(const std::string& a, const std::string& b)
{
    const std::string foldedA = platform::LowerCase(a);
    const std::string foldedB = platform::LowerCase(b);
    const std::array<int, 256>& ranks = Ranks();
    const std::size_t common = std::min(foldedA.size(), foldedB.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int rankA = ranks[static_cast<unsigned char>(foldedA[i])];
        const int rankB = ranks[static_cast<unsigned char>(foldedB[i])];
        if (rankA != rankB)
            return rankA < rankB ? -1 : 1;
    }
    if (foldedA.size() == foldedB.size())
        return 0;
    return foldedA.size() < foldedB.size() ? -1 : 1;
}

RowOrder CategoryOrderByName(const std::vector<std::string>& categoryLines)
{
    std::vector<std::string> names;
    names.reserve(categoryLines.size());
    for (const std::string& line : categoryLines)
        names.push_back(GetTagValue(line, "<n>"));

    RowOrder order = Identity(categoryLines.size());
    std::stable_sort(order.begin(), order.end(), [&names](int left, int right) {
        return CompareCategoryNames(names[static_cast<std::size_t>(left)], names[static_cast<std::size_t>(right)]) < 0;
    });
    return order;
}

RowOrder MoveSelectedRowsUp(const std::vector<bool>& selected)
{
    if (IsRefused(selected, 0))
        return {};
    // Each selected row changes places with the row above it, top to bottom;
    // the row above is never a selected one, as that has already moved up.
    RowOrder order = Identity(selected.size());
    for (std::size_t i = 1; i < selected.size(); ++i)
        if (selected[static_cast<std::size_t>(order[i])])
            std::swap(order[i], order[i - 1]);
    return order;
}

RowOrder MoveSelectedRowsDown(const std::vector<bool>& selected)
{
    if (IsRefused(selected, selected.empty() ? 0 : selected.size() - 1))
        return {};
    RowOrder order = Identity(selected.size());
    for (std::size_t i = selected.size() - 1; i-- > 0;)
        if (selected[static_cast<std::size_t>(order[i])])
            std::swap(order[i], order[i + 1]);
    return order;
}

int NewPlaceOfRow(const RowOrder& order, int index)
{
    const auto found = std::find(order.begin(), order.end(), index);
    return found == order.end() ? index : static_cast<int>(found - order.begin());
}
