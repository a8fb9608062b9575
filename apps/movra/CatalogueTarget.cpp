#include "movra/CatalogueTarget.h"

#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVItem.h"
#include "Model/MVItemType.h"
#include "Root/MVBrowsingViewController.h"
#include "movra/Output.h"

#include <algorithm>

namespace movra::cli {

namespace {

/// A stored item of that guid, or linking to that path.
std::shared_ptr<MVItem> storedItem(const std::string& target) {
    StoreContext::ItemQuery query;
    query.filter = StorePredicate::orPredicate(
        {StorePredicate::inList("guid", {target}), StorePredicate::inList("link", {target})});
    query.limit = 1;
    auto items = MVCoreDataService::registered()->mainContext()->fetchItems(query);
    return items.empty() ? nullptr : items.front();
}

/// What the service answers for a guid or path nothing stored knows: the title of that guid, or else the
/// folder whose feed it is.
std::shared_ptr<MVItem> fetchedItem(ClientSession& session, const std::string& target, ErrorPtr& failure) {
    const std::string path = target.find('/') == std::string::npos ? "browse/" + target : target;
    bool done = false;
    std::shared_ptr<MVChannel> channel;
    // Asked as a list asks its first page, which the list then finds stored.
    session.client()->browseToPath(path, 0, MVBrowsingViewController::kDefaultMaxResultsPerPage, std::nullopt,
                                   /*ascending=*/true, /*ignoreCache=*/true,
                                   /*clearExistingItems=*/true,
                                   [&](ErrorPtr error, std::shared_ptr<MVChannel> page, XMLDocumentPtr) {
                                       failure = error;
                                       channel = page;
                                       done = true;
                                   });
    if (!session.wait([&] { return done; }) || !channel) return nullptr;
    for (const auto& item : channel->items())
        if (item->guid() == target && !item->isFolderType()) return item;
    auto folder = std::make_shared<MVItem>();
    folder->setGuid(channel->guid());
    folder->setNavigationalGUID(channel->guid());
    folder->setTitle(channel->title());
    folder->setLink(path);
    folder->setItemType(MVItemTypeFolder);
    // A feed of seasons is a series: it opens as one.
    if (!channel->items().empty() && std::all_of(channel->items().begin(), channel->items().end(),
                                                 [](const auto& listed) { return listed->isSeasonItem(); }))
        folder->setKeywords("Series");
    return folder;
}

}  // namespace

std::shared_ptr<MVItem> findCatalogueItemOrSay(ClientSession& session, const std::string& target) {
    ErrorPtr failure;
    auto item = storedItem(target);
    if (!item) item = fetchedItem(session, target, failure);
    if (!item)
        printFailure(session.options(),
                     "Nothing is known as " + target + (failure ? ": " + failure->summary() : std::string()), failure);
    return item;
}

}  // namespace movra::cli
