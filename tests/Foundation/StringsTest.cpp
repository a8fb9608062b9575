// The string helpers with edge cases that callers rely on.
#include "Foundation/Strings.h"

#include <climits>
#include <gtest/gtest.h>

namespace movra {
namespace {

TEST(Strings, IntegerValueReadsTheLeadingNumberLikeThePlatform) {
    const std::pair<const char*, long long> cases[] = {
        {"42", 42},
        {"  -17", -17},
        {"+8", 8},
        {"12abc", 12},
        {"3.9", 3},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"- 5", 0},
        {"0x1F", 0},
        {"\t\n 7", 7},
        {"9223372036854775807", LLONG_MAX},
        {"9223372036854775808", LLONG_MAX},
        {"99999999999999999999999", LLONG_MAX},
        {"-9223372036854775808", LLONG_MIN},
        {"-99999999999999999999999", LLONG_MIN},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(integerValue(text), value) << '"' << text << '"';
}

TEST(Strings, ContainsStringCaseInsensitive) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"Movra Tavik", "tavik", true},
        {"Movra Tavik", "MOVRA T", true},
        {"Movra Tavik", "Tavikk", false},
        {"Movra", "", false},
        {"", "", false},
        {"", "a", false},
        {"abc", "abcd", false},
    };
    for (const auto& [haystack, needle, expected] : cases)
        EXPECT_EQ(containsStringCaseInsensitive(haystack, needle), expected) << haystack << " / " << needle;
}

TEST(Strings, SplitJoinTrimAndReplace) {
    EXPECT_EQ(split("a,,b,", ","), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(split("", ","), (std::vector<std::string>{""}));
    EXPECT_EQ(split("a::b", "::"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(join(split("x-y-z", "-"), "+"), "x+y+z");
    EXPECT_EQ(trim("  \t a b \r\n"), "a b");
    EXPECT_EQ(trim(" \t "), "");
    EXPECT_EQ(replaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(xmlEscape("<a href=\"x\">Tom & Jerry's</a>"),
              "&lt;a href=&quot;x&quot;&gt;Tom &amp; Jerry&apos;s&lt;/a&gt;");
}

}  // namespace
}  // namespace movra
