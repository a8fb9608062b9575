// MVSettingsResponse: the subscriber's settings ("result" with status and "settings/setting" elements).
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"
#include "Utilities/MVSetting.h"
#include "Utilities/XMLModelClass.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace movra {

class MVSettingsResponse {
  public:
    static const XMLModelClass& modelClass();
    static std::shared_ptr<MVSettingsResponse> modelWithDictionary(const Json& dictionary, ErrorPtr* error = nullptr);

    explicit MVSettingsResponse(const Json& dictionary);

    const std::optional<std::string>& status() const { return status_; }
    /// In document order.
    const std::vector<std::shared_ptr<MVSetting>>& settings() const { return settings_; }
    /// The value of the first setting whose name is exactly `name`, or nullopt.
    std::optional<std::string> settingWithName(std::string_view name) const;

  private:
    std::optional<std::string> status_;
    std::vector<std::shared_ptr<MVSetting>> settings_;
};

}  // namespace movra
