#include "Utilities/MVSetting.h"

namespace movra {

const XMLModelClass& MVSetting::modelClass() {
    static const XMLModelClass cls = [] {
        XMLModelClass c;
        c.name = "MVSetting";
        c.XPathPrefix = "self::setting/";
        c.propertyKeys = {"name", "value"};
        return c;
    }();
    return cls;
}

std::shared_ptr<MVSetting> MVSetting::modelWithDictionary(const Json& dictionary, ErrorPtr*) {
    return std::make_shared<MVSetting>(dictionary);
}

MVSetting::MVSetting(const Json& dictionary)
    : name_(stringValue(dictionary, "name")), value_(stringValue(dictionary, "value")) {}

}  // namespace movra
