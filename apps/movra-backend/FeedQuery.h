// FeedQuery: the keys of a catalogue request, paging and sorting ("offset", "max", "sort", "order") and
// the text of a search ("query"), and the selection of one page from a channel's items.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace movra::backend {

struct FeedQuery {
    enum class Sort {
        None,  // the channel's own (editorial) order
        Name,  // by sort name, else title, ignoring case
    };

    /// The client's page size, also used when a request names none.
    static constexpr int kDefaultMax = 30;
    /// Larger pages are cut to this size.
    static constexpr int kLargestMax = 100;

    int offset = 0;
    int max = kDefaultMax;
    Sort sort = Sort::None;
    bool ascending = true;
    /// What a search or suggestions request looks for; empty when the request names nothing.
    std::string searchText;

    /// The keys of a request's query (other keys are not looked at). Out-of-range numbers are clamped (a
    /// negative offset to 0, "max" into 1 to kLargestMax); a number that is not a whole decimal, an
    /// unknown sort key ("name" and "title" are known) or an order other than "asc"/"desc" gives nullopt
    /// with `*problem` saying which.
    static std::optional<FeedQuery> parse(const std::multimap<std::string, std::string>& parameters,
                                          std::string* problem);

    /// Positions of this page's items among `total` items, in the order they are listed. `sortName(i)`
    /// gives item i's name to sort by and is asked only when sorting; equal names keep their channel order,
    /// and "desc" lists exactly the reverse of "asc".
    std::vector<std::size_t> select(std::size_t total, const std::function<std::string(std::size_t)>& sortName) const;
};

}  // namespace movra::backend
