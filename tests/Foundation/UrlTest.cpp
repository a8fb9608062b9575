// URL parsing, reference resolution and the request serializer's query encoding.
#include "Foundation/Url.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

// Reference resolution (RFC 3986, 5.4): the examples of the forms a caller's path or a feed link takes, and the
// removal of dot segments.
TEST(Url, ResolvesTheStandardExamples) {
    auto base = Url::parse("http://a/b/c/d;p?q");
    ASSERT_TRUE(base);
    const std::pair<const char*, const char*> cases[] = {
        {"/g", "http://a/g"},         {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"}, {"", "http://a/b/c/d;p?q"},
        {"../g", "http://a/b/g"},     {"../../../g", "http://a/g"},
        {"./g/.", "http://a/b/c/g/"}, {"g/./h", "http://a/b/c/g/h"},
        {"g/../h", "http://a/b/c/h"}, {"g#s/../x", "http://a/b/c/g#s/../x"},
    };
    for (const auto& [reference, expected] : cases) {
        auto url = Url::resolve(reference, *base);
        ASSERT_TRUE(url) << reference;
        EXPECT_EQ(url->absoluteString(), expected) << "reference \"" << reference << "\"";
    }
}

TEST(Url, PercentEscapesQueryComponents) {
    const std::pair<const char*, const char*> cases[] = {
        {"AZaz09-._~/?", "AZaz09-._~/?"},
        {"a b&c=d+e", "a%20b%26c%3Dd%2Be"},
        {"sv_mvtk#", "sv_mvtk%23"},
        {"\xC3\xA5", "%C3%A5"},
        {"%", "%25"},
    };
    for (const auto& [raw, escaped] : cases) EXPECT_EQ(percentEscapeQueryComponent(raw), escaped) << raw;
}

TEST(Url, QueryStringSortsKeysAndWritesNullNumbersAndBooleans) {
    Json parameters = Json::object();
    parameters["offset"] = 20;
    parameters["language"] = "sv_mvtk";
    parameters["ignoreCache"] = true;
    parameters["ascending"] = false;
    parameters["flag"] = nullptr;
    parameters["Path"] = "/menu/a b";
    parameters["ratio"] = 1.5;
    EXPECT_EQ(queryStringFromParameters(parameters),
              "Path=/menu/a%20b&ascending=0&flag&ignoreCache=1&language=sv_mvtk&offset=20&ratio=1.5");
    EXPECT_EQ(queryStringFromParameters(Json::object()), "");
    EXPECT_EQ(queryStringFromParameters(Json::array({1})), "");
}

}  // namespace
}  // namespace movra
