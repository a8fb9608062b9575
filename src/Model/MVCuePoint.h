// MVCuePoint: a moment of a title at which the player screen acts (the chain-play offer), read from a
// "stravo:cuePoint" element of the streaming-session answer.
//
// Thread contract: a value; any thread.
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"
#include "Utilities/XMLModelClass.h"

#include <memory>
#include <optional>
#include <string>

namespace movra {

class MVCuePoint {
  public:
    static const XMLModelClass& modelClass();
    /// From the mapped values: `position` is the element's text in milliseconds.
    static std::shared_ptr<MVCuePoint> modelWithDictionary(const Json& dictionary, ErrorPtr* error = nullptr);

    MVCuePoint() = default;
    /// initWithType:andPosition: both values as given, the position already in seconds.
    MVCuePoint(std::optional<std::string> cueType, std::optional<double> position)
        : cueType_(std::move(cueType)), position_(position) {}

    const std::optional<std::string>& cueType() const { return cueType_; }
    /// Whole seconds from the start.
    const std::optional<double>& position() const { return position_; }
    /// Milliseconds in, whole seconds stored (truncated toward zero: 5999 gives 5).
    void setPosition(const Json& milliseconds);

  private:
    std::optional<std::string> cueType_;
    std::optional<double> position_;
};

}  // namespace movra
