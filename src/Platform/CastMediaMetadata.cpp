#include "Platform/CastMediaMetadata.h"

namespace movra {

std::string CastMediaMetadata::string(const std::string& key) const {
    auto it = strings_.find(key);
    return it == strings_.end() ? std::string() : it->second;
}

Json CastMediaMetadata::toJson() const {
    Json json = {{"metadataType", 0}};
    for (const auto& [key, value] : strings_) json[key] = value;
    if (!images_.empty()) {
        Json images = Json::array();
        for (const auto& image : images_)
            images.push_back({{"url", image.url}, {"width", image.width}, {"height", image.height}});
        json["images"] = std::move(images);
    }
    return json;
}

CastMediaMetadata CastMediaMetadata::fromJson(const Json& json) {
    CastMediaMetadata metadata;
    if (!json.is_object()) return metadata;
    for (auto it = json.begin(); it != json.end(); ++it)
        if (it->is_string()) metadata.strings_[it.key()] = it->get<std::string>();
    if (auto images = json.find("images"); images != json.end() && images->is_array()) {
        for (const auto& image : *images) {
            if (!image.is_object() || !image.contains("url") || !image["url"].is_string()) continue;
            CastImage entry{.url = image["url"].get<std::string>()};
            if (image.contains("width") && image["width"].is_number_integer()) entry.width = image["width"].get<int>();
            if (image.contains("height") && image["height"].is_number_integer())
                entry.height = image["height"].get<int>();
            metadata.images_.push_back(std::move(entry));
        }
    }
    return metadata;
}

}  // namespace movra
