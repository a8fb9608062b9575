// MVMediaSubtitle: one subtitle track of a title ("media:subTitle").
//
// Thread contract: a value; any thread.
#pragma once

#include "Model/DictionaryRecord.h"
#include "Utilities/XMLModelClass.h"

namespace movra {

class MVMediaSubtitle : public DictionaryRecord {
  public:
    static const XMLModelClass& modelClass();
    using DictionaryRecord::DictionaryRecord;

    std::optional<std::string> type() const { return text("type"); }
    /// Language code of the track.
    std::optional<std::string> lang() const { return text("lang"); }
    std::optional<std::string> url() const { return text("url"); }
    std::optional<std::string> profile() const { return text("profile"); }
};

}  // namespace movra
