// Reading the browse keys and cutting pages.
#include "movra-backend/FeedQuery.h"

#include "Foundation/Strings.h"
#include "movra-backend/FormEncoding.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace movra::backend {

namespace {

// The clamped number under `key`; `fallback` when the key is absent, nullopt when its value is no number.
std::optional<int> number(const std::multimap<std::string, std::string>& parameters, const std::string& key,
                          int fallback, int lowest, int highest, std::string* problem) {
    auto found = parameters.find(key);
    if (found == parameters.end()) return fallback;
    auto value = FormEncoding::decimal(found->second);
    if (!value) {
        *problem = "Query parameter " + key + " \"" + found->second + "\" is not a whole number";
        return std::nullopt;
    }
    return static_cast<int>(std::clamp<long long>(*value, lowest, highest));
}

}  // namespace

std::optional<FeedQuery> FeedQuery::parse(const std::multimap<std::string, std::string>& parameters,
                                          std::string* problem) {
    FeedQuery query;
    auto offset = number(parameters, "offset", 0, 0, std::numeric_limits<int>::max(), problem);
    if (!offset) return std::nullopt;
    auto max = number(parameters, "max", kDefaultMax, 1, kLargestMax, problem);
    if (!max) return std::nullopt;
    query.offset = *offset;
    query.max = *max;

    if (auto sort = parameters.find("sort"); sort != parameters.end()) {
        // The client sorts alphabetic lists by "name"; "title" is the same order under the record's name.
        if (sort->second != "name" && sort->second != "title") {
            *problem = "Unknown sort key \"" + sort->second + "\", expected name or title";
            return std::nullopt;
        }
        query.sort = Sort::Name;
    }
    if (auto order = parameters.find("order"); order != parameters.end()) {
        if (order->second != "asc" && order->second != "desc") {
            *problem = "Unknown order \"" + order->second + "\", expected asc or desc";
            return std::nullopt;
        }
        query.ascending = order->second == "asc";
    }
    if (auto text = parameters.find("query"); text != parameters.end()) query.searchText = text->second;
    return query;
}

std::vector<std::size_t> FeedQuery::select(std::size_t total,
                                           const std::function<std::string(std::size_t)>& sortName) const {
    const std::size_t first = std::min(total, static_cast<std::size_t>(offset));
    const std::size_t last = std::min(total, first + static_cast<std::size_t>(max));
    if (sort == Sort::None) {
        std::vector<std::size_t> page(last - first);
        std::iota(page.begin(), page.end(), first);
        return page;
    }

    std::vector<std::string> names(total);
    for (std::size_t i = 0; i < total; ++i) names[i] = toLower(sortName(i));
    std::vector<std::size_t> order(total);
    std::iota(order.begin(), order.end(), 0);
    // The position breaks ties, so that the order is total and "desc" is its exact reverse.
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return names[a] != names[b] ? names[a] < names[b] : a < b; });
    if (!ascending) std::reverse(order.begin(), order.end());
    return {order.begin() + static_cast<std::ptrdiff_t>(first), order.begin() + static_cast<std::ptrdiff_t>(last)};
}

}  // namespace movra::backend
