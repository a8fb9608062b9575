#include "Utilities/MVSettingsResponse.h"

#include "Utilities/MTLXMLAdapter.h"

namespace movra {

const XMLModelClass& MVSettingsResponse::modelClass() {
    static const XMLModelClass cls = [] {
        XMLModelClass c;
        c.name = "MVSettingsResponse";
        c.XPathPrefix = "result/";
        c.XMLKeyPathsByPropertyKey = {{"settings", "settings/setting"}};
        c.propertyTransformers = {{"settings", MTLXMLAdapter::XMLArrayTransformerWithModelClass<MVSetting>()}};
        c.propertyKeys = {"status", "settings"};
        return c;
    }();
    return cls;
}

std::shared_ptr<MVSettingsResponse> MVSettingsResponse::modelWithDictionary(const Json& dictionary, ErrorPtr*) {
    return std::make_shared<MVSettingsResponse>(dictionary);
}

MVSettingsResponse::MVSettingsResponse(const Json& dictionary) : status_(stringValue(dictionary, "status")) {
    auto it = dictionary.find("settings");
    if (it == dictionary.end() || !it->is_array()) return;
    for (const auto& setting : *it) settings_.push_back(MVSetting::modelWithDictionary(setting));
}

std::optional<std::string> MVSettingsResponse::settingWithName(std::string_view name) const {
    for (const auto& setting : settings_)
        if (setting->name() == name) return setting->value();
    return std::nullopt;
}

}  // namespace movra
