// MVMediaPrice: the mapping of a "media:price" element and the bookmark in its info.
#include "Model/MVMediaPrice.h"

#include "Foundation/Strings.h"

namespace movra {

const XMLModelClass& MVMediaPrice::modelClass() {
    static const XMLModelClass cls{
        .name = "MVMediaPrice",
        .XPathPrefix = "self::media:price/",
        .XMLKeyPathsByPropertyKey = {{"type", "@type"}, {"price", "@price"}, {"info", "@info"}}};
    return cls;
}

std::optional<long long> MVMediaPrice::bookmarkSeconds() const {
    std::optional<long long> seconds;
    for (const auto& piece : split(info().value_or(""), ";")) {
        auto parts = split(piece, "=");
        if (parts.size() == 2 && parts[0] == "bookmark") seconds = integerValue(replaceAll(parts[1], "s", ""));
    }
    return seconds;
}

}  // namespace movra
