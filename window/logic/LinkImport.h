// The Qt-free part of the link import: which lines of a clipboard text or a
// text file are offered as links.
#pragma once

#include <string>
#include <vector>

namespace linkimport {

// Whether a line, its leading blanks already trimmed, is a link candidate:
// its first four characters (all of it when shorter) contain "ed2k", "http"
// or "www", case-sensitively.
bool IsCandidate(const std::string& trimmed);

// Keeps the candidates in one pass, in source order: empty lines go, every
// other line loses its leading bytes of 32 or less and stays only when it
// is a candidate. Repeated lines and trailing blanks stay.
void FilterCandidates(std::vector<std::string>& lines);

}  // namespace linkimport
