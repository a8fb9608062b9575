// MVMediaSubtitle: the mapping of a "media:subTitle" element.
#include "Model/MVMediaSubtitle.h"

namespace movra {

const XMLModelClass& MVMediaSubtitle::modelClass() {
    static const XMLModelClass cls{
        .name = "MVMediaSubtitle",
        .XPathPrefix = "self::media:subTitle/",
        .XMLKeyPathsByPropertyKey = {{"type", "@type"}, {"lang", "@lang"}, {"url", "@href"}, {"profile", "profile"}}};
    return cls;
}

}  // namespace movra
