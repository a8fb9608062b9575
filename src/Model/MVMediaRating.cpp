// MVMediaRating: the mapping of a "media:rating" element and the values that mean "no rating".
#include "Model/MVMediaRating.h"

#include "Foundation/Strings.h"

#include <algorithm>

namespace movra {

const XMLModelClass& MVMediaRating::modelClass() {
    static const XMLModelClass cls{.name = "MVMediaRating",
                                   .XPathPrefix = "self::media:rating/",
                                   .XMLKeyPathsByPropertyKey = {{"scheme", "@scheme"}, {"ratingValue", "."}}};
    return cls;
}

const std::set<std::string>& MVMediaRating::unratedValues() {
    static const std::set<std::string> values{"Unrated", "NR", "NR-ADULT", "X", "XX", "XXX"};
    return values;
}

bool MVMediaRating::isUnrated() const {
    auto value = ratingValue();
    if (!value) return true;
    const auto& unrated = unratedValues();
    return std::any_of(unrated.begin(), unrated.end(),
                       [&](const std::string& candidate) { return toLower(candidate) == toLower(*value); });
}

}  // namespace movra
