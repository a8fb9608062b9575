// FetchedResultsController: a live query of stored items for a screen. performFetch() gives the current
// result at once; after every committed save the query runs again, once per turn of the main queue however
// many saves came in, and the delegate hears of it when the result changed. A query of one channel runs again
// only after saves that changed that channel (or that do not say which they changed).
//
// Thread contract: main queue.
#pragma once

#include "Foundation/Error.h"
#include "Foundation/NotificationCenter.h"
#include "Model/StoreContext.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace movra {

class FetchedResultsController;
class MVItem;

class FetchedResultsControllerDelegate {
  public:
    virtual ~FetchedResultsControllerDelegate() = default;
    /// The result changed; fetchedObjects() and sections() hold the new one.
    virtual void controllerDidChangeContent(FetchedResultsController& /*controller*/) {}
};

class FetchedResultsController : public std::enable_shared_from_this<FetchedResultsController> {
  public:
    /// Builds the query at each run, so that "fresh now" means now.
    using QueryBuilder = std::function<StoreContext::ItemQuery()>;
    struct Section {
        std::string name;
        std::vector<std::shared_ptr<MVItem>> objects;
    };

    /// `sectionNameKeyPath` names the attribute whose value groups consecutive items into sections.
    FetchedResultsController(QueryBuilder query, std::optional<std::string> sectionNameKeyPath = std::nullopt);

    void setDelegate(std::weak_ptr<FetchedResultsControllerDelegate> delegate) { delegate_ = std::move(delegate); }
    /// Runs the query now and starts following the store's saves.
    ErrorPtr performFetch();
    /// Runs the query now, for a caller that knows the store has changed; true when the result did. The
    /// delegate is not told: the caller is.
    bool refetchNow(ErrorPtr* error = nullptr) { return refetch(error); }
    const std::vector<std::shared_ptr<MVItem>>& fetchedObjects() const { return objects_; }
    const std::vector<Section>& sections() const { return sections_; }

  private:
    void storeDidSave(const Notification& notification);
    /// Runs the query; true when the result differs from the one held.
    bool refetch(ErrorPtr* error);

    QueryBuilder query_;
    std::optional<std::string> sectionNameKeyPath_;
    std::weak_ptr<FetchedResultsControllerDelegate> delegate_;
    std::vector<std::shared_ptr<MVItem>> objects_;
    /// The attribute values of objects_, once a run has needed them.
    std::optional<std::vector<Json>> snapshot_;
    bool fetched_ = false;
    std::vector<Section> sections_;
    bool refreshPending_ = false;
    bool observing_ = false;
    ScopedObserver saveObserver_;
};

}  // namespace movra
