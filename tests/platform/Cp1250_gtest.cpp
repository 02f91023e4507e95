// The Windows-1250 codec and lower-casing.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "platform/Cp1250.h"

using platform::Cp1250ToCodePoint;
using platform::Cp1250ToUtf8;
using platform::LowerCase;
using platform::Utf8ToCp1250;

namespace {

// The code point the C library's own CP1250 table gives a byte; 0xFFFD where it
// has none.
char32_t IconvCodePoint(unsigned char byte)
{
    iconv_t cd = iconv_open("UTF-32LE", "CP1250");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return 0;
    char in = static_cast<char>(byte);
    unsigned char out[4] = {};
    char* inp = &in;
    char* outp = reinterpret_cast<char*>(out);
    size_t inLeft = 1, outLeft = 4;
    const size_t rc = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1))
        return 0xFFFD;
    return out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<char32_t>(out[3]) << 24);
}

}  // namespace

TEST(Cp1250, PolishLettersAndSpecialBytes)
{
    struct Case {
        unsigned char byte;
        char32_t cp;
    } cases[] = {
        {0xA5, U'Ą'},   {0xC6, U'Ć'},   {0xCA, U'Ę'},   {0xA3, U'Ł'}, {0xD1, U'Ń'}, {0xD3, U'Ó'},   {0x8C, U'Ś'},
        {0x8F, U'Ź'},   {0xAF, U'Ż'},   {0xB9, U'ą'},   {0xE6, U'ć'}, {0xEA, U'ę'}, {0xB3, U'ł'},   {0xF1, U'ń'},
        {0xF3, U'ó'},   {0x9C, U'ś'},   {0x9F, U'ź'},   {0xBF, U'ż'}, {0x80, U'€'}, {0x84, U'„'},   {0x94, U'”'},
        {0x96, U'–'},   {0xA0, 0xA0},   {0x00, 0},      {0x41, U'A'}, {0x7F, 0x7F}, {0x81, 0xFFFD}, {0x83, 0xFFFD},
        {0x88, 0xFFFD}, {0x90, 0xFFFD}, {0x98, 0xFFFD},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.byte));
        EXPECT_EQ(Cp1250ToCodePoint(c.byte), c.cp);
    }
}

TEST(Cp1250, EveryByteAgreesWithTheSystemTable)
{
    if (IconvCodePoint('A') != U'A')
        GTEST_SKIP() << "no CP1250 table in the C library";
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        EXPECT_EQ(Cp1250ToCodePoint(static_cast<unsigned char>(b)), IconvCodePoint(static_cast<unsigned char>(b)));
    }
}

TEST(Cp1250, TextConvertsBothWays)
{
    EXPECT_EQ(Cp1250ToUtf8("\xB3\xF3\x64\x9F"), "łódź");
    EXPECT_EQ(Utf8ToCp1250("łódź"), "\xB3\xF3\x64\x9F");
    EXPECT_EQ(Utf8ToCp1250("Zażółć gęślą jaźń ZAŻÓŁĆ GĘŚLĄ JAŹŃ"),
              "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1 ZA\xAF\xD3\xA3\xC6 G\xCA\x8CL\xA5 JA\x8F\xD1");
    EXPECT_EQ(Cp1250ToUtf8("\x81"), "\xEF\xBF\xBD");
    EXPECT_EQ(Cp1250ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));

    // Every defined byte survives the way to UTF-8 and back.
    for (int b = 1; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        if (Cp1250ToCodePoint(static_cast<unsigned char>(b)) == 0xFFFD)
            continue;
        SCOPED_TRACE(b);
        EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(one)), one);
    }
}

TEST(Cp1250, OutsideTheCodePageBecomesQuestionMark)
{
    struct Case {
        std::string utf8, cp1250;
    } cases[] = {
        {"日本", "??"},
        {"a😀b", "a?b"},  // one character outside the plane
        {"\xC3", "?"},   // a sequence cut short
        {"\xC3"
         "b",
         "?b"},              // the next byte is no continuation
        {"\x80x", "?x"},     // a lone continuation byte
        {"ä€", "\xE4\x80"},  // inside the code page
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(Utf8ToCp1250(c.utf8), c.cp1250);
    }
}

TEST(Cp1250, LowerCaseFoldsTheCodePagesCapitals)
{
    struct Pair {
        unsigned char upper, lower;
    } pairs[] = {
        {0xA5, 0xB9}, {0xC6, 0xE6}, {0xCA, 0xEA}, {0xA3, 0xB3}, {0xD1, 0xF1}, {0xD3, 0xF3},  // Polish
        {0x8C, 0x9C}, {0x8F, 0x9F}, {0xAF, 0xBF}, {0x8A, 0x9A}, {0x8D, 0x9D}, {0x8E, 0x9E},
        {0xAA, 0xBA}, {0xBC, 0xBE}, {0xC0, 0xE0}, {0xC1, 0xE1}, {0xC8, 0xE8}, {0xCF, 0xEF},
        {0xD8, 0xF8}, {0xD9, 0xF9}, {0xDE, 0xFE}, {'A', 'a'},   {'Z', 'z'},
    };
    for (const auto& p : pairs) {
        SCOPED_TRACE(static_cast<int>(p.upper));
        EXPECT_EQ(LowerCase(std::string(1, static_cast<char>(p.upper))), std::string(1, static_cast<char>(p.lower)));
        EXPECT_EQ(LowerCase(std::string(1, static_cast<char>(p.lower))), std::string(1, static_cast<char>(p.lower)));
    }
    // Bytes that are no capital letter stay as they are.
    for (int b : {0xD7, 0xDF, 0xB5, 0x80, 0xA0, 0xF7, int('0'), int('['), int('@'), 0x00}) {
        SCOPED_TRACE(b);
        EXPECT_EQ(LowerCase(std::string(1, static_cast<char>(b))), std::string(1, static_cast<char>(b)));
    }
    EXPECT_EQ(LowerCase("\xA3\xD3\x44\x8F Mixed 12"), "\xB3\xF3\x64\x9F mixed 12");
}
