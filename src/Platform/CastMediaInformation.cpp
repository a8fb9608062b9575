#include "Platform/CastMediaInformation.h"

namespace movra {

namespace {

const char* streamTypeName(CastMediaStreamType type) {
    switch (type) {
        case CastMediaStreamType::None:
            return "NONE";
        case CastMediaStreamType::Buffered:
            return "BUFFERED";
        case CastMediaStreamType::Live:
            return "LIVE";
        case CastMediaStreamType::Unknown:
            break;
    }
    return "UNKNOWN";
}

CastMediaStreamType streamTypeNamed(const std::string& name) {
    for (auto type : {CastMediaStreamType::None, CastMediaStreamType::Buffered, CastMediaStreamType::Live})
        if (name == streamTypeName(type)) return type;
    return CastMediaStreamType::Unknown;
}

}  // namespace

CastMediaInformation::CastMediaInformation(std::string contentID, CastMediaStreamType streamType,
                                           std::string contentType, CastMediaMetadata metadata, double streamDuration,
                                           Json customData)
    : contentID_(std::move(contentID)),
      streamType_(streamType),
      contentType_(std::move(contentType)),
      metadata_(std::move(metadata)),
      streamDuration_(streamDuration),
      customData_(std::move(customData)) {}

Json CastMediaInformation::toJson() const {
    Json json = {{"contentId", contentID_},
                 {"streamType", streamTypeName(streamType_)},
                 {"contentType", contentType_},
                 {"metadata", metadata_.toJson()},
                 {"duration", streamDuration_}};
    if (!customData_.is_null()) json["customData"] = customData_;
    return json;
}

CastMediaInformationPtr CastMediaInformation::fromJson(const Json& json) {
    if (!json.is_object() || !json.contains("contentId") || !json["contentId"].is_string()) return nullptr;
    auto text = [&](const char* key) { return stringValue(json, key).value_or(""); };
    double duration = 0;
    if (auto it = json.find("duration"); it != json.end() && it->is_number()) duration = it->get<double>();
    return std::make_shared<CastMediaInformation>(
        text("contentId"), streamTypeNamed(text("streamType")), text("contentType"),
        CastMediaMetadata::fromJson(json.value("metadata", Json())), duration, json.value("customData", Json()));
}

}  // namespace movra
