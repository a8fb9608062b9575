// StoreContext: the catalogue store's synchronous operations over one connection: fetching channels and
// items, upserting them by their keys, detaching items from a channel, deleting. The writer queue's
// context runs inside the transaction of a save; the main queue's context only reads.
//
// Thread contract: the thread (queue) that owns the connection.
#pragma once

#include "Foundation/Error.h"
#include "Model/StorePredicate.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace movra {

class MVChannel;
class MVItem;
class SQLiteDatabase;

class StoreContext {
  public:
    /// Which items to fetch; every condition given must hold.
    struct ItemQuery {
        /// Items listed by the channel of this guid.
        std::optional<std::string> channelGuid;
        /// The listing channel was imported for this preferred language.
        std::optional<std::string> userLanguage;
        /// The listing channel is still fresh at this moment (seconds since 1970).
        std::optional<double> freshAt;
        bool watchlistOnly = false;
        std::optional<StorePredicate> filter;
        /// Attribute names to sort by, each ascending unless marked descending.
        std::vector<std::pair<std::string, bool /*ascending*/>> sortKeys = {{"indexInChannel", true}};
        std::optional<int> limit;
    };

    explicit StoreContext(SQLiteDatabase& database) : db_(database) {}

    /// Creates or upgrades the tables; run once per connection that writes.
    static ErrorPtr prepareSchema(SQLiteDatabase& database);

    std::vector<std::shared_ptr<MVItem>> fetchItems(const ItemQuery& query, ErrorPtr* error = nullptr);
    std::shared_ptr<MVItem> fetchItem(const std::string& itemID, ErrorPtr* error = nullptr);
    /// The channel of `guid` with its items in relationship order; nullptr when none is stored. With
    /// `userLanguage` and `freshAt` only a channel that is fresh for that language.
    std::shared_ptr<MVChannel> fetchChannel(const std::string& guid,
                                            const std::optional<std::string>& userLanguage = {},
                                            std::optional<double> freshAt = {}, ErrorPtr* error = nullptr,
                                            bool withItems = true);
    long long countItems(const ItemQuery& query, ErrorPtr* error = nullptr);

    /// Inserts or updates the channel by its channelID (its items are saved one by one).
    ErrorPtr saveChannel(const MVChannel& channel);
    /// Inserts or updates the item by its itemID. An item that joins `channelID` goes to the end of the
    /// channel's items; one already listed there keeps its place.
    ErrorPtr saveItem(const MVItem& item, const std::optional<std::string>& channelID);
    /// Takes every item of the channel of `channelGuid` whose guid is not in `keepGuids` out of the channel;
    /// the items stay stored.
    ErrorPtr detachItems(const std::string& channelGuid, const std::vector<std::string>& keepGuids);
    /// Deletes the channels of `guid` (all of them when empty) that match the language and freshness given;
    /// their items stay, detached.
    ErrorPtr deleteChannels(const std::optional<std::string>& guid, const std::optional<std::string>& userLanguage = {},
                            std::optional<double> freshAt = {});
    ErrorPtr deleteAll();

    /// Statements the connection keeps prepared.
    std::size_t preparedStatementCount() const;

    /// The guids of the channels whose record or listed items the writes through this context changed, since
    /// the last call; nullopt when any channel may have changed.
    std::optional<std::set<std::string>> takeChangedChannels();

  private:
    void changed(const std::optional<std::string>& channelGuid);

    std::set<std::string> changedChannels_;
    bool changedEverything_ = false;
    std::string itemSelect(const ItemQuery& query, std::vector<std::string>& arguments, bool count) const;

    SQLiteDatabase& db_;
    /// Per channelID, the place saveItem() gives the next item that joins the channel.
    std::unordered_map<std::string, long long> nextPlace_;
};

}  // namespace movra
