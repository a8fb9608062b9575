// CastMediaInformation: a title as loaded on a receiver: content identifier, stream and content type,
// metadata, duration and the sender's custom data.
#pragma once

#include "Foundation/Json.h"
#include "Platform/CastMediaMetadata.h"

#include <memory>
#include <string>

namespace movra {

enum class CastMediaStreamType { None = 0, Buffered = 1, Live = 2, Unknown = 99 };

class CastMediaInformation {
  public:
    CastMediaInformation(std::string contentID, CastMediaStreamType streamType, std::string contentType,
                         CastMediaMetadata metadata, double streamDuration, Json customData);

    const std::string& contentID() const { return contentID_; }
    CastMediaStreamType streamType() const { return streamType_; }
    const std::string& contentType() const { return contentType_; }
    const CastMediaMetadata& metadata() const { return metadata_; }
    /// Seconds; 0 when unknown.
    double streamDuration() const { return streamDuration_; }
    const Json& customData() const { return customData_; }

    Json toJson() const;
    /// nullptr when `json` is not an object with a string "contentId".
    static std::shared_ptr<const CastMediaInformation> fromJson(const Json& json);

  private:
    std::string contentID_;
    CastMediaStreamType streamType_;
    std::string contentType_;
    CastMediaMetadata metadata_;
    double streamDuration_;
    Json customData_;
};

using CastMediaInformationPtr = std::shared_ptr<const CastMediaInformation>;

}  // namespace movra
