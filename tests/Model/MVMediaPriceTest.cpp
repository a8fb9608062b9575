// The bookmark carried in a price's info text.
#include "Model/MVMediaPrice.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

TEST(MVMediaPriceTest, BookmarkSecondsFromInfo) {
    const std::pair<Json, std::optional<long long>> cases[] = {
        {"bookmark=754s", 754},
        {"a=1;bookmark=30s;bookmark=45s", 45},
        {"currency=SEK;bookmark=754s;x=y", 754},
        {"bookmark=12", 12},
        {"bookmark=s1s2s", 12},
        {"bookmark=45s;bookmark", 45},
        {"bookmark=1=2", std::nullopt},
        {"Bookmark=5s", std::nullopt},
        {" bookmark=5s", std::nullopt},
        {"currency=SEK", std::nullopt},
        {"", std::nullopt},
        {nullptr, std::nullopt},
    };
    for (const auto& [info, seconds] : cases) {
        Json dictionary = {{"type", "rent"}};
        if (!info.is_null()) dictionary["info"] = info;
        EXPECT_EQ(MVMediaPrice(dictionary).bookmarkSeconds(), seconds) << info;
    }
}

}  // namespace
}  // namespace movra
