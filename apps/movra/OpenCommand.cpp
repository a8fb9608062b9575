#include "movra/OpenCommand.h"

#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVItem.h"
#include "Model/MVItemType.h"
#include "Platform/AlertController.h"
#include "Root/MVBrowsingViewController.h"
#include "Root/MVEpisodeViewController.h"
#include "Root/MVNavigationController.h"
#include "movra/Output.h"
#include "movra/PlaybackRun.h"
#include "movra/RootMenu.h"
#include "movra/ScreenReport.h"

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
    return folder;
}

/// The title page's play action; the exit status of the playback, or of the alert that refused it.
int playTitle(const GlobalOptions& options, MVEpisodeViewController& title, MVNavigationController& navigation) {
    title.onPlayButton();
    if (auto alert = std::dynamic_pointer_cast<AlertController>(title.presentedViewController())) {
        printFailure(options, alert->title() + ": " + alert->message());
        return 1;
    }
    // The player screen the action presented is driven from the terminal from here.
    navigation.dismissViewController(/*animated=*/false);
    PlaybackRun run;
    run.json = options.json;
    return run.run(title.assetItem());
}

}  // namespace

int OpenCommand::run(const GlobalOptions& options) const {
    ClientSession session(options);
    if (auto failed = session.startWithStore()) return *failed;
    auto [menu, menuFailure] = loadRootMenuEntries(ClientSession::kAnswerTimeoutSeconds);
    if (!menu) {
        printFailure(options,
                     "The menu could not be loaded" + (menuFailure ? ": " + menuFailure->summary() : std::string()),
                     menuFailure);
        return 1;
    }
    ErrorPtr failure;
    auto item = storedItem(target);
    if (!item) item = fetchedItem(session, target, failure);
    if (!item) {
        printFailure(options, "Nothing is known as " + target + (failure ? ": " + failure->summary() : std::string()),
                     failure);
        return 1;
    }
    // The menu's own entries open as a tap on their row does.
    const bool topLevel = std::any_of(menu->items().begin(), menu->items().end(),
                                      [&](const auto& entry) { return entry->guid() == item->guid(); });
    auto screen = MVRootViewController::viewControllerForCatalogItem(item, topLevel);
    if (!screen) {
        printFailure(options, "No screen shows " + target + ": the item is of no known type");
        return 1;
    }
    auto navigation = std::make_shared<MVNavigationController>();
    navigation->setRootViewController(screen);
    screen->viewWillAppear(false);
    screen->viewDidAppear(false);
    if (!waitForScreen(session, screen, allPages)) {
        printFailure(options, "The screen did not load in time");
        return 1;
    }
    printResult(options, screenObject(screen), screenText(screen));
    if (!play) return 0;
    auto title = std::dynamic_pointer_cast<MVEpisodeViewController>(screen);
    if (!title) {
        printFailure(options, "Only a title plays: " + target + " opens " + screen->className());
        return 2;
    }
    return playTitle(options, *title, *navigation);
}

}  // namespace movra::cli
