// The emptiness test used everywhere, and typed dictionary lookups.
#include "Foundation/Json.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

TEST(Json, IsEmptyTable) {
    const std::pair<Json, bool> values[] = {
        {nullptr, true},         {"", true},   {Json::array(), true},
        {Json::object(), true},  {" ", false}, {0, false},
        {false, false},          {0.0, false}, {Json::array({nullptr}), false},
        {Json{{"a", 1}}, false},
    };
    for (const auto& [value, empty] : values) EXPECT_EQ(isEmpty(value), empty) << value.dump();
}

TEST(Json, IsEmptyForDictionaryEntries) {
    const Json dictionary = {{"null", nullptr}, {"blank", ""}, {"list", Json::array()}, {"zero", 0}, {"text", "x"}};
    const std::pair<const char*, bool> keys[] = {
        {"missing", true}, {"null", true}, {"blank", true}, {"list", true}, {"zero", false}, {"text", false},
    };
    for (const auto& [key, empty] : keys) EXPECT_EQ(isEmpty(dictionary, key), empty) << key;
    EXPECT_TRUE(isEmpty(Json::array({"x"}), "0"));
    EXPECT_TRUE(isEmpty(Json("text"), "text"));

    EXPECT_TRUE(isEmpty(std::optional<std::string>()));
    EXPECT_TRUE(isEmpty(std::optional<std::string>("")));
    EXPECT_FALSE(isEmpty(std::optional<std::string>("a")));
}

TEST(Json, StringValueOnlyReadsStrings) {
    const Json dictionary = {{"s", "v"}, {"n", 5}, {"null", nullptr}};
    EXPECT_EQ(stringValue(dictionary, "s"), "v");
    EXPECT_EQ(stringValue(dictionary, "n"), std::nullopt);
    EXPECT_EQ(stringValue(dictionary, "null"), std::nullopt);
    EXPECT_EQ(stringValue(dictionary, "missing"), std::nullopt);
    EXPECT_EQ(stringValue(Json::array(), "s"), std::nullopt);
}

}  // namespace
}  // namespace movra
