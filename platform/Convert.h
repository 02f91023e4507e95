// Number conversions of the program's texts.
#pragma once

#include <stdexcept>
#include <string>

// Raised when a text is not a whole number.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A whole number in decimal (an optional sign), or hex after "$", "0x" or "0X";
// leading blanks are skipped. Anything else, or a value outside int, raises
// EConvertError with "'<text>' is not a valid integer value".
int StrToInt(const std::string& text);

// Decimal digits, a minus sign for negatives.
std::string IntToStr(int value);
