// Text files of links: which files are read as UTF-8, and characters outside
// Windows-1250 in link texts kept percent-encoded.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/TextFile.h"

namespace fs = std::filesystem;
using platform::IsUtf8Text;
using platform::TextFileToCp1250;
using platform::Unmappable;
using platform::Utf8ToCp1250;

TEST(TextFile, WhichBytesAreUtf8)
{
    struct Case {
        const char* name;
        std::string bytes;
        bool utf8;
    } cases[] = {
        {"the mark alone", "\xEF\xBB\xBF", true},
        {"the mark before ASCII", "\xEF\xBB\xBFhttp://a.pl", true},
        {"the mark before broken UTF-8", "\xEF\xBB\xBF\xB3\xF3", true},
        {"valid with a two-byte letter",
         "http://\xC5\x82\xC3\xB3"
         "d\xC5\xBA.pl",
         true},
        {"valid with a four-byte character", "x\xF0\x9F\x98\x80", true},
        {"ASCII only: taken as Windows-1250 (the same bytes)", "http://a.pl\r\n", false},
        {"empty", "", false},
        {"Windows-1250 letters", "http://\xB3\xF3\x64\x9F.pl", false},
        {"a cut sequence at the end", "http://\xC5\x82\xC5", false},
        {"an overlong form", "\xC0\xAF\xC5\x82", false},
        {"a surrogate", "\xED\xA0\x80\xC5\x82", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"a lone continuation byte", "\xC5\x82\x82", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsUtf8Text(c.bytes), c.utf8) << c.name;
}

TEST(TextFile, ConvertsUtf8AndKeepsOtherBytes)
{
    const std::string links = "http://\xB3\xF3\x64\x9F.pl\r\nwww.\xBF\xF3\xB3w.pl\r\n";  // Windows-1250
    const std::string utf8 = "http://\xC5\x82\xC3\xB3"
                             "d\xC5\xBA.pl\r\nwww.\xC5\xBC\xC3\xB3\xC5\x82w.pl\r\n";
    EXPECT_EQ(TextFileToCp1250(links, Unmappable::Question), links);
    EXPECT_EQ(TextFileToCp1250(utf8, Unmappable::Question), links);
    EXPECT_EQ(TextFileToCp1250("\xEF\xBB\xBF" + utf8, Unmappable::PercentUtf8), links);
    // With the mark, a byte that is not UTF-8 is kept as the Windows-1250
    // character it is, not lost as "?".
    EXPECT_EQ(TextFileToCp1250("\xEF\xBB\xBF"
                               "a\xB3",
                               Unmappable::PercentUtf8),
              "a\xB3");
}

TEST(TextFile, DecidesTheEncodingLineByLine)
{
    const std::string utf8 = "http://za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87.pl";  // zażółć
    const std::string cp = "http://za\xBF\xF3\xB3\xE6.pl";                    // the same in Windows-1250
    const std::string mark = "\xEF\xBB\xBF";
    const std::string nul(1, '\0');
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
    } cases[] = {
        {"one Windows-1250 line among UTF-8 lines", utf8 + "\r\n" + cp + "\r\n" + utf8 + "\n",
         cp + "\r\n" + cp + "\r\n" + cp + "\n"},
        {"a stray byte makes its own line Windows-1250, no other", utf8 + "\xB3\r" + utf8 + "\n" + utf8,
         utf8 + "\xB3\r" + cp + "\n" + cp},
        {"ASCII lines are the same bytes either way", "www.a.pl\r\n" + utf8 + "\r\n\r\nwww.b.pl",
         "www.a.pl\r\n" + cp + "\r\n\r\nwww.b.pl"},
        {"the mark: UTF-8 throughout, a byte that is not UTF-8 kept as Windows-1250",
         mark + utf8 + "\r\n" + cp + "\r\n" + utf8 + "\xB3" + utf8 + "\xC5",
         cp + "\r\n" + cp + "\r\n" + cp + "\xB3" + cp + "\xC5"},
        {"NUL bytes are dropped in either encoding", "http://a" + nul + "b\r\n" + utf8 + nul + "\r\n" + cp + nul,
         "http://ab\r\n" + cp + "\r\n" + cp},
        {"NUL bytes are dropped after the mark", mark + nul + utf8 + nul, cp},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextFileToCp1250(c.bytes, Unmappable::PercentUtf8), c.text) << c.name;
}

TEST(TextFile, CharactersOutsideTheCodePage)
{
    const std::string cyrillic = "http://\xD0\x9C\xD0\xB8.\xD1\x80\xD1\x84/\xC5\x82";  // Ми.рф/ł
    EXPECT_EQ(Utf8ToCp1250(cyrillic, Unmappable::PercentUtf8), "http://%D0%9C%D0%B8.%D1%80%D1%84/\xB3");
    EXPECT_EQ(Utf8ToCp1250(cyrillic, Unmappable::Question),
              "http://??.?"
              "?/\xB3");
    EXPECT_EQ(Utf8ToCp1250(cyrillic),
              "http://??.?"
              "?/\xB3");
    // Euro sign and quotes are in the code page; an emoji is not; "%" stays.
    EXPECT_EQ(Utf8ToCp1250("\xE2\x82\xAC%20\xE2\x80\x9E\xF0\x9F\x98\x80", Unmappable::PercentUtf8),
              "\x80%20\x84%F0%9F%98%80");
    // A broken sequence is one "?" per byte, as before.
    EXPECT_EQ(Utf8ToCp1250("a\xD0", Unmappable::PercentUtf8), "a?");
    EXPECT_EQ(Utf8ToCp1250("\xEF\xBF\xBD", Unmappable::PercentUtf8), "%EF%BF%BD");
}

TEST(TextFile, LoadsLinesOrRaises)
{
    std::string pattern = (fs::temp_directory_path() / "quomira-text-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::string path = pattern + "/links.txt";
    std::ofstream(path, std::ios::binary) << "\xEF\xBB\xBFhttp://\xD0\x9C.pl\r\nwww.a.pl\rwww.b.pl\n";
    EXPECT_EQ(platform::LoadTextLines(path, Unmappable::PercentUtf8),
              (std::vector<std::string>{"http://%D0%9C.pl", "www.a.pl", "www.b.pl"}));
    EXPECT_THROW(platform::LoadTextLines(pattern + "/missing.txt", Unmappable::PercentUtf8), EFOpenError);
    EXPECT_THROW(platform::LoadTextLines(pattern, Unmappable::PercentUtf8), EFOpenError);
    fs::remove_all(pattern);
}
