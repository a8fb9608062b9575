// MVLoginResponse: the answer of the device sign-in ("result" with status, token and the guids).
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"
#include "Utilities/XMLModelClass.h"

#include <memory>
#include <optional>
#include <string>

namespace movra {

class MVLoginResponse {
  public:
    static const XMLModelClass& modelClass();
    static std::shared_ptr<MVLoginResponse> modelWithDictionary(const Json& dictionary, ErrorPtr* error = nullptr);

    explicit MVLoginResponse(const Json& dictionary);

    const std::optional<std::string>& status() const { return status_; }
    const std::optional<std::string>& token() const { return token_; }
    const std::optional<std::string>& identityGuid() const { return identityGuid_; }
    const std::optional<std::string>& accountGuid() const { return accountGuid_; }

  private:
    std::optional<std::string> status_;
    std::optional<std::string> token_;
    std::optional<std::string> identityGuid_;
    std::optional<std::string> accountGuid_;
};

}  // namespace movra
