#include "Platform/Configuration.h"

#include <fstream>
#include <sstream>

namespace movra {

namespace {

ErrorPtr configError(const std::string& message) { return makeError(kMovraErrorDomain, 1, message); }

ErrorPtr readString(const Json& json, const char* key, std::string& out) {
    auto it = json.find(key);
    if (it == json.end()) return nullptr;
    if (!it->is_string()) return configError(std::string("configuration value \"") + key + "\" must be a string");
    out = it->get<std::string>();
    return nullptr;
}

}  // namespace

ErrorPtr Configuration::apply(const Json& json) {
    if (!json.is_object()) return configError("configuration must be a JSON object");
    const std::pair<const char*, std::string*> strings[] = {
        {"discriminatorHost", &discriminatorHost},
        {"apiHost", &apiHostOverride},
        {"tenant", &tenant},
        {"defaultApiHost", &defaultApiHost},
        {"caFile", &caFile},
        {"drmCertificateFile", &drmCertificateFile},
        {"videoOutput", &videoOutput},
        {"audioOutput", &audioOutput},
        {"analyticsTrackingId", &analyticsTrackingId},
        {"analyticsCollectorUrl", &analyticsCollectorUrl},
        {"playbackQualityCollectorUrl", &playbackQualityCollectorUrl},
        {"castApplicationId", &castApplicationId},
        {"castDiscoveryAddress", &castDiscoveryAddress},
        {"deviceIdiom", &deviceIdiom},
        {"deviceModel", &deviceModel},
        {"deviceName", &deviceName},
        {"language", &language},
    };
    for (const auto& [key, target] : strings)
        if (auto e = readString(json, key, *target)) return e;
    if (auto it = json.find("tenantWebDomains"); it != json.end()) {
        if (!it->is_object()) return configError("configuration value \"tenantWebDomains\" must be an object");
        for (auto d = it->begin(); d != it->end(); ++d) {
            if (!d->is_string()) return configError("tenant web domains must be strings");
            tenantWebDomains[d.key()] = d->get<std::string>();
        }
    }
    if (auto it = json.find("castDevices"); it != json.end()) {
        if (!it->is_array()) return configError("configuration value \"castDevices\" must be a list");
        castDevices.clear();
        for (const auto& address : *it) {
            if (!address.is_string()) return configError("cast device addresses must be strings");
            castDevices.push_back(address.get<std::string>());
        }
    }
    if (deviceIdiom != "phone" && deviceIdiom != "pad")
        return configError("configuration value \"deviceIdiom\" must be \"phone\" or \"pad\"");
    if (videoOutput != "auto" && videoOutput != "window" && videoOutput != "none")
        return configError("configuration value \"videoOutput\" must be \"auto\", \"window\" or \"none\"");
    if (audioOutput != "auto" && audioOutput != "none")
        return configError("configuration value \"audioOutput\" must be \"auto\" or \"none\"");
    return nullptr;
}

ErrorPtr Configuration::loadFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) return nullptr;
    std::stringstream buffer;
    buffer << in.rdbuf();
    auto json = Json::parse(buffer.str(), nullptr, /*allow_exceptions=*/false);
    if (json.is_discarded()) return configError("configuration file " + path + " is not valid JSON");
    return apply(json);
}

Json Configuration::toJson() const {
    Json j = Json::object();
    j["discriminatorHost"] = discriminatorHost;
    j["apiHost"] = apiHostOverride;
    j["tenant"] = tenant;
    j["defaultApiHost"] = defaultApiHost;
    j["caFile"] = caFile;
    j["drmCertificateFile"] = drmCertificateFile;
    j["videoOutput"] = videoOutput;
    j["audioOutput"] = audioOutput;
    j["analyticsTrackingId"] = analyticsTrackingId;
    j["analyticsCollectorUrl"] = analyticsCollectorUrl;
    j["playbackQualityCollectorUrl"] = playbackQualityCollectorUrl;
    j["castApplicationId"] = castApplicationId;
    j["castDiscoveryAddress"] = castDiscoveryAddress;
    j["castDevices"] = castDevices;
    j["tenantWebDomains"] = tenantWebDomains;
    j["deviceIdiom"] = deviceIdiom;
    j["deviceModel"] = deviceModel;
    j["deviceName"] = deviceName;
    j["language"] = language;
    return j;
}

}  // namespace movra
