// MVMediaPrice: one price of a title ("media:price"). Its `info` carries "key=value" pieces separated by
// ";", among them the bookmark the back end knows for the title.
//
// Thread contract: a value; any thread.
#pragma once

#include "Model/DictionaryRecord.h"
#include "Utilities/XMLModelClass.h"

namespace movra {

class MVMediaPrice : public DictionaryRecord {
  public:
    static const XMLModelClass& modelClass();
    using DictionaryRecord::DictionaryRecord;

    std::optional<std::string> type() const { return text("type"); }
    std::optional<std::string> price() const { return text("price"); }
    std::optional<std::string> info() const { return text("info"); }
    /// Seconds of the last "bookmark=<n>s" piece of `info` ("s" characters removed); nullopt without one.
    std::optional<long long> bookmarkSeconds() const;
};

}  // namespace movra
