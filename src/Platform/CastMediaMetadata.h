// CastMediaMetadata: the generic description of a title a receiver shows (title, subtitle, pictures).
#pragma once

#include "Foundation/Json.h"
#include "Platform/CastImage.h"

#include <map>
#include <string>
#include <vector>

namespace movra {

inline constexpr const char* kCastMetadataKeyTitle = "title";
inline constexpr const char* kCastMetadataKeySubtitle = "subtitle";

class CastMediaMetadata {
  public:
    void setString(const std::string& value, const std::string& key) { strings_[key] = value; }
    /// The string under `key`, or "" when there is none.
    std::string string(const std::string& key) const;
    void addImage(CastImage image) { images_.push_back(std::move(image)); }
    const std::vector<CastImage>& images() const { return images_; }

    /// The wire form: {"metadataType": 0, "<key>": "<value>", ..., "images": [...]}.
    Json toJson() const;
    /// Takes the string members and the well-formed images; anything else is left out.
    static CastMediaMetadata fromJson(const Json& json);

  private:
    std::map<std::string, std::string> strings_;
    std::vector<CastImage> images_;
};

}  // namespace movra
