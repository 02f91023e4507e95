#include "platform/Convert.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

[[noreturn]] void Fail(const std::string& text)
{
    throw EConvertError("'" + text + "' is not a valid integer value");
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

int StrToInt(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        Fail(text);
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            Fail(text);
        value = value * base + digit;
        // Hex texts may spell a negative 32-bit pattern ("$FFFFFFFF").
        if (value > (base == 16 ? 0xFFFFFFFFLL : static_cast<long long>(INT_MAX) + 1))
            Fail(text);
    }
    if (base == 16 && value > INT_MAX)
        value -= 0x100000000LL;
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        Fail(text);
    return static_cast<int>(value);
}

std::string IntToStr(int value)
{
    return std::to_string(value);
}
