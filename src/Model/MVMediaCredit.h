// MVMediaCredit: one credit of a title ("media:credit"): a role and a name.
//
// Thread contract: a value; any thread.
#pragma once

#include "Model/DictionaryRecord.h"
#include "Utilities/XMLModelClass.h"

namespace movra {

class MVMediaCredit : public DictionaryRecord {
  public:
    static const XMLModelClass& modelClass();
    using DictionaryRecord::DictionaryRecord;

    std::optional<std::string> role() const { return text("role"); }
    std::optional<std::string> value() const { return text("value"); }
};

}  // namespace movra
