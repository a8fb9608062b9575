#include "Model/FetchedResultsController.h"

#include "Model/MVCoreDataService.h"
#include "Model/MVItem.h"
#include "Platform/Platform.h"

#include <algorithm>

namespace movra {

FetchedResultsController::FetchedResultsController(QueryBuilder query, std::optional<std::string> sectionNameKeyPath)
    : query_(std::move(query)), sectionNameKeyPath_(std::move(sectionNameKeyPath)) {}

ErrorPtr FetchedResultsController::performFetch() {
    if (!observing_) {
        observing_ = true;
        auto& center = Platform::current().notificationCenter();
        std::weak_ptr<FetchedResultsController> weak = weak_from_this();
        saveObserver_ = ScopedObserver(center, center.addObserver(MVCoreDataService::StoreDidSaveNotification,
                                                                  [weak](const Notification& notification) {
                                                                      if (auto self = weak.lock())
                                                                          self->storeDidSave(notification);
                                                                  }));
    }
    ErrorPtr error;
    refetch(&error);
    return error;
}

void FetchedResultsController::storeDidSave(const Notification& notification) {
    if (refreshPending_) return;
    // A save that names the channels it changed leaves a query of another channel as it was.
    if (auto changed = notification.userInfo.find(MVCoreDataService::kChangedChannelsKey);
        changed != notification.userInfo.end() && changed->is_array()) {
        const auto guid = query_().channelGuid;
        if (guid && std::find(changed->begin(), changed->end(), Json(*guid)) == changed->end()) return;
    }
    refreshPending_ = true;
    // Saves that land in the same turn of the loop make one update.
    std::weak_ptr<FetchedResultsController> weak = weak_from_this();
    Platform::current().mainQueue().post([weak] {
        auto self = weak.lock();
        if (!self) return;
        self->refreshPending_ = false;
        ErrorPtr error;
        if (self->refetch(&error))
            if (auto delegate = self->delegate_.lock()) delegate->controllerDidChangeContent(*self);
    });
}

bool FetchedResultsController::refetch(ErrorPtr* error) {
    auto store = MVCoreDataService::registered();
    auto* context = store ? store->mainContext() : nullptr;
    std::vector<std::shared_ptr<MVItem>> objects;
    if (context) objects = context->fetchItems(query_(), error);
    auto snapshotOf = [](const std::vector<std::shared_ptr<MVItem>>& items) {
        std::vector<Json> values;
        values.reserve(items.size());
        for (const auto& item : items) values.push_back(item->attributeValues());
        return values;
    };
    // The values are compared only from the second run on: a screen that only opens never pays for them.
    std::optional<std::vector<Json>> snapshot;
    if (fetched_) {
        snapshot = snapshotOf(objects);
        if (!snapshot_) snapshot_ = snapshotOf(objects_);
        if (*snapshot == *snapshot_) return false;
    }
    fetched_ = true;
    objects_ = std::move(objects);
    snapshot_ = std::move(snapshot);
    sections_.clear();
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        std::string name;
        if (sectionNameKeyPath_) {
            const Json value = objects_[i]->attributeValue(*sectionNameKeyPath_);
            name = value.is_string() ? value.get<std::string>() : value.is_null() ? "" : value.dump();
        }
        if (sections_.empty() || sections_.back().name != name) sections_.push_back({name, {}});
        sections_.back().objects.push_back(objects_[i]);
    }
    return true;
}

}  // namespace movra
