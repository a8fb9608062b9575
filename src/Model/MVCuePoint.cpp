#include "Model/MVCuePoint.h"

#include "Foundation/Strings.h"

namespace movra {

const XMLModelClass& MVCuePoint::modelClass() {
    static const XMLModelClass cls{
        .name = "MVCuePoint",
        .XPathPrefix = "self::stravo:cuePoint/",
        .XMLKeyPathsByPropertyKey = {{"cueType", "@type"}, {"position", "text()"}},
        .propertyKeys = {"cueType", "position"},
    };
    return cls;
}

std::shared_ptr<MVCuePoint> MVCuePoint::modelWithDictionary(const Json& dictionary, ErrorPtr*) {
    auto cuePoint = std::make_shared<MVCuePoint>();
    cuePoint->cueType_ = stringValue(dictionary, "cueType");
    if (auto it = dictionary.find("position"); it != dictionary.end()) cuePoint->setPosition(*it);
    return cuePoint;
}

void MVCuePoint::setPosition(const Json& milliseconds) {
    if (!milliseconds.is_string() && !milliseconds.is_number()) {
        position_.reset();
        return;
    }
    const long long value =
        milliseconds.is_string() ? integerValue(milliseconds.get<std::string>()) : milliseconds.get<long long>();
    // Integer division truncates toward zero: 5999 ms is still second 5.
    position_ = static_cast<double>(value / 1000);
}

}  // namespace movra
