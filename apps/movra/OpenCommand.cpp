#include "movra/OpenCommand.h"

#include "Model/MVChannel.h"
#include "Model/MVItem.h"
#include "Platform/AlertController.h"
#include "Root/MVEpisodeViewController.h"
#include "Root/MVNavigationController.h"
#include "movra/CatalogueTarget.h"
#include "movra/Output.h"
#include "movra/PlaybackRun.h"
#include "movra/RootMenu.h"
#include "movra/ScreenReport.h"

#include <algorithm>

namespace movra::cli {

namespace {

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
    auto menu = loadRootMenuEntriesOrSay(options);
    if (!menu) return 1;
    auto item = findCatalogueItemOrSay(session, target);
    if (!item) return 1;
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
    if (!waitForScreen(screen, allPages)) {
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
