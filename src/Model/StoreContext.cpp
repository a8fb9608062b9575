#include "Model/StoreContext.h"

#include "Foundation/Strings.h"
#include "Model/MVChannel.h"
#include "Model/MVItem.h"
#include "Model/SQLiteDatabase.h"

namespace movra {

namespace {

constexpr int kSchemaVersion = 3;

std::string columnType(EntityAttribute::Kind kind) {
    switch (kind) {
        case EntityAttribute::Kind::Integer:
        case EntityAttribute::Kind::Boolean:
            return "INTEGER";
        case EntityAttribute::Kind::Date:
            return "REAL";
        default:
            return "TEXT";
    }
}

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

std::string columnList(const std::vector<EntityAttribute>& attributes, const std::string& table = {}) {
    std::vector<std::string> names;
    for (const auto& attribute : attributes)
        names.push_back((table.empty() ? "" : table + ".") + quoted(attribute.name));
    return join(names, ", ");
}

std::string createTable(const std::string& name, const std::vector<EntityAttribute>& attributes, const std::string& key,
                        const std::string& extra) {
    std::vector<std::string> columns;
    for (const auto& attribute : attributes)
        columns.push_back(quoted(attribute.name) + " " + columnType(attribute.kind));
    return "CREATE TABLE " + name + " (" + join(columns, ", ") + extra + ", PRIMARY KEY (" + quoted(key) + "))";
}

/// Every attribute of `attributes` read from the statement's first columns, in order.
std::shared_ptr<MVItem> itemFromRow(const SQLiteStatement& row) {
    const auto& attributes = MVItem::attributes();
    auto item = std::make_shared<MVItem>();
    item->setAttributeValuesFromRow(row);
    item->setChannelID(row.columnText(static_cast<int>(attributes.size())));
    return item;
}

/// The upsert of every attribute of an entity: insert, or update every column of the existing row.
std::string upsert(const std::string& table, const std::vector<EntityAttribute>& attributes, const std::string& key,
                   const std::vector<std::string>& extraColumns) {
    std::vector<std::string> columns, placeholders, updates;
    for (const auto& attribute : attributes) {
        columns.push_back(quoted(attribute.name));
        placeholders.push_back("?");
        if (attribute.name != key) updates.push_back(quoted(attribute.name) + " = excluded." + quoted(attribute.name));
    }
    for (const auto& extra : extraColumns) {
        columns.push_back(extra);
        placeholders.push_back("?");
    }
    return "INSERT INTO " + table + " (" + join(columns, ", ") + ") VALUES (" + join(placeholders, ", ") +
           ") ON CONFLICT (" + quoted(key) + ") DO UPDATE SET " + join(updates, ", ");
}

}  // namespace

ErrorPtr StoreContext::prepareSchema(SQLiteDatabase& database) {
    const int version = database.userVersion();
    if (version == kSchemaVersion) return nullptr;
    if (version > kSchemaVersion)
        return makeError("MVCoreDataService", 2, "The catalogue store was written by a newer version of the app");
    return database.transaction([&database]() -> ErrorPtr {
        // Older layouts held nothing that cannot be fetched again.
        for (const char* table : {"Item", "Channel"})
            if (auto error = database.exec(std::string("DROP TABLE IF EXISTS ") + table)) return error;
        const std::string statements[] = {
            createTable("Channel", MVChannel::attributes(), "channelID", ""),
            createTable("Item", MVItem::attributes(), "itemID", ", channel TEXT, position INTEGER"),
            "CREATE INDEX ItemByChannel ON Item (channel, indexInChannel)",
            "CREATE INDEX ItemByGuid ON Item (guid)",
            "CREATE INDEX ItemByWatchlist ON Item (isInWatchlist)",
            "CREATE INDEX ChannelByGuid ON Channel (guid)",
        };
        for (const auto& sql : statements)
            if (auto error = database.exec(sql)) return error;
        return database.setUserVersion(kSchemaVersion);
    });
}

std::string StoreContext::itemSelect(const ItemQuery& query, std::vector<std::string>& arguments, bool count) const {
    std::string sql =
        count ? "SELECT COUNT(*)" : "SELECT " + columnList(MVItem::attributes(), "Item") + ", Item.channel";
    sql += " FROM Item LEFT JOIN Channel ON Item.channel = Channel.channelID WHERE 1";
    if (query.channelGuid) {
        sql += " AND Channel.guid = ?";
        arguments.push_back(*query.channelGuid);
    }
    if (query.userLanguage) {
        sql += " AND Channel.userLanguage = ?";
        arguments.push_back(*query.userLanguage);
    }
    if (query.freshAt) {
        // Bound, not written into the text: each moment would otherwise be a statement of its own, prepared
        // afresh and kept in the connection's cache for good.
        sql += " AND Channel.ttlExpiration > CAST(? AS REAL)";
        arguments.push_back(std::to_string(*query.freshAt));
    }
    if (query.watchlistOnly) sql += " AND Item.isInWatchlist > 0";
    if (query.filter) {
        sql += " AND (" + query.filter->sql() + ")";
        arguments.insert(arguments.end(), query.filter->arguments().begin(), query.filter->arguments().end());
    }
    if (!count && !query.sortKeys.empty()) {
        std::vector<std::string> order;
        for (const auto& [key, ascending] : query.sortKeys)
            order.push_back("Item." + quoted(key) + (ascending ? " ASC" : " DESC"));
        sql += " ORDER BY " + join(order, ", ");
    }
    if (!count && query.limit) sql += " LIMIT " + std::to_string(*query.limit);
    return sql;
}

std::vector<std::shared_ptr<MVItem>> StoreContext::fetchItems(const ItemQuery& query, ErrorPtr* error) {
    std::vector<std::shared_ptr<MVItem>> items;
    std::vector<std::string> arguments;
    auto* statement = db_.prepare(itemSelect(query, arguments, /*count=*/false), error);
    if (!statement) return items;
    for (std::size_t i = 0; i < arguments.size(); ++i) statement->bindText(static_cast<int>(i + 1), arguments[i]);
    for (;;) {
        auto step = statement->step();
        if (step == SQLiteStatement::Step::Row) {
            items.push_back(itemFromRow(*statement));
            continue;
        }
        if (step == SQLiteStatement::Step::Error && error) *error = db_.lastError();
        break;
    }
    statement->reset();
    return items;
}

long long StoreContext::countItems(const ItemQuery& query, ErrorPtr* error) {
    std::vector<std::string> arguments;
    auto* statement = db_.prepare(itemSelect(query, arguments, /*count=*/true), error);
    if (!statement) return 0;
    for (std::size_t i = 0; i < arguments.size(); ++i) statement->bindText(static_cast<int>(i + 1), arguments[i]);
    const long long count = statement->step() == SQLiteStatement::Step::Row ? statement->columnInt64(0) : 0;
    statement->reset();
    return count;
}

std::shared_ptr<MVItem> StoreContext::fetchItem(const std::string& itemID, ErrorPtr* error) {
    static const std::string sql =
        "SELECT " + columnList(MVItem::attributes()) + ", channel FROM Item WHERE itemID = ?";
    auto* statement = db_.prepare(sql, error);
    if (!statement) return nullptr;
    statement->bindText(1, itemID);
    std::shared_ptr<MVItem> item;
    if (statement->step() == SQLiteStatement::Step::Row) item = itemFromRow(*statement);
    statement->reset();
    return item;
}

std::shared_ptr<MVChannel> StoreContext::fetchChannel(const std::string& guid,
                                                      const std::optional<std::string>& userLanguage,
                                                      std::optional<double> freshAt, ErrorPtr* error, bool withItems) {
    std::string sql = "SELECT " + columnList(MVChannel::attributes()) + " FROM Channel WHERE guid = ?";
    if (userLanguage) sql += " AND userLanguage = ?";
    if (freshAt) sql += " AND ttlExpiration > CAST(? AS REAL)";
    sql += " LIMIT 1";
    auto* statement = db_.prepare(sql, error);
    if (!statement) return nullptr;
    int index = 1;
    statement->bindText(index++, guid);
    if (userLanguage) statement->bindText(index++, *userLanguage);
    if (freshAt) statement->bindText(index, std::to_string(*freshAt));
    std::shared_ptr<MVChannel> channel;
    if (statement->step() == SQLiteStatement::Step::Row) {
        channel = std::make_shared<MVChannel>();
        channel->setAttributeValuesFromRow(*statement);
    }
    statement->reset();
    if (!channel || !channel->channelID() || !withItems) return channel;

    static const std::string itemsSql =
        "SELECT " + columnList(MVItem::attributes()) + ", channel FROM Item WHERE channel = ? ORDER BY position ASC";
    auto* items = db_.prepare(itemsSql, error);
    if (!items) return nullptr;
    items->bindText(1, *channel->channelID());
    std::vector<std::shared_ptr<MVItem>> listed;
    while (items->step() == SQLiteStatement::Step::Row) listed.push_back(itemFromRow(*items));
    items->reset();
    channel->setItems(std::move(listed));
    return channel;
}

std::size_t StoreContext::preparedStatementCount() const { return db_.preparedStatementCount(); }

void StoreContext::changed(const std::optional<std::string>& channelGuid) {
    if (channelGuid)
        changedChannels_.insert(*channelGuid);
    else
        changedEverything_ = true;
}

std::optional<std::set<std::string>> StoreContext::takeChangedChannels() {
    std::optional<std::set<std::string>> changes;
    if (!changedEverything_) changes = std::move(changedChannels_);
    changedChannels_.clear();
    changedEverything_ = false;
    return changes;
}

ErrorPtr StoreContext::saveChannel(const MVChannel& channel) {
    changed(channel.guid());
    ErrorPtr error;
    const auto& attributes = MVChannel::attributes();
    auto* statement = db_.prepare(upsert("Channel", attributes, "channelID", {}), &error);
    if (!statement) return error;
    channel.bindAttributeValues(*statement, 1);
    return statement->run();
}

ErrorPtr StoreContext::saveItem(const MVItem& item, const std::optional<std::string>& channelID) {
    // A channel's identifier is its guid; a detached item is listed nowhere.
    if (channelID) changed(channelID);
    ErrorPtr error;
    std::optional<long long> position;
    if (channelID) {
        // The channel's next free place, read once and then counted on: an import appends item after item.
        // Places only order a channel's items, so one left unused (a rolled-back save) does no harm.
        auto next = nextPlace_.find(*channelID);
        if (next == nextPlace_.end()) {
            auto* last = db_.prepare("SELECT COALESCE(MAX(position), -1) + 1 FROM Item WHERE channel = ?", &error);
            if (!last) return error;
            last->bindText(1, *channelID);
            const long long first = last->step() == SQLiteStatement::Step::Row ? last->columnInt64(0) : 0;
            last->reset();
            next = nextPlace_.emplace(*channelID, first).first;
        }
        position = next->second++;
    }
    const auto& attributes = MVItem::attributes();
    // Joining a channel appends; staying in it keeps the place; leaving it clears the place.
    static const std::string sql = upsert("Item", attributes, "itemID", {"channel", "position"}) +
                                   ", channel = excluded.channel, position = CASE WHEN Item.channel IS "
                                   "excluded.channel THEN Item.position ELSE excluded.position END";
    auto* statement = db_.prepare(sql, &error);
    if (!statement) return error;
    item.bindAttributeValues(*statement, 1);
    int index = static_cast<int>(attributes.size()) + 1;
    if (channelID)
        statement->bindText(index++, *channelID);
    else
        statement->bindNull(index++);
    if (position)
        statement->bindInt64(index, *position);
    else
        statement->bindNull(index);
    return statement->run();
}

ErrorPtr StoreContext::detachItems(const std::string& channelGuid, const std::vector<std::string>& keepGuids) {
    changed(channelGuid);
    std::string sql =
        "UPDATE Item SET channel = NULL, position = NULL WHERE channel IN (SELECT channelID FROM Channel WHERE guid = "
        "?)";
    if (!keepGuids.empty()) {
        std::vector<std::string> placeholders(keepGuids.size(), "?");
        sql += " AND (guid IS NULL OR guid NOT IN (" + join(placeholders, ", ") + "))";
    }
    ErrorPtr error;
    auto* statement = db_.prepare(sql, &error);
    if (!statement) return error;
    statement->bindText(1, channelGuid);
    for (std::size_t i = 0; i < keepGuids.size(); ++i) statement->bindText(static_cast<int>(i + 2), keepGuids[i]);
    return statement->run();
}

ErrorPtr StoreContext::deleteChannels(const std::optional<std::string>& guid,
                                      const std::optional<std::string>& userLanguage, std::optional<double> freshAt) {
    changed(guid);
    std::string where = " WHERE 1";
    std::vector<std::string> arguments;
    if (guid) {
        where += " AND guid = ?";
        arguments.push_back(*guid);
    }
    if (userLanguage) {
        where += " AND userLanguage = ?";
        arguments.push_back(*userLanguage);
    }
    if (freshAt) {
        where += " AND ttlExpiration > CAST(? AS REAL)";
        arguments.push_back(std::to_string(*freshAt));
    }
    for (const std::string& sql :
         {"UPDATE Item SET channel = NULL, position = NULL WHERE channel IN (SELECT channelID FROM Channel" + where +
              ")",
          "DELETE FROM Channel" + where}) {
        ErrorPtr error;
        auto* statement = db_.prepare(sql, &error);
        if (!statement) return error;
        for (std::size_t i = 0; i < arguments.size(); ++i) statement->bindText(static_cast<int>(i + 1), arguments[i]);
        if (auto failed = statement->run()) return failed;
    }
    return nullptr;
}

ErrorPtr StoreContext::deleteAll() {
    changed(std::nullopt);
    if (auto error = db_.exec("DELETE FROM Item")) return error;
    return db_.exec("DELETE FROM Channel");
}

}  // namespace movra
