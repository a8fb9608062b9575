// The fast compact writer must give exactly the library's text, which stored sub-records hold.
#include "Foundation/Json.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

TEST(Json, CompactTextIsTheLibrarysDump) {
    const Json values[] = {
        nullptr,
        true,
        0,
        -42,
        std::uint64_t{18446744073709551615u},
        1.5,
        1e300,
        2.0,
        "",
        "plain https://a.example/x?y=1&z",
        "quote \" and \\ backslash",
        "tab\tnew\nline\x01\x1f\x7f",
        "Åsa ödemark 東京 🎬",
        Json::array(),
        Json::object(),
        Json{{"content", Json::array({Json{{"url", "u"}, {"width", 448}, {"ok", false}, {"v", nullptr}}})},
             {"nested", Json{{"k\"ey", Json::array({1, "two", 3.25})}}}},
    };
    for (const auto& value : values) EXPECT_EQ(compactText(value), value.dump()) << value.dump();
    // Text that is not UTF-8 is refused as the library refuses it, never written out half escaped.
    EXPECT_THROW(compactText(Json{{"bad", std::string("\xff\xfe")}}), Json::type_error);
}

}  // namespace
}  // namespace movra
