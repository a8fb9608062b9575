// Base64, MD5 and identifiers against known values.
#include "Foundation/Crypto.h"

#include <gtest/gtest.h>

#include <cctype>

namespace movra {
namespace {

TEST(Crypto, Base64KnownVectorsRoundTrip) {
    // RFC 4648, section 10, plus bytes that are not text.
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},        {"f", "Zg=="},          {"fo", "Zm8="},
        {"foo", "Zm9v"}, {"foobar", "Zm9vYmFy"}, {std::string("\0\xff\xfe", 3), "AP/+"},
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

}  // namespace
}  // namespace movra
