// MVChannel: one feed page of the catalogue (a shelf, folder, series or search result) of entity "Channel":
// its attributes, the mapping of a feed document into the channel dictionary the import reads, and the
// ordered list of the items it lists.
//
// Dates are seconds since 1970-01-01 00:00 UTC (floating-point).
//
// Thread contract: a channel is used by one thread at a time, like its items. dictionaryFromDocument may
// run on any thread (imports read feeds in the background).
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"
#include "Model/EntityAttribute.h"
#include "Model/MVItem.h"
#include "Utilities/XMLDocument.h"
#include "Utilities/XMLModelClass.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace movra {

class SQLiteStatement;

template <class Entity>
class AttributeTable;

class MVChannel {
  public:
    /// Items read from one page at most. The service pages by 100; a page listing more is cut here so that
    /// importing it takes bounded time and memory, and the rest comes with the next page's offset.
    static constexpr std::size_t kMaxItemsPerPage = 10'000;

    /// The mapping of a feed document (prefix "./rss/channel/"); `items` holds the item dictionaries. Its
    /// calculated values add channelID, userLanguage, each item's itemID, and the default ttlExpiration of
    /// a feed without "ttl".
    static const XMLModelClass& modelClass();
    /// The channel dictionary of a feed document, in document order, with `items` when the channel lists
    /// any. nullopt without error when the document holds no channel; with *error when it cannot be read.
    /// A dictionary without a non-empty "guid" is not a catalogue page (an error document).
    static std::optional<Json> dictionaryFromDocument(const XMLDocumentPtr& document, ErrorPtr* error = nullptr);
    /// "ttl" minutes as the expiry date: now + ttl × 60 s; empty, missing or 0 gives now + 2 s.
    static XMLTransformer ttlExpirationXMLTransformer();

    /// Every stored attribute, in the entity's order.
    static const std::vector<EntityAttribute>& attributes();
    /// Every attribute by name (null when absent), as attributes() gives their kinds.
    Json attributeValues() const;
    /// Sets every attribute named in `values` as it is (null clears it); other keys are ignored.
    void setAttributeValues(const Json& values);
    /// The same from a store row whose columns are attributes() in order.
    void setAttributeValuesFromRow(const SQLiteStatement& row);
    /// Binds attributeValues() in order to the statement's parameters from `firstIndex` on.
    void bindAttributeValues(SQLiteStatement& statement, int firstIndex) const;
    /// Imports the channel's own values from a channel dictionary: null markers are skipped, numbers are
    /// read from text, date texts with the feed's pattern. `items` is left to the store, which upserts each
    /// item by its itemID.
    void updateFromJSON(const Json& dictionary);

    // Attributes.
    /// Store key, equal to guid.
    const std::optional<std::string>& channelID() const { return channelID_; }
    void setChannelID(std::optional<std::string> value) { channelID_ = std::move(value); }
    const std::optional<std::string>& guid() const { return guid_; }
    void setGuid(std::optional<std::string> value) { guid_ = std::move(value); }
    const std::optional<std::string>& title() const { return title_; }
    void setTitle(std::optional<std::string> value) { title_ = std::move(value); }
    const std::optional<std::string>& link() const { return link_; }
    void setLink(std::optional<std::string> value) { link_ = std::move(value); }
    const std::optional<std::string>& channelDescription() const { return channelDescription_; }
    void setChannelDescription(std::optional<std::string> value) { channelDescription_ = std::move(value); }
    const std::optional<std::string>& language() const { return language_; }
    void setLanguage(std::optional<std::string> value) { language_ = std::move(value); }
    const std::optional<std::string>& image() const { return image_; }
    void setImage(std::optional<std::string> value) { image_ = std::move(value); }
    const std::optional<std::string>& analyticsLabel() const { return analyticsLabel_; }
    void setAnalyticsLabel(std::optional<std::string> value) { analyticsLabel_ = std::move(value); }
    const std::optional<double>& pubDate() const { return pubDate_; }
    void setPubDate(std::optional<double> value) { pubDate_ = value; }
    const std::optional<double>& lastBuildDate() const { return lastBuildDate_; }
    void setLastBuildDate(std::optional<double> value) { lastBuildDate_ = value; }
    /// The moment after which the stored channel is stale.
    const std::optional<double>& ttlExpiration() const { return ttlExpiration_; }
    void setTtlExpiration(std::optional<double> value) { ttlExpiration_ = value; }
    /// Items the back end holds for the channel, across all pages.
    const std::optional<std::int32_t>& totalResults() const { return totalResults_; }
    void setTotalResults(std::optional<std::int32_t> value) { totalResults_ = value; }
    /// The preferred language code at import time.
    const std::optional<std::string>& userLanguage() const { return userLanguage_; }
    void setUserLanguage(std::optional<std::string> value) { userLanguage_ = std::move(value); }

    /// The listed items in feed order.
    const std::vector<std::shared_ptr<MVItem>>& items() const { return items_; }
    /// Appends `item` and links it to this channel; an item already listed keeps its place.
    void addItemsObject(const std::shared_ptr<MVItem>& item);
    /// Lists exactly these items (each at most once), in this order, each now in this channel.
    void setItems(std::vector<std::shared_ptr<MVItem>> items);
    /// Removes `item` and clears its link to a channel.
    void removeItemsObject(const std::shared_ptr<MVItem>& item);

  private:
    static const AttributeTable<MVChannel>& table();

    std::optional<std::string> channelID_, guid_, title_, link_, channelDescription_, language_, image_,
        analyticsLabel_;
    std::optional<double> pubDate_, lastBuildDate_, ttlExpiration_;
    std::optional<std::int32_t> totalResults_;
    std::optional<std::string> userLanguage_;
    std::vector<std::shared_ptr<MVItem>> items_;
};

}  // namespace movra
