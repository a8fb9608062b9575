// MVMediaContent: one stream variant of a title ("media:content" in the item's media group).
//
// Thread contract: a value; any thread.
#pragma once

#include "Model/DictionaryRecord.h"
#include "Utilities/XMLModelClass.h"

namespace movra {

class MVMediaContent : public DictionaryRecord {
  public:
    static const XMLModelClass& modelClass();
    using DictionaryRecord::DictionaryRecord;

    std::optional<std::string> url() const { return text("url"); }
    std::optional<std::string> type() const { return text("type"); }
    /// "video" or "audio".
    std::optional<std::string> medium() const { return text("medium"); }
    /// The stream's profile ("MVTK-HLS-FPS"); see MVMediaContentType.
    std::optional<std::string> profile() const { return text("profile"); }
    std::optional<std::string> expression() const { return text("expression"); }
    /// Seconds.
    std::optional<std::int32_t> duration() const { return integer("duration"); }
    std::optional<std::int32_t> width() const { return integer("width"); }
    std::optional<std::int32_t> height() const { return integer("height"); }
    std::optional<std::int32_t> bitrate() const { return integer("bitrate"); }
    std::optional<std::string> status() const { return text("status"); }
};

}  // namespace movra
