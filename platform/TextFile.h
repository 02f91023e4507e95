// Text files of links as the program's Windows-1250 text.
//
// A file that begins with the UTF-8 byte-order mark, or is valid UTF-8
// holding at least one multi-byte character, is converted from UTF-8 (the
// mark dropped); any other file is taken byte for byte as Windows-1250.
#pragma once

#include <string>
#include <vector>

#include "platform/Cp1250.h"

namespace platform {

// Whether the bytes are taken as UTF-8 by the rule above.
bool IsUtf8Text(const std::string& bytes);

// The bytes of a text file as Windows-1250 text; rule says what becomes of a
// UTF-8 character outside the code page.
std::string TextFileToCp1250(const std::string& bytes, Unmappable rule);

// A text file's lines (split as SplitLines does) as Windows-1250 text;
// EFOpenError when the file cannot be read.
std::vector<std::string> LoadTextLines(const std::string& path, Unmappable rule);

}  // namespace platform
