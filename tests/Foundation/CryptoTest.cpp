// Base64, MD5 and identifiers against known values.
#include "Foundation/Crypto.h"

#include <gtest/gtest.h>

#include <cctype>

namespace movra {
namespace {

TEST(Crypto, Base64KnownVectorsRoundTrip) {
    // RFC 4648, section 10, plus bytes that are not text.
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {std::string("\0\xff\xfe", 3), "AP/+"},
        {std::string("\0", 1), "AA=="},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(base64Encode(bytes), text);
        EXPECT_EQ(base64Decode(text), bytes) << text;
    }
}

TEST(Crypto, Base64RejectsMalformedText) {
    for (const char* bad : {"Zg=", "Zm9v\n", "Zm 9v", "Zm9v!A==", "====", "Z===", "Zg==Zg==", "Zm=v", "=Zm9"})
        EXPECT_EQ(base64Decode(bad), std::nullopt) << '"' << bad << '"';
}

TEST(Crypto, Md5KnownVectors) {
    EXPECT_EQ(md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5Hex("The quick brown fox jumps over the lazy dog"), "9e107d9d372bb6826bd81d3542a419d6");
}

TEST(Crypto, UuidIsUpperCaseVersion4InStandardForm) {
    const auto a = makeUUIDString();
    ASSERT_EQ(a.size(), 36u);
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            EXPECT_EQ(a[i], '-') << a;
        } else {
            EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(a[i])) &&
                        !std::islower(static_cast<unsigned char>(a[i])))
                << a;
        }
    }
    EXPECT_EQ(a[14], '4') << a;
    EXPECT_NE(std::string("89AB").find(a[19]), std::string::npos) << a;
    EXPECT_NE(makeUUIDString(), a);
}

}  // namespace
}  // namespace movra
