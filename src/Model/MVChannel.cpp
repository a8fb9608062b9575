// MVChannel: feed document mapping, calculated values and attributes of catalogue channels.
#include "Model/MVChannel.h"

#include "Foundation/Log.h"
#include "Foundation/ThreadPoolQueue.h"
#include "Model/AttributeTable.h"
#include "Model/AttributeValues.h"
#include "Platform/Platform.h"
#include "Utilities/MVTavikLocale.h"
#include "Utilities/MVXMLDictonarySerializer.h"

#include <algorithm>
#include <future>
#include <system_error>
#include <thread>

namespace movra {

namespace {

Json withCalculatedValues(Json channel) {
    if (auto guid = stringValue(channel, "guid")) channel["channelID"] = *guid;
    channel["userLanguage"] = MVTavikLocale::mvtk_preferredLanguageString();
    // A feed without "ttl" expires as one with "ttl" 0 does, rather than never being fresh.
    if (!channel.contains("ttlExpiration")) channel["ttlExpiration"] = *MVChannel::ttlExpirationXMLTransformer()({});
    // Without both guids there is no key to store an item under.
    auto channelID = stringValue(channel, "channelID");
    auto items = channel.find("items");
    if (isEmpty(channelID) || items == channel.end() || !items->is_array()) return channel;
    for (auto& item : *items)
        if (auto guid = stringValue(item, "guid"); !isEmpty(guid)) item["itemID"] = *channelID + "-" + *guid;
    return channel;
}

// One long-lived thread maps the first half of longer pages: its per-thread path caches stay warm from
// page to page, and it never waits on anything, so pages mapped at the same time cannot deadlock on it.
// Never destroyed: a page may still be mapping while the process exits.
DispatchQueue& mappingQueue() {
    static auto* queue = new ThreadPoolQueue("feed mapping", 1);
    return *queue;
}

// The nodes on a handle of their own of their document (an alias with its own reference count), for one
// thread's use: every node a mapping selects counts a reference, and two threads counting on one shared
// count slow each other down.
std::vector<XMLNode> onOwnHandle(std::vector<XMLNode>::const_iterator begin, std::vector<XMLNode>::const_iterator end) {
    std::vector<XMLNode> nodes;
    if (begin == end) return nodes;
    auto document = begin->document();
    const std::shared_ptr<const XMLDocument> handle(std::make_shared<XMLDocumentPtr>(document), document.get());
    nodes.reserve(static_cast<std::size_t>(end - begin));
    for (auto it = begin; it != end; ++it) nodes.push_back(it->withOwner(handle));
    return nodes;
}

// The item array transformer, reading no more than a page's worth of items. Items map independently of
// each other (the document is read-only), so a longer page is mapped in two halves on two threads.
XMLTransformer itemsTransformer() {
    return [](const std::vector<XMLNode>& nodes) -> std::optional<Json> {
        static const XMLTransformer items =
            MVXMLDictonarySerializer::XMLArrayTransformerWithModelClass(MVItem::modelClass());
        constexpr std::size_t kSplitAbove = 8;
        std::size_t count = nodes.size();
        if (count > MVChannel::kMaxItemsPerPage) {
            Log::warning("A feed page lists {} items; the first {} are read", count, MVChannel::kMaxItemsPerPage);
            count = MVChannel::kMaxItemsPerPage;
        }
        const auto end = nodes.begin() + static_cast<std::ptrdiff_t>(count);
        if (count <= kSplitAbove || std::thread::hardware_concurrency() < 2)
            return items(std::vector<XMLNode>(nodes.begin(), end));
        const auto middle = nodes.begin() + static_cast<std::ptrdiff_t>(count / 2);
        auto firstHalf = std::make_shared<std::promise<std::optional<Json>>>();
        auto mapped = firstHalf->get_future();
        try {
            mappingQueue().async([firstHalf, half = onOwnHandle(nodes.begin(), middle)]() mutable {
                // The nodes are let go before the result is handed over, so the document never outlives
                // the caller on this thread: at exit that would free it while libxml2 is being torn down.
                try {
                    auto value = items(half);
                    half.clear();
                    firstHalf->set_value(std::move(value));
                } catch (...) {
                    half.clear();
                    firstHalf->set_exception(std::current_exception());
                }
            });
        } catch (const std::system_error&) {  // no thread to be had: map it all here
            return items(std::vector<XMLNode>(nodes.begin(), end));
        }
        auto secondHalf = items(onOwnHandle(middle, end));
        auto all = mapped.get();
        if (!all || !secondHalf) return std::nullopt;
        for (auto& item : *secondHalf) all->push_back(std::move(item));
        return all;
    };
}

}  // namespace

XMLTransformer MVChannel::ttlExpirationXMLTransformer() {
    return [](const std::vector<XMLNode>& nodes) -> std::optional<Json> {
        const double minutes = nodes.empty() ? 0 : floatingValue(nodes.front().stringValue());
        return Platform::current().clock().secondsSince1970() + (minutes == 0 ? 2 : minutes * 60);
    };
}

const XMLModelClass& MVChannel::modelClass() {
    static const XMLModelClass cls{
        .name = "MVChannel",
        .XPathPrefix = "./rss/channel/",
        .XMLKeyPathsByPropertyKey = {{"guid", "guid"},
                                     {"analyticsLabel", "stravo:analyticsLabel"},
                                     {"title", "title"},
                                     {"link", "link"},
                                     {"channelDescription", "description"},
                                     {"language", "language"},
                                     {"pubDate", "pubDate"},
                                     {"lastBuildDate", "lastBuildDate"},
                                     {"ttlExpiration", "ttl"},
                                     {"image", "image"},
                                     {"totalResults", "stravo:totalResults"},
                                     {"items", "item"}},
        .propertyTransformers = {{"ttlExpiration", ttlExpirationXMLTransformer()}, {"items", itemsTransformer()}},
        .updateCalculatedValuesFromDictionary = withCalculatedValues,
    };
    return cls;
}

std::optional<Json> MVChannel::dictionaryFromDocument(const XMLDocumentPtr& document, ErrorPtr* error) {
    if (!document) return std::nullopt;
    return MVXMLDictonarySerializer::dictionaryFromNode(document->documentNode(), modelClass(), error);
}

const AttributeTable<MVChannel>& MVChannel::table() {
    using Kind = EntityAttribute::Kind;
    static const AttributeTable<MVChannel> table({
        {{"channelID", Kind::Text}, &MVChannel::channelID_},
        {{"guid", Kind::Text}, &MVChannel::guid_},
        {{"title", Kind::Text}, &MVChannel::title_},
        {{"link", Kind::Text}, &MVChannel::link_},
        {{"channelDescription", Kind::Text}, &MVChannel::channelDescription_},
        {{"language", Kind::Text}, &MVChannel::language_},
        {{"image", Kind::Text}, &MVChannel::image_},
        {{"analyticsLabel", Kind::Text}, &MVChannel::analyticsLabel_},
        {{"pubDate", Kind::Date}, &MVChannel::pubDate_},
        {{"lastBuildDate", Kind::Date}, &MVChannel::lastBuildDate_},
        {{"ttlExpiration", Kind::Date}, &MVChannel::ttlExpiration_},
        {{"totalResults", Kind::Integer}, &MVChannel::totalResults_},
        {{"userLanguage", Kind::Text}, &MVChannel::userLanguage_},
    });
    return table;
}

const std::vector<EntityAttribute>& MVChannel::attributes() { return table().attributes(); }

Json MVChannel::attributeValues() const { return table().values(*this); }

void MVChannel::setAttributeValues(const Json& values) {
    table().setValues(*this, values, AttributeTable<MVChannel>::NullMarker::Clears);
}

void MVChannel::bindAttributeValues(SQLiteStatement& statement, int firstIndex) const {
    table().bindValues(*this, statement, firstIndex);
}

void MVChannel::setAttributeValuesFromRow(const SQLiteStatement& row) { table().setValues(*this, row); }

void MVChannel::updateFromJSON(const Json& dictionary) {
    table().setValues(*this, dictionary, AttributeTable<MVChannel>::NullMarker::Skipped);
}

void MVChannel::addItemsObject(const std::shared_ptr<MVItem>& item) {
    if (!item) return;
    item->setChannelID(channelID_);
    if (std::find(items_.begin(), items_.end(), item) == items_.end()) items_.push_back(item);
}

void MVChannel::setItems(std::vector<std::shared_ptr<MVItem>> items) {
    for (const auto& item : items_) item->setChannelID(std::nullopt);
    items_ = std::move(items);
    std::erase(items_, nullptr);
    for (const auto& item : items_) item->setChannelID(channelID_);
}

void MVChannel::removeItemsObject(const std::shared_ptr<MVItem>& item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    (*it)->setChannelID(std::nullopt);
    items_.erase(it);
}

}  // namespace movra
