// MVMediaCredit: the mapping of a "media:credit" element.
#include "Model/MVMediaCredit.h"

namespace movra {

const XMLModelClass& MVMediaCredit::modelClass() {
    static const XMLModelClass cls{.name = "MVMediaCredit",
                                   .XPathPrefix = "self::media:credit/",
                                   .XMLKeyPathsByPropertyKey = {{"role", "@role"}, {"value", "."}}};
    return cls;
}

}  // namespace movra
