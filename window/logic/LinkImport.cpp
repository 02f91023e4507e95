#include "window/logic/LinkImport.h"

#include <string_view>

namespace linkimport {

bool IsCandidate(const std::string& trimmed)
{
    const std::string_view head = std::string_view(trimmed).substr(0, 4);
    return head.find("ed2k") != std::string_view::npos || head.find("http") != std::string_view::npos ||
        head.find("www") != std::string_view::npos;
}

void FilterCandidates(std::vector<std::string>& lines)
{
    // Kept lines are moved down over the dropped ones: no line is erased
    // from the middle of the list.
    std::size_t kept = 0;
    for (std::string& line : lines) {
        std::size_t blanks = 0;
        while (blanks < line.size() && static_cast<unsigned char>(line[blanks]) <= 32)
            ++blanks;
        if (blanks == line.size())
            continue;  // empty, or emptied by the trimming
        line.erase(0, blanks);
        if (!IsCandidate(line))
            continue;
        if (&lines[kept] != &line)
            lines[kept] = std::move(line);
        ++kept;
    }
    lines.resize(kept);
}

}  // namespace linkimport
