// MVSetting: one name/value pair of the subscriber's settings ("setting" element).
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"
#include "Utilities/XMLModelClass.h"

#include <memory>
#include <optional>
#include <string>

namespace movra {

class MVSetting {
  public:
    static const XMLModelClass& modelClass();
    static std::shared_ptr<MVSetting> modelWithDictionary(const Json& dictionary, ErrorPtr* error = nullptr);

    MVSetting() = default;
    explicit MVSetting(const Json& dictionary);

    const std::optional<std::string>& name() const { return name_; }
    void setName(std::optional<std::string> name) { name_ = std::move(name); }
    const std::optional<std::string>& value() const { return value_; }
    void setValue(std::optional<std::string> value) { value_ = std::move(value); }

  private:
    std::optional<std::string> name_;
    std::optional<std::string> value_;
};

}  // namespace movra
