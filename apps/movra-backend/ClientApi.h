// ClientApi: the emulated XML client API below "/stoffice/client/ios/". Strict like the real service:
// every request must carry the device headers and a "language" parameter with the current tenant's
// suffix, or it is refused with HTTP 400 and an error document naming what was wrong.
//
// Thread contract: routes are added before the server starts; handlers run on the server's worker threads.
#pragma once

#include "movra-backend/Catalogue.h"
#include "movra-backend/ErrorDocument.h"
#include "movra-backend/Router.h"
#include "movra-backend/Tenant.h"

#include <functional>
#include <optional>
#include <regex>
#include <string>

namespace movra::backend {

class ClientApi {
  public:
    static constexpr const char* kPathPrefix = "/stoffice/client/ios/";
    /// Code of the documents refusing a request that breaks the rules above.
    static constexpr const char* kBadRequestCode = "ST4000";

    /// `currentTenant` is asked on every request, so that the tenant may change while serving.
    ClientApi(std::function<Tenant()> currentTenant, const Catalogue& catalogue);

    void addRoutes(Router& router);

    /// The refusal for a request that lacks a standard header or the tenant's "language"; nullopt when
    /// the request may be served.
    static std::optional<ErrorDocument> checkRequest(const httplib::Request& request, const Tenant& tenant);

  private:
    /// Handlers of checked requests get the request's language code without the tenant suffix.
    using Handler = std::function<void(const httplib::Request&, httplib::Response&, const std::smatch&,
                                       const std::string& language)>;

    /// Adds a route whose path pattern is relative to kPathPrefix, behind checkRequest().
    void add(Router& router, std::string method, const std::string& relativePattern, Handler handler);
    void browse(httplib::Response& response, const std::string& path, const std::string& language) const;

    std::function<Tenant()> currentTenant_;
    const Catalogue& catalogue_;
};

}  // namespace movra::backend
