#include "web/cookie_jar.h"

#include <gtest/gtest.h>

namespace dealcast::web {
namespace {

TEST(CollectCookies, KeepsTheLastValuePerNameAndDropsDeletedOnes)
{
    struct Case {
        std::string_view headers, expected;
    };
    const Case cases[] = {
        {"HTTP/1.1 200 OK\r\nSet-Cookie: a=1; Path=/\r\nSet-Cookie: b=deleted; Path=/\r\n", "a=1"},
        // Any letter case of the header name; names in reverse order of their last appearance.
        {"set-cookie: a=1; path=/\r\nSET-COOKIE: b=2; Domain=x\r\nSet-Cookie: a=3; Path=/\r\n", "a=3; b=2"},
        {"Set-Cookie: x=DELETED; Path=/\r\nSet-Cookie: y=Deleted;\r\nSet-Cookie: z=deletedNot;\r\n", "z=deletedNot"},
        {"Set-Cookie:   s = a b ; HttpOnly\r\n", "s=ab"},  // blanks removed
        {"Content-Type: text/html\r\n", ""},
        // A cookie without attributes ends with its line and does not swallow the next header.
        {"Set-Cookie: a=1\r\nX-Other: q\r\nSet-Cookie: b=2; Path=/\r\n", "b=2; a=1"},
        {"Set-Cookie: last=1", "last=1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(collectCookies(c.headers), c.expected) << c.headers;
}

TEST(MergeCookies, PutsNewCookiesFirstAndKeepsOldOnesTheyDoNotReplace)
{
    struct Case {
        std::string_view oldText, newText, expected;
    };
    const Case cases[] = {
        {"a=1; b=2", "b=3", "b=3; a=1"},
        {"a=1; b=2", "", "a=1; b=2"},  // a failed request keeps the session
        {"", "a=1", "a=1"},
        {"a = 1;b=2", "c=3", "c=3; a=1; b=2"},
        {"a=1; junk; c=; =5", "d=4", "d=4; a=1"},  // old pieces need a name and a value
        {"a=1; b=deleted", "c=deleted; d=1", "d=1; a=1"},
        {"a=1; a=1; b=2", "x=9; x=9", "x=9; a=1; b=2"},  // repeated identical pairs once
        {"a=1; a=2", "", "a=1; a=2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mergeCookies(c.oldText, c.newText), c.expected) << c.oldText << " + " << c.newText;
}

}  // namespace
}  // namespace dealcast::web
