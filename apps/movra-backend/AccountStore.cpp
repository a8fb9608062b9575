// Accounts, devices, tokens and settings of the emulated service, kept across restarts in a state file.
#include "movra-backend/AccountStore.h"

#include "Foundation/Crypto.h"
#include "Foundation/Log.h"
#include "Foundation/Strings.h"
#include "Platform/AtomicFile.h"

#include <algorithm>

namespace movra::backend {

namespace {

Json bookmarksJson(const std::vector<SubscriberLists::Bookmark>& bookmarks) {
    Json list = Json::array();
    for (const auto& bookmark : bookmarks) list.push_back({{"guid", bookmark.guid}, {"seconds", bookmark.seconds}});
    return list;
}

}  // namespace

AccountStore::AccountStore(std::vector<Account> accounts) : accounts_(std::move(accounts)) { resetToDataFile(); }

void AccountStore::resetToDataFile() {
    for (const Account& account : accounts_) {
        settings_[account.userName] = account.settings;
        lists_[account.userName] = {.watchlist = {}, .bookmarks = account.bookmarks};
    }
}

void AccountStore::open(std::string stateFile) {
    std::lock_guard lock(mutex_);
    stateFile_ = std::move(stateFile);
    devices_.clear();
    tokens_.clear();
    resetToDataFile();

    auto [contents, error] = AtomicFile::read(stateFile_);
    if (error) {
        Log::error("movra-backend: cannot read {}, starting from the demo accounts: {}", stateFile_, error->summary());
        return;
    }
    if (!contents) return;
    const Json state = Json::parse(*contents, nullptr, /*allow_exceptions=*/false);
    if (!applyState(state)) {
        Log::error("movra-backend: {} is corrupt, starting from the demo accounts; the next change replaces it",
                   stateFile_);
    }
}

const Account* AccountStore::find(std::string_view userName) const {
    const std::string wanted = toLower(userName);
    for (const Account& account : accounts_)
        if (toLower(account.userName) == wanted) return &account;
    return nullptr;
}

std::optional<Account> AccountStore::account(std::string_view userName) const {
    const Account* account = find(userName);
    return account ? std::optional<Account>(*account) : std::nullopt;
}

std::string AccountStore::signIn(const std::string& deviceId, Device device) {
    // 32 hexadecimal digits from the random generator behind the UUIDs: not guessable from earlier tokens.
    std::string token = toLower(replaceAll(makeUUIDString(), "-", ""));
    std::lock_guard lock(mutex_);
    tokens_[token] = {deviceId, device.userName, /*revoked=*/false};
    devices_[deviceId] = std::move(device);
    save();
    return token;
}

std::optional<Account> AccountStore::accountForToken(const std::string& token, const std::string& deviceId,
                                                     std::string* problem) const {
    std::lock_guard lock(mutex_);
    auto it = tokens_.find(token);
    const Account* account = it == tokens_.end() ? nullptr : find(it->second.userName);
    if (!account) {
        *problem = "Unknown device token";
    } else if (it->second.revoked) {
        *problem = "The device token has been revoked";
    } else if (it->second.deviceId != deviceId) {
        *problem = "The device token was issued to another device";
    } else {
        return *account;
    }
    return std::nullopt;
}

int AccountStore::revokeDevice(const std::string& deviceId) {
    std::lock_guard lock(mutex_);
    int revoked = 0;
    for (auto& [token, entry] : tokens_) {
        if (entry.deviceId != deviceId || entry.revoked) continue;
        entry.revoked = true;
        ++revoked;
    }
    if (revoked > 0) save();
    return revoked;
}

std::optional<int> AccountStore::revokeAccount(std::string_view userName) {
    const Account* account = find(userName);
    if (!account) return std::nullopt;
    std::lock_guard lock(mutex_);
    int revoked = 0;
    for (auto& [token, entry] : tokens_) {
        if (entry.userName != account->userName || entry.revoked) continue;
        entry.revoked = true;
        ++revoked;
    }
    if (revoked > 0) save();
    return revoked;
}

bool AccountStore::revokeToken(const std::string& token) {
    std::lock_guard lock(mutex_);
    auto it = tokens_.find(token);
    if (it == tokens_.end() || it->second.revoked) return false;
    it->second.revoked = true;
    save();
    return true;
}

std::map<std::string, std::string> AccountStore::settings(const Account& account) const {
    std::lock_guard lock(mutex_);
    auto it = settings_.find(account.userName);
    return it == settings_.end() ? std::map<std::string, std::string>() : it->second;
}

void AccountStore::updateSettings(const Account& account, const SettingChanges& changes) {
    std::lock_guard lock(mutex_);
    auto& settings = settings_[account.userName];
    for (const auto& [name, value] : changes) {
        if (value)
            settings[name] = *value;
        else
            settings.erase(name);
    }
    save();
}

SubscriberLists AccountStore::lists(const Account& account) const {
    std::lock_guard lock(mutex_);
    auto it = lists_.find(account.userName);
    return it == lists_.end() ? SubscriberLists() : it->second;
}

void AccountStore::addToWatchlist(const Account& account, const std::string& guid) {
    std::lock_guard lock(mutex_);
    auto& lists = lists_[account.userName];
    if (lists.isSaved(guid)) return;
    lists.watchlist.insert(lists.watchlist.begin(), guid);
    save();
}

void AccountStore::removeFromWatchlist(const Account& account, const std::string& guid) {
    std::lock_guard lock(mutex_);
    auto& watchlist = lists_[account.userName].watchlist;
    auto found = std::find(watchlist.begin(), watchlist.end(), guid);
    if (found == watchlist.end()) return;
    watchlist.erase(found);
    save();
}

void AccountStore::setBookmark(const Account& account, const std::string& guid, int seconds) {
    std::lock_guard lock(mutex_);
    auto& bookmarks = lists_[account.userName].bookmarks;
    std::erase_if(bookmarks, [&](const SubscriberLists::Bookmark& bookmark) { return bookmark.guid == guid; });
    bookmarks.insert(bookmarks.begin(), {guid, seconds});
    save();
}

Json AccountStore::toJson() const {
    std::lock_guard lock(mutex_);
    Json list = Json::array();
    for (const Account& account : accounts_) {
        Json entry = account.toJson();
        entry["settings"] = settings_.at(account.userName);
        entry["watchlist"] = lists_.at(account.userName).watchlist;
        entry["bookmarks"] = bookmarksJson(lists_.at(account.userName).bookmarks);
        Json devices = Json::array();
        for (const auto& [id, device] : devices_) {
            if (device.userName != account.userName) continue;
            devices.push_back(
                {{"deviceId", id}, {"type", device.type}, {"model", device.model}, {"name", device.name}});
        }
        entry["devices"] = std::move(devices);
        Json tokens = Json::array();
        for (const auto& [token, issued] : tokens_) {
            if (issued.userName == account.userName && !issued.revoked)
                tokens.push_back({{"token", token}, {"deviceId", issued.deviceId}});
        }
        entry["tokens"] = std::move(tokens);
        list.push_back(std::move(entry));
    }
    return list;
}

Json AccountStore::stateJson() const {
    Json devices = Json::object();
    for (const auto& [id, device] : devices_) {
        devices[id] = {
            {"type", device.type}, {"model", device.model}, {"name", device.name}, {"userName", device.userName}};
    }
    Json tokens = Json::object();
    for (const auto& [token, issued] : tokens_) {
        tokens[token] = {{"deviceId", issued.deviceId}, {"userName", issued.userName}, {"revoked", issued.revoked}};
    }
    Json watchlists = Json::object();
    Json bookmarks = Json::object();
    for (const auto& [userName, lists] : lists_) {
        watchlists[userName] = lists.watchlist;
        bookmarks[userName] = bookmarksJson(lists.bookmarks);
    }
    return {{"devices", std::move(devices)},
            {"tokens", std::move(tokens)},
            {"settings", settings_},
            {"watchlists", std::move(watchlists)},
            {"bookmarks", std::move(bookmarks)}};
}

bool AccountStore::applyState(const Json& state) {
    auto objectAt = [&state](const char* key) -> const Json* {
        auto it = state.is_object() ? state.find(key) : state.end();
        return it != state.end() && it->is_object() ? &*it : nullptr;
    };
    const Json* devicesJson = objectAt("devices");
    const Json* tokensJson = objectAt("tokens");
    const Json* settingsJson = objectAt("settings");
    if (!devicesJson || !tokensJson || !settingsJson) return false;

    std::map<std::string, Device> devices;
    std::map<std::string, Token> tokens;
    auto settings = settings_;
    auto lists = lists_;
    // The throwing accessors stop at the first entry out of place; nothing is applied until all was read.
    try {
        for (const auto& [id, device] : devicesJson->items()) {
            const Account* account = find(device.at("userName").get<std::string>());
            // Devices and tokens of accounts the data file no longer holds are dropped.
            if (!account) continue;
            devices[id] = {device.at("type").get<std::string>(), device.at("model").get<std::string>(),
                           device.at("name").get<std::string>(), account->userName};
        }
        for (const auto& [token, issued] : tokensJson->items()) {
            const Account* account = find(issued.at("userName").get<std::string>());
            if (!account) continue;
            tokens[token] = {issued.at("deviceId").get<std::string>(), account->userName,
                             issued.at("revoked").get<bool>()};
        }
        for (const auto& [userName, values] : settingsJson->items()) {
            if (const Account* account = find(userName))
                settings[account->userName] = values.get<std::map<std::string, std::string>>();
        }
        // State files written before watchlists and bookmarks were kept have neither.
        if (const Json* watchlistsJson = objectAt("watchlists")) {
            for (const auto& [userName, guids] : watchlistsJson->items())
                if (const Account* account = find(userName))
                    lists[account->userName].watchlist = guids.get<std::vector<std::string>>();
        }
        if (const Json* bookmarksJson = objectAt("bookmarks")) {
            for (const auto& [userName, entries] : bookmarksJson->items()) {
                const Account* account = find(userName);
                if (!account) continue;
                auto& bookmarks = lists[account->userName].bookmarks;
                bookmarks.clear();
                for (const Json& entry : entries)
                    bookmarks.push_back({entry.at("guid").get<std::string>(), entry.at("seconds").get<int>()});
            }
        }
    } catch (const Json::exception&) {
        return false;
    }
    devices_ = std::move(devices);
    tokens_ = std::move(tokens);
    settings_ = std::move(settings);
    lists_ = std::move(lists);
    return true;
}

void AccountStore::save() const {
    if (stateFile_.empty()) return;
    if (auto error = AtomicFile::write(stateFile_, stateJson().dump(2, ' ', false, Json::error_handler_t::replace))) {
        Log::error("movra-backend: cannot save the accounts' state: {}", error->summary());
    }
}

}  // namespace movra::backend
