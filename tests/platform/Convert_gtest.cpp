// Number conversions.
#include <gtest/gtest.h>

#include <climits>

#include "platform/Convert.h"

TEST(StrToIntTest, AcceptsDecimalAndHex)
{
    struct Case {
        std::string text;
        int value;
    } cases[] = {
        {"0", 0},
        {"12", 12},
        {"-1", -1},
        {"+7", 7},
        {"   42", 42},
        {"007", 7},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"$1F", 31},
        {"$ff", 255},
        {"0x10", 16},
        {"0X1f", 31},
        {"0x7FFFFFFF", INT_MAX},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StrToInt(c.text), c.value);
    }
}

TEST(StrToIntTest, RejectsEverythingElse)
{
    for (const std::string& text :
         std::vector<std::string>{"", " ", "-", "+", "abc", "12a", "1 2", "12 ", "1.5", "$", "0x", "$G", "0xZ",
                                  "2147483648", "-2147483649", "99999999999999999999", "--1", "1e3"}) {
        SCOPED_TRACE(text);
        try {
            StrToInt(text);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + text + "' is not a valid integer value");
        }
    }
}

TEST(IntToStrTest, DecimalWithMinusSign)
{
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-1), "-1");
    EXPECT_EQ(IntToStr(70001), "70001");
    EXPECT_EQ(IntToStr(INT_MIN), "-2147483648");
    EXPECT_EQ(IntToStr(INT_MAX), "2147483647");
}
