// MVMediaGroup: the media group of a title ("media:group"): its stream variants in feed order and its
// pictures.
//
// Thread contract: a value; any thread.
#pragma once

#include "Foundation/Json.h"
#include "Model/MVMediaContent.h"
#include "Model/MVThumbnail.h"
#include "Utilities/XMLModelClass.h"

#include <vector>

namespace movra {

class MVMediaGroup {
  public:
    static const XMLModelClass& modelClass();

    /// From the archived dictionary: "content" and "thumbnails" are lists of record dictionaries.
    explicit MVMediaGroup(const Json& dictionary);
    MVMediaGroup(std::vector<MVMediaContent> content, std::vector<MVThumbnail> thumbnails);

    const std::vector<MVMediaContent>& content() const { return content_; }
    const std::vector<MVThumbnail>& thumbnails() const { return thumbnails_; }

  private:
    std::vector<MVMediaContent> content_;
    std::vector<MVThumbnail> thumbnails_;
};

}  // namespace movra
