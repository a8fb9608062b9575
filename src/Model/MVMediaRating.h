// MVMediaRating: one age rating of a title ("media:rating"): a scheme and the rating in it.
//
// Thread contract: a value; any thread.
#pragma once

#include "Model/DictionaryRecord.h"
#include "Utilities/XMLModelClass.h"

#include <set>

namespace movra {

class MVMediaRating : public DictionaryRecord {
  public:
    static const XMLModelClass& modelClass();
    /// Rating values that mean the title has no rating to show.
    static const std::set<std::string>& unratedValues();
    using DictionaryRecord::DictionaryRecord;

    std::optional<std::string> scheme() const { return text("scheme"); }
    std::optional<std::string> ratingValue() const { return text("ratingValue"); }
    /// The value is missing or one of unratedValues, ignoring case: screens show no rating.
    bool isUnrated() const;
};

}  // namespace movra
