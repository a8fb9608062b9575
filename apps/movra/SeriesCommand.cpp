#include "movra/SeriesCommand.h"

#include "Model/MVItem.h"
#include "Model/TitleProgress.h"
#include "Root/MVNavigationController.h"
#include "Sections/Series/MVSeriesSeasonViewController.h"
#include "Sections/Series/MVSeriesViewController.h"
#include "Sections/Series/ScrollingSeasonsViewController.h"
#include "movra/CatalogueTarget.h"
#include "movra/Output.h"
#include "movra/RootMenu.h"
#include "movra/ScreenReport.h"

namespace movra::cli {

namespace {

/// Shows `screen` as the top of a stack of its own and waits for its first load.
bool show(const std::shared_ptr<MVBrowsingViewController>& screen,
          std::shared_ptr<MVNavigationController>& navigation) {
    navigation = std::make_shared<MVNavigationController>();
    navigation->setRootViewController(screen);
    screen->viewWillAppear(false);
    screen->viewDidAppear(false);
    return waitForScreen(screen, /*allPages=*/true);
}

}  // namespace

int SeriesCommand::run(const GlobalOptions& options) const {
    ClientSession session(options);
    if (auto failed = session.startWithStore()) return *failed;
    loadRootMenuEntries(ClientSession::kAnswerTimeoutSeconds);
    auto item = findCatalogueItemOrSay(session, target);
    if (!item) return 1;
    auto series =
        std::dynamic_pointer_cast<MVSeriesViewController>(MVRootViewController::viewControllerForCatalogItem(item));
    if (!series) {
        printFailure(options, target + " is not a series or a season");
        return 1;
    }
    std::shared_ptr<MVNavigationController> seriesStack, seasonStack;
    if (!show(series, seriesStack)) {
        printFailure(options, "The series did not load in time");
        return 1;
    }
    const auto& tabs = series->currentContentViewController();
    const std::size_t count = series->numberOfTabs();
    if (!tabs || count == 0) {
        const bool failed = series->loadingState() == MVLoadingState::Failed;
        printFailure(options, failed ? "The series could not be loaded" : "The series has no seasons");
        return 1;
    }
    if (season > 0) {
        if (static_cast<std::size_t>(season) > count) {
            printFailure(options, "The series has " + std::to_string(count) + " seasons");
            return 2;
        }
        tabs->setCurrentPage(static_cast<std::size_t>(season - 1));
    }
    auto shown = std::dynamic_pointer_cast<MVSeriesSeasonViewController>(tabs->currentViewController());
    if (!shown || !show(shown, seasonStack)) {
        printFailure(options, "The season did not load in time");
        return 1;
    }

    Json tabList = Json::array();
    // A season names its series.
    const std::string seriesName =
        item->isSeasonItem() && item->series() ? *item->series() : item->title().value_or(target);
    std::string text = "Series \"" + seriesName + "\": " + std::to_string(count) + " seasons\nTabs:";
    for (std::size_t i = 0; i < count; ++i) {
        const auto title = series->titleForTabAtIndex(i);
        tabList.push_back({{"title", title}, {"current", i == tabs->currentPage()}});
        text += (i ? " | " : " ") + (i == tabs->currentPage() ? "[" + title + "]" : title);
    }
    Json episodes = Json::array();
    const auto listed = shown->items();
    text += "\n" + shown->seasonTitle().value_or("") + " (" + loadingStateName(shown->loadingState()) + ", " +
            std::to_string(listed.size()) + " episodes)\n";
    if (listed.empty() && shown->loadingState() != MVLoadingState::Failed) text += "  " + shown->noDataText() + "\n";
    for (std::size_t i = 0; i < listed.size(); ++i) {
        const auto& episode = *listed[i];
        Json entry = {{"guid", episode.guid().value_or("")}, {"title", episode.title().value_or("")}};
        text += "  " + std::to_string(i + 1) + ". " + episode.title().value_or("(untitled)");
        if (auto progress = TitleProgress::forItem(episode); progress && !progress->drawsNothing()) {
            entry["progress"] = progress->fraction();
            text += " " + std::to_string(static_cast<int>(progress->fraction() * 100)) + "%";
        }
        text += " [" + episode.guid().value_or("?") + "]\n";
        episodes.push_back(std::move(entry));
    }
    Json json = Json::object();
    json["series"] = seriesName;
    json["tabs"] = std::move(tabList);
    json["season"] = shown->seasonTitle().value_or("");
    json["state"] = loadingStateName(shown->loadingState());
    json["episodes"] = std::move(episodes);
    printResult(options, json, text);
    return 0;
}

}  // namespace movra::cli
