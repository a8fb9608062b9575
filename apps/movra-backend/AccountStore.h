// AccountStore: the subscribers of the emulated service and what signing in leaves behind: registered
// devices, issued device tokens (live or revoked), each account's settings, watchlist and resume
// positions. The accounts come from the data file; the rest is kept in a state file that every change
// rewrites, so that it survives a restart.
//
// Thread contract: every member may be called from any thread; one mutex guards the state and the
// writes of the state file.
#pragma once

#include "Foundation/Json.h"
#include "movra-backend/Account.h"
#include "movra-backend/SubscriberLists.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace movra::backend {

class AccountStore {
  public:
    /// A device as its sign-in described it.
    struct Device {
        /// Always "ios" for now.
        std::string type;
        std::string model;
        std::string name;
        /// The account that signed in on it last.
        std::string userName;
    };
    /// Setting name and new value; nullopt removes the setting.
    using SettingChanges = std::vector<std::pair<std::string, std::optional<std::string>>>;

    explicit AccountStore(std::vector<Account> accounts);

    /// Starts from the accounts' own settings and bookmarks, no devices and empty watchlists, then applies the state
    /// kept in `stateFile` (when it exists) and saves every later change there. A state file that cannot be read is
    /// logged and left to be replaced by the next change.
    void open(std::string stateFile);

    /// The account of `userName`, compared ignoring case.
    std::optional<Account> account(std::string_view userName) const;

    /// Registers `deviceId` for `device.userName` and issues it a fresh token. Tokens issued earlier stay
    /// valid: requests the client sent before it stored the new token must not fail.
    std::string signIn(const std::string& deviceId, Device device);
    /// The account `token` was issued to, when the token is live and was issued to `deviceId`; nullopt
    /// with `*problem` saying why not.
    std::optional<Account> accountForToken(const std::string& token, const std::string& deviceId,
                                           std::string* problem) const;
    /// Revokes every live token of the device; the number revoked.
    int revokeDevice(const std::string& deviceId);
    /// Revokes every live token of the account; nullopt for an unknown user.
    std::optional<int> revokeAccount(std::string_view userName);
    /// false when the token is unknown or already revoked.
    bool revokeToken(const std::string& token);

    std::map<std::string, std::string> settings(const Account& account) const;
    void updateSettings(const Account& account, const SettingChanges& changes);

    SubscriberLists lists(const Account& account) const;
    /// Saves `guid` first on the account's watchlist; a title already saved keeps its place.
    void addToWatchlist(const Account& account, const std::string& guid);
    /// Takes `guid` off the watchlist; nothing happens when it is not there.
    void removeFromWatchlist(const Account& account, const std::string& guid);
    /// Records the resume position of `guid` as the account's most recently watched title.
    void setBookmark(const Account& account, const std::string& guid, int seconds);

    /// Every account with its settings, lists, devices and live tokens, for the control endpoint.
    Json toJson() const;

  private:
    struct Token {
        std::string deviceId;
        std::string userName;
        bool revoked = false;
    };

    const Account* find(std::string_view userName) const;
    /// Every account's own settings and bookmarks, as the data file gives them.
    void resetToDataFile();
    Json stateJson() const;
    /// Applies a state document; false (changing nothing) when it is not of the state file's form.
    bool applyState(const Json& state);
    void save() const;

    const std::vector<Account> accounts_;
    mutable std::mutex mutex_;
    std::string stateFile_;
    std::map<std::string, Device> devices_;
    std::map<std::string, Token> tokens_;
    /// By the account's user name as the data file spells it.
    std::map<std::string, std::map<std::string, std::string>> settings_;
    /// By the account's user name as the data file spells it.
    std::map<std::string, SubscriberLists> lists_;
};

}  // namespace movra::backend
