// AccountApi: the client API's account, device and settings routes: sign-in (which registers the device
// and issues its token), sign-out, the forgotten-password request, reading and writing the account's
// settings, reading the account record, and saving titles on and removing them from the watchlist.
//
// Thread contract: routes are added before the server starts; handlers run on the server's worker threads.
#pragma once

#include "movra-backend/AccountStore.h"
#include "movra-backend/ClientApi.h"
#include "movra-backend/Router.h"

namespace movra::backend {

class AccountApi {
  public:
    /// Codes of the sign-in refusals.
    static constexpr const char* kBadCredentialsCode = "ST3003";
    static constexpr const char* kInactiveAccountCode = "ST3005";
    /// Code of the forgotten-password refusal for a user name no account has.
    static constexpr const char* kUnknownUserCode = "ST3004";

    explicit AccountApi(AccountStore& accounts);

    void addRoutes(ClientApi& api, Router& router);

  private:
    void signIn(ClientApi::Call& call);
    void signOut(ClientApi::Call& call);
    void forgotPassword(ClientApi::Call& call);
    void readSettings(ClientApi::Call& call);
    void writeSettings(ClientApi::Call& call);
    void readAccount(ClientApi::Call& call);
    /// POST "ios/addSavedAsset" and DELETE "ios/savedAsset", the title's "guid" in the query.
    void changeWatchlist(ClientApi::Call& call, bool add);

    AccountStore& accounts_;
};

}  // namespace movra::backend
