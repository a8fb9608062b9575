// ClientApi: the emulated XML client API below "/stoffice/client/". Strict like the real service: every
// request must carry the device headers and a "language" parameter with the current tenant's suffix, or
// it is refused with HTTP 400 and an error document naming what was wrong; a device token that is sent
// must be live and issued to the sending device, or the answer is HTTP 401.
//
// Thread contract: routes are added before the server starts; handlers run on the server's worker threads.
#pragma once

#include "movra-backend/Account.h"
#include "movra-backend/AccountStore.h"
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
    static constexpr const char* kClientPath = "/stoffice/client/";
    /// Code of the documents refusing a request that breaks the rules above.
    static constexpr const char* kBadRequestCode = "ST4000";
    /// The header that carries a signed-in device's token.
    static constexpr const char* kDeviceTokenHeader = "X-Stravo-DeviceToken";

    /// What a route asks of the device token.
    enum class Access {
        Open,      // not looked at: signing in issues a new token, signing out ends the old ones
        Optional,  // served without one, but one that is sent must be valid
        Required,  // only for a valid token
        Reported,  // never refused: the handler answers a missing or invalid token in its own terms
    };

    /// A checked request as its handler gets it.
    struct Call {
        const httplib::Request& request;
        httplib::Response& response;
        const std::smatch& match;
        /// The "language" parameter without the tenant suffix.
        std::string language;
        /// The account of the request's valid token; nullopt without one (and always for Access::Open).
        std::optional<Account> account;
    };
    using Handler = std::function<void(Call& call)>;

    /// `currentTenant` is asked on every request, so that the tenant may change while serving.
    ClientApi(std::function<Tenant()> currentTenant, const Catalogue& catalogue, const AccountStore& accounts);

    /// The catalogue's routes.
    void addRoutes(Router& router);
    /// Adds a route whose path pattern is relative to kClientPath. Its requests are checked in this
    /// order: device headers (400), device token (401), language (400). The token comes before the
    /// language because the client leaves the language out of a settings write when it holds no token,
    /// and the 401 that sends it to the sign-in is the answer it can act on.
    void add(Router& router, std::string method, const std::string& relativePattern, Access access, Handler handler);
    /// add() for a path pattern of the service outside kClientPath.
    void addAbsolute(Router& router, std::string method, const std::string& pattern, Access access, Handler handler);
    /// For endpoints that take the device headers alone (the key server): the account of the request's
    /// device token when the device identifier is there and the token is live and issued to it; nullopt with
    /// `*problem` saying why not.
    std::optional<Account> deviceAccount(const httplib::Request& request, std::string* problem) const;

    /// The refusal of a request the service cannot handle; `problem` becomes its system message.
    static ErrorDocument badRequest(std::string problem);

  private:
    static std::optional<ErrorDocument> checkHeaders(const httplib::Request& request);
    /// The refusal (HTTP 401) of a request whose token `access` does not accept; nullopt when the request
    /// may go on, with `*account` set when a valid token came.
    std::optional<ErrorDocument> checkToken(const httplib::Request& request, Access access,
                                            std::optional<Account>* account) const;
    static std::optional<ErrorDocument> checkLanguage(const httplib::Request& request, const Tenant& tenant);
    /// A page of a catalogue channel, search results and suggestions included: HTTP 400 for malformed paging
    /// or sorting keys, 404 for an unknown path.
    void browse(Call& call) const;

    std::function<Tenant()> currentTenant_;
    const Catalogue& catalogue_;
    const AccountStore& accounts_;
};

}  // namespace movra::backend
