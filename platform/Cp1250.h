// Windows-1250 text: the program's own byte strings, converted only where they
// meet Qt, the file system or the terminal.
#pragma once

#include <string>

namespace platform {

// Windows-1250 bytes to UTF-8. Bytes the code page leaves undefined become U+FFFD.
std::string Cp1250ToUtf8(const std::string& text);

// UTF-8 to Windows-1250 bytes; a character outside the code page (or a broken
// UTF-8 sequence) becomes "?".
std::string Utf8ToCp1250(const std::string& text);

// How a character outside Windows-1250 is written.
enum class Unmappable {
    Question,     // "?", the code page's own rule
    PercentUtf8,  // its UTF-8 bytes percent-encoded ("%D0%9C"): link texts, so the link still opens
};

// UTF-8 to Windows-1250 bytes with the given rule for a character outside the
// code page; a broken UTF-8 sequence still becomes "?".
std::string Utf8ToCp1250(const std::string& text, Unmappable rule);

// The Unicode code point of one Windows-1250 byte (0xFFFD where undefined).
char32_t Cp1250ToCodePoint(unsigned char byte);

// Text without its NUL bytes. Program text holds none: SQLite and the
// external libraries take texts as zero-terminated, so a NUL would cut a text
// short when it is stored. Text entering the program (from Qt, text files and
// legacy files) passes through here.
std::string WithoutNul(std::string text);

// Lower-cases Windows-1250 text through the code page: ASCII and the Polish
// and other Central European capitals of Windows-1250 (Ł->ł, Ś->ś, Ż->ż ...).
std::string LowerCase(const std::string& text);

}  // namespace platform
