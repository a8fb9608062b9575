#include "Sections/Home/HorizontalScrollingShelfTableViewCell.h"

#include "API/MVHTTPClient.h"
#include "Foundation/Log.h"
#include "Foundation/Strings.h"
#include "Model/MVDataManager.h"
#include "Model/MVItem.h"

namespace movra {

namespace {
constexpr double kThumbnailRowHeight = 150;
constexpr double kPosterRowHeight = 260;
}  // namespace

double HorizontalScrollingShelfTableViewCell::heightForShelfItem(const MVItem& shelfItem) {
    return containsStringCaseInsensitive(shelfItem.keywords().value_or(""), "poster") ? kPosterRowHeight
                                                                                      : kThumbnailRowHeight;
}

HorizontalScrollingShelfTableViewCell::HorizontalScrollingShelfTableViewCell(std::function<void()> changed)
    : changed_(std::move(changed)) {}

HorizontalScrollingShelfTableViewCell::~HorizontalScrollingShelfTableViewCell() {
    if (download_) download_->cancel();
}

const std::vector<std::shared_ptr<MVItem>>& HorizontalScrollingShelfTableViewCell::items() const {
    static const std::vector<std::shared_ptr<MVItem>> none;
    return results_ ? results_->fetchedObjects() : none;
}

void HorizontalScrollingShelfTableViewCell::setShelfItem(std::shared_ptr<MVItem> item) {
    shelfItem_ = std::move(item);
    if (!shelfItem_) return;
    const std::string guid = shelfItem_->navigationalGUID().value_or("");
    const bool recentlyWatched = shelfItem_->isRecentlyWatched();
    results_ = std::make_shared<FetchedResultsController>([guid, recentlyWatched] {
        auto query = MVDataManager::channelItemsQuery(guid);
        if (recentlyWatched) query.filter = MVItem::filterPredicate();
        return query;
    });
    results_->setDelegate(weak_from_this());
    if (auto error = results_->performFetch()) Log::error("Shelf query failed: {}", error->summary());
    downloadItems();
}

void HorizontalScrollingShelfTableViewCell::downloadItems() {
    auto client = MVHTTPClient::sharedClient();
    if (!client || !shelfItem_) return;
    if (download_) download_->cancel();
    state_ = MVLoadingState::Loading;
    std::weak_ptr<HorizontalScrollingShelfTableViewCell> weak = weak_from_this();
    download_ = client->browseToPath(shelfItem_->link(), std::nullopt, MVDataManager::kShelfPageSize, std::nullopt,
                                     /*ascending=*/false, /*ignoreCache=*/false, /*clearExistingItems=*/true,
                                     [weak](ErrorPtr error, std::shared_ptr<MVChannel>, XMLDocumentPtr) {
                                         auto self = weak.lock();
                                         if (!self) return;
                                         self->download_.reset();
                                         if (error && error->code == kURLErrorCancelled) return;
                                         self->error_ = error;
                                         self->state_ = error ? MVLoadingState::Failed : MVLoadingState::Loaded;
                                         if (self->results_) self->results_->performFetch();
                                         if (self->changed_) self->changed_();
                                     });
}

void HorizontalScrollingShelfTableViewCell::controllerDidChangeContent(FetchedResultsController&) {
    if (changed_) changed_();
}

}  // namespace movra
