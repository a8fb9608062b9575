// MVDiscriminatorClient: asks the tenant discriminator service (JSON over HTTPS) which tenant serves the
// device and which API host to use.
//
// Thread contract: main queue; completions run on the main queue. Keep the client alive until its
// completion has run: destroying it cancels its request.
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"
#include "Platform/HttpTransport.h"

#include <functional>
#include <memory>
#include <string>

namespace movra {

class MVDiscriminatorClient {
  public:
    /// (error, JSON): the JSON answer is handed on in every case (null when there was none).
    using Completion = std::function<void(ErrorPtr error, Json json)>;

    /// The configured discriminator host.
    MVDiscriminatorClient();
    explicit MVDiscriminatorClient(const std::string& host);
    ~MVDiscriminatorClient();

    const std::string& baseURL() const { return baseURL_; }
    double requestTimeoutInterval() const { return requestTimeoutInterval_; }
    void setRequestTimeoutInterval(double seconds) { requestTimeoutInterval_ = seconds; }

    /// GET "/Movra", with the answer mapped to the service's errors (1005, 1009, 99999).
    HttpTaskPtr getTenantDiscriminatorWithCompletion(Completion completion);
    /// The base URL followed directly by `path`, parameters in the query; the answer decoded as JSON.
    /// The completion gets the HTTP status too (0 without a response).
    HttpTaskPtr commonRequestWithMethod(const std::string& method, const std::string& path, const Json& parameters,
                                        std::function<void(ErrorPtr error, Json json, int status)> completion);

  private:
    std::string baseURL_;
    double requestTimeoutInterval_ = 60.0;
    std::shared_ptr<HttpTransport> session_;
};

}  // namespace movra
