// The one rule for a web address written without its scheme, shared by the
// opener and the HTML export.
#include "platform/LinkText.h"

#include <gtest/gtest.h>

TEST(LinkTextTest, ATextBeginningWithWwwInAnyCaseGetsHttp)
{
    const struct {
        const char* link;
        const char* expected;
    } cases[] = {
        {"www.x.pl", "http://www.x.pl"},
        {"WWW.X.PL", "http://WWW.X.PL"},
        {"Www2.x.pl", "http://Www2.x.pl"},
        {"wwwx", "http://wwwx"},
        {"www", "http://www"},
        {"ww", "ww"},
        {"", ""},
        {" www.x.pl", " www.x.pl"},
        {"http://www.", "http://www."},
        {"\xb3www", "\xb3www"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        EXPECT_EQ(platform::WithHttpScheme(c.link), c.expected);
        EXPECT_EQ(platform::NeedsHttpScheme(c.link), std::string(c.link) != c.expected);
    }
}
