// Ratings that mean "no rating".
#include "Model/MVMediaRating.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

TEST(MVMediaRatingTest, UnratedValuesIgnoreCase) {
    const std::pair<std::optional<std::string>, bool> cases[] = {
        {"Unrated", true}, {"nr", true},     {"NR-ADULT", true}, {"xxx", true},        {"11", false},
        {"PG-13", false},  {"NR-17", false}, {"", false},        {std::nullopt, true},
    };
    for (const auto& [value, unrated] : cases) {
        MVMediaRating rating(value ? Json{{"scheme", "urn:mpaa"}, {"ratingValue", *value}}
                                   : Json{{"scheme", "urn:mpaa"}});
        EXPECT_EQ(rating.isUnrated(), unrated) << value.value_or("(none)");
    }
}

}  // namespace
}  // namespace movra
