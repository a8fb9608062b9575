// MVThumbnail: one picture of an item or of its media group ("media:thumbnail"); `profile` names the image
// profile screens look pictures up by.
//
// Thread contract: a value; any thread.
#pragma once

#include "Model/DictionaryRecord.h"
#include "Utilities/XMLModelClass.h"

namespace movra {

class MVThumbnail : public DictionaryRecord {
  public:
    static const XMLModelClass& modelClass();
    using DictionaryRecord::DictionaryRecord;

    std::optional<std::string> url() const { return text("url"); }
    std::optional<std::string> medium() const { return text("medium"); }
    std::optional<std::int32_t> width() const { return integer("width"); }
    std::optional<std::int32_t> height() const { return integer("height"); }
    std::optional<std::string> profile() const { return text("profile"); }
};

}  // namespace movra
