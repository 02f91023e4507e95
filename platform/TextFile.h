// Text files of links as the program's Windows-1250 text.
//
// A file that begins with the UTF-8 byte-order mark is UTF-8 throughout (the
// mark dropped); a byte in it that is not UTF-8 is kept as the Windows-1250
// character it is. In any other file each line is decided on its own: a line
// that is valid UTF-8 holding at least one multi-byte character is converted
// from UTF-8, any other line is taken byte for byte as Windows-1250, so one
// stray Windows-1250 line leaves the UTF-8 lines around it as they are. NUL
// bytes are dropped (see WithoutNul).
#pragma once

#include <string>
#include <vector>

#include "platform/Cp1250.h"

namespace platform {

// Whether the bytes, read as a whole, are UTF-8: they begin with the mark, or
// they are valid UTF-8 holding a multi-byte character.
bool IsUtf8Text(const std::string& bytes);

// The bytes of a text file as Windows-1250 text, line breaks kept; rule says
// what becomes of a UTF-8 character outside the code page.
std::string TextFileToCp1250(const std::string& bytes, Unmappable rule);

// A text file's lines (split as SplitLines does) as Windows-1250 text;
// EFOpenError when the file cannot be read.
std::vector<std::string> LoadTextLines(const std::string& path, Unmappable rule);

}  // namespace platform
