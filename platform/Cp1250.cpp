#include "platform/Cp1250.h"

#include <array>
#include <unordered_map>

namespace platform {
namespace {

constexpr char32_t kUndefined = 0xFFFD;

// Code points of the bytes 0x80..0xFF; 0x00..0x7F are ASCII.
constexpr std::array<char32_t, 128> kHighHalf = {
    0x20AC,     kUndefined, 0x201A, kUndefined, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    kUndefined, 0x2030,     0x0160, 0x2039,     0x015A, 0x0164, 0x017D, 0x0179,  // 88
    kUndefined, 0x2018,     0x2019, 0x201C,     0x201D, 0x2022, 0x2013, 0x2014,  // 90
    kUndefined, 0x2122,     0x0161, 0x203A,     0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0,     0x02C7,     0x02D8, 0x0141,     0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8,     0x00A9,     0x015E, 0x00AB,     0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0,     0x00B1,     0x02DB, 0x0142,     0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8,     0x0105,     0x015F, 0x00BB,     0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154,     0x00C1,     0x00C2, 0x0102,     0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C,     0x00C9,     0x0118, 0x00CB,     0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110,     0x0143,     0x0147, 0x00D3,     0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158,     0x016E,     0x00DA, 0x0170,     0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155,     0x00E1,     0x00E2, 0x0103,     0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D,     0x00E9,     0x0119, 0x00EB,     0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111,     0x0144,     0x0148, 0x00F3,     0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159,     0x016F,     0x00FA, 0x0171,     0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

const std::unordered_map<char32_t, unsigned char>& ReverseTable()
{
    static const auto table = [] {
        std::unordered_map<char32_t, unsigned char> map;
        for (std::size_t i = 0; i < kHighHalf.size(); ++i)
            if (kHighHalf[i] != kUndefined)
                map.emplace(kHighHalf[i], static_cast<unsigned char>(0x80 + i));
        return map;
    }();
    return table;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text[i]; advances i. Returns kUndefined for a
// broken sequence (one byte consumed).
char32_t NextCodePoint(const std::string& text, std::size_t& i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        ++i;
        return kUndefined;
    }
    if (i + extra >= text.size()) {
        ++i;
        return kUndefined;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return kUndefined;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    i += extra + 1;
    return cp;
}

}  // namespace

char32_t Cp1250ToCodePoint(unsigned char byte)
{
    return byte < 0x80 ? byte : kHighHalf[byte - 0x80];
}

std::string Cp1250ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (const char c : text)
        AppendUtf8(out, Cp1250ToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToCp1250(const std::string& text)
{
    return Utf8ToCp1250(text, Unmappable::Question);
}

std::string Utf8ToCp1250(const std::string& text, Unmappable rule)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    const auto& reverse = ReverseTable();
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const char32_t cp = NextCodePoint(text, i);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            continue;
        }
        const auto found = reverse.find(cp);
        if (found != reverse.end()) {
            out += static_cast<char>(found->second);
        } else if (rule == Unmappable::PercentUtf8 && i - start > 1) {
            // A whole character (a broken sequence is one byte): its UTF-8 bytes.
            for (std::size_t k = start; k < i; ++k) {
                const auto byte = static_cast<unsigned char>(text[k]);
                out += '%';
                out += kHex[byte >> 4];
                out += kHex[byte & 0xF];
            }
        } else {
            out += '?';
        }
    }
    return out;
}

std::string WithoutNul(std::string text)
{
    std::erase(text, '\0');
    return text;
}

std::string LowerCase(const std::string& text)
{
    std::string out = text;
    for (char& c : out) {
        const auto b = static_cast<unsigned char>(c);
        unsigned char lower = b;
        if (b >= 'A' && b <= 'Z')
            lower = b + 0x20;
        else if (b == 0x8A || (b >= 0x8C && b <= 0x8F))
            lower = b + 0x10;  // Š Ś Ť Ž Ź
        else if (b == 0xA3)
            lower = 0xB3;  // Ł
        else if (b == 0xA5)
            lower = 0xB9;  // Ą
        else if (b == 0xAA)
            lower = 0xBA;  // Ş
        else if (b == 0xAF)
            lower = 0xBF;  // Ż
        else if (b == 0xBC)
            lower = 0xBE;  // Ľ
        else if (b >= 0xC0 && b <= 0xDE && b != 0xD7)
            lower = b + 0x20;
        c = static_cast<char>(lower);
    }
    return out;
}

}  // namespace platform
