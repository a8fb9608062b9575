#include "Model/FetchedResultsController.h"

#include "Model/MVCoreDataService.h"
#include "Model/MVItem.h"
#include "Platform/Platform.h"

namespace movra {

FetchedResultsController::FetchedResultsController(QueryBuilder query, std::optional<std::string> sectionNameKeyPath)
    : query_(std::move(query)), sectionNameKeyPath_(std::move(sectionNameKeyPath)) {}

ErrorPtr FetchedResultsController::performFetch() {
    if (!observing_) {
        observing_ = true;
        auto& center = Platform::current().notificationCenter();
        std::weak_ptr<FetchedResultsController> weak = weak_from_this();
        saveObserver_ = ScopedObserver(
            center, center.addObserver(MVCoreDataService::StoreDidSaveNotification, [weak](const Notification&) {
                if (auto self = weak.lock()) self->storeDidSave();
            }));
    }
    ErrorPtr error;
    refetch(&error);
    return error;
}

void FetchedResultsController::storeDidSave() {
    if (refreshPending_) return;
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
    std::vector<Json> snapshot;
    snapshot.reserve(objects.size());
    for (const auto& item : objects) snapshot.push_back(item->attributeValues());
    if (snapshot == snapshot_) return false;

    objects_ = std::move(objects);
    snapshot_ = std::move(snapshot);
    sections_.clear();
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        std::string name;
        if (sectionNameKeyPath_) {
            const auto& value = snapshot_[i][*sectionNameKeyPath_];
            name = value.is_string() ? value.get<std::string>() : value.is_null() ? "" : value.dump();
        }
        if (sections_.empty() || sections_.back().name != name) sections_.push_back({name, {}});
        sections_.back().objects.push_back(objects_[i]);
    }
    return true;
}

}  // namespace movra
