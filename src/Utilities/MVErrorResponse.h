// MVErrorResponse: the common error document of the client API ("result" with status, errorCode,
// userMessage, systemMessage). Any answer may be probed with it: a document without a "result" root is
// not an error document and maps to nullptr without an error.
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"
#include "Utilities/XMLModelClass.h"

#include <memory>
#include <optional>
#include <string>

namespace movra {

class MVErrorResponse {
  public:
    static const XMLModelClass& modelClass();
    static std::shared_ptr<MVErrorResponse> modelWithDictionary(const Json& dictionary, ErrorPtr* error = nullptr);

    explicit MVErrorResponse(const Json& dictionary);

    const std::optional<std::string>& status() const { return status_; }
    const std::optional<std::string>& errorCode() const { return errorCode_; }
    const std::optional<std::string>& userMessage() const { return userMessage_; }
    const std::optional<std::string>& systemMessage() const { return systemMessage_; }

  private:
    std::optional<std::string> status_;
    std::optional<std::string> errorCode_;
    std::optional<std::string> userMessage_;
    std::optional<std::string> systemMessage_;
};

}  // namespace movra
