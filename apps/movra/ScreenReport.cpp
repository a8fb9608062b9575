#include "movra/ScreenReport.h"

#include "Model/MVItem.h"
#include "Model/TitleProgress.h"
#include "Platform/Platform.h"
#include "Root/MVBrowsingViewController.h"
#include "Root/MVEpisodeViewController.h"
#include "Sections/Home/HorizontalScrollingShelfTableViewCell.h"
#include "Sections/Home/LandingPageViewController.h"
#include "movra/SignalWatch.h"

#include <algorithm>

namespace movra::cli {

namespace {

using Shelves = HorizontalScrollingShelvesTableViewController;
using Items = std::vector<std::shared_ptr<MVItem>>;

bool settled(MVLoadingState state) {
    return state != MVLoadingState::None && state != MVLoadingState::Loading && state != MVLoadingState::Refreshing;
}

std::string name(const MVItem& item) { return item.title().value_or(item.guid().value_or("(untitled)")); }

/// The screen's title, else the title of the item it was opened from.
std::string titleOf(const MVBrowsingViewController& list) {
    if (list.title()) return *list.title();
    return list.navigationParentItem() ? name(*list.navigationParentItem()) : "";
}

/// "Title 35%" for a title with progress, else the title.
std::string withProgress(const MVItem& item) {
    auto progress = TitleProgress::forItem(item);
    if (!progress || progress->drawsNothing()) return name(item);
    return name(item) + " " + std::to_string(static_cast<int>(progress->fraction() * 100)) + "%";
}

Json itemsObject(const Items& items, std::size_t limit = SIZE_MAX) {
    Json list = Json::array();
    for (std::size_t i = 0; i < items.size() && i < limit; ++i) {
        Json entry = {{"guid", items[i]->guid().value_or("")}, {"title", items[i]->title().value_or("")}};
        if (auto progress = TitleProgress::forItem(*items[i]); progress && !progress->drawsNothing())
            entry["progress"] = progress->fraction();
        list.push_back(std::move(entry));
    }
    return list;
}

std::string itemsLine(const Items& items, std::size_t limit, bool progress = false) {
    std::string line;
    for (std::size_t i = 0; i < items.size() && i < limit; ++i)
        line += (i ? " · " : "") + (progress ? withProgress(*items[i]) : name(*items[i]));
    if (items.size() > limit) line += " …";
    return line.empty() ? "(empty)" : line;
}

/// The titles and state of one entry of a shelf section.
struct ShelfView {
    std::string title;
    MVLoadingState state;
    Items items;
    ErrorPtr error;
    bool progress = false;
};

std::vector<ShelfView> shelfViews(Shelves& screen, const Shelves::ShelfSection& section) {
    std::vector<ShelfView> views;
    auto* landing = dynamic_cast<LandingPageViewController*>(&screen);
    for (const auto& item : section.items) {
        if (section.kind == Shelves::SectionKind::Carousel) continue;
        if (landing && section.kind == Shelves::SectionKind::Watchlist)
            views.push_back({name(*item), landing->watchlistState(), landing->watchlistItems(), nullptr});
        else if (landing && section.kind == Shelves::SectionKind::ContinueWatching)
            views.push_back(
                {name(*item), landing->continueWatchingState(), landing->continueWatchingItems(), nullptr, true});
        else if (auto row = screen.rowForShelfItem(item))
            views.push_back({name(*item), row->loadingState(), row->items(), row->error()});
    }
    return views;
}

/// The landing page's personal shelves that have no section: failed, empty, or not for this profile.
std::vector<std::pair<std::string, std::string>> missingPersonalShelves(Shelves& screen) {
    auto* landing = dynamic_cast<LandingPageViewController*>(&screen);
    if (!landing) return {};
    auto shown = [&](Shelves::SectionKind kind) {
        const auto& sections = screen.sections();
        return std::any_of(sections.begin(), sections.end(),
                           [kind](const auto& section) { return section.kind == kind && !section.items.empty(); });
    };
    auto why = [](MVLoadingState state, bool empty) {
        return state == MVLoadingState::Failed ? "Failed" : empty ? "empty" : "not in this profile";
    };
    std::vector<std::pair<std::string, std::string>> missing;
    if (landing->continueWatchingItem() && !shown(Shelves::SectionKind::ContinueWatching))
        missing.emplace_back("Continue watching",
                             why(landing->continueWatchingState(), landing->continueWatchingEmpty()));
    if (landing->watchlistItem() && !shown(Shelves::SectionKind::Watchlist))
        missing.emplace_back("Watchlist", why(landing->watchlistState(), landing->watchlistEmpty()));
    return missing;
}

}  // namespace

bool waitForScreen(const ViewControllerPtr& screen, bool allPages, double timeoutSeconds) {
    auto list = std::dynamic_pointer_cast<MVBrowsingViewController>(screen);
    if (!list) return true;
    auto shelves = std::dynamic_pointer_cast<Shelves>(screen);
    auto landing = std::dynamic_pointer_cast<LandingPageViewController>(screen);
    return SignalWatch::runUntil(
        Platform::current().mainQueue(),
        [&] {
            if (!list->initialCallComplete() || !settled(list->loadingState())) return false;
            if (allPages && (list->currentOperation() || list->isShowingPagingView())) return false;
            if (landing && (landing->watchlistState() == MVLoadingState::Loading ||
                            landing->continueWatchingState() == MVLoadingState::Loading))
                return false;
            if (!shelves) return true;
            auto rows = shelves->shelfRows();
            return std::none_of(rows.begin(), rows.end(),
                                [](const auto& row) { return row->loadingState() == MVLoadingState::Loading; });
        },
        timeoutSeconds);
}

Json screenObject(const ViewControllerPtr& screen) {
    Json json = {{"screen", screen->className()}};
    if (auto title = std::dynamic_pointer_cast<MVEpisodeViewController>(screen); title && title->assetItem()) {
        const auto& item = *title->assetItem();
        json["guid"] = item.guid().value_or("");
        json["title"] = item.title().value_or("");
        json["description"] = item.itemDescription().value_or("");
        json["inWatchlist"] = title->isInWatchlist();
        return json;
    }
    auto list = std::dynamic_pointer_cast<MVBrowsingViewController>(screen);
    if (!list) {
        json["describe"] = screen->describe();
        return json;
    }
    json["title"] = titleOf(*list);
    json["state"] = loadingStateName(list->loadingState());
    if (list->failureMessage()) json["failureMessage"] = *list->failureMessage();
    if (auto shelves = std::dynamic_pointer_cast<Shelves>(screen)) {
        Json sections = Json::array();
        for (const auto& section : shelves->sections()) {
            Json entry = {{"kind", Shelves::sectionKindName(section.kind)}};
            if (section.kind == Shelves::SectionKind::Carousel) {
                entry["items"] = itemsObject(section.items);
            } else {
                Json rows = Json::array();
                for (const auto& view : shelfViews(*shelves, section)) {
                    Json row = {{"title", view.title},
                                {"state", loadingStateName(view.state)},
                                {"count", view.items.size()},
                                {"items", itemsObject(view.items, kTitlesPerShelf)}};
                    if (view.error) row["error"] = view.error->summary();
                    rows.push_back(std::move(row));
                }
                entry["shelves"] = std::move(rows);
            }
            sections.push_back(std::move(entry));
        }
        json["sections"] = std::move(sections);
        for (const auto& [shelf, why] : missingPersonalShelves(*shelves)) json["hidden"][shelf] = why;
        return json;
    }
    json["total"] = list->totalResults();
    if (list->isShowingNoDataMessage()) json["message"] = list->noDataText();
    json["items"] = itemsObject(list->items());
    return json;
}

std::string screenText(const ViewControllerPtr& screen) {
    if (auto title = std::dynamic_pointer_cast<MVEpisodeViewController>(screen); title && title->assetItem()) {
        const auto& item = *title->assetItem();
        std::string text = "Title page \"" + name(item) + "\" [" + item.guid().value_or("?") + "]\n";
        if (item.itemDescription()) text += "  " + *item.itemDescription() + "\n";
        if (auto progress = TitleProgress::forItem(item); progress && !progress->drawsNothing())
            text += "  Watched " + std::to_string(static_cast<int>(progress->fraction() * 100)) + "%\n";
        return text + "  " + (title->isInWatchlist() ? "On the watchlist" : "Not on the watchlist") + "\n";
    }
    auto list = std::dynamic_pointer_cast<MVBrowsingViewController>(screen);
    if (!list) return screen->describe() + "\n";
    std::string text =
        list->className() + " \"" + titleOf(*list) + "\" (" + loadingStateName(list->loadingState()) + ")\n";
    if (list->failureMessage()) text += "  " + *list->failureMessage() + "\n";
    if (auto shelves = std::dynamic_pointer_cast<Shelves>(screen)) {
        for (const auto& section : shelves->sections()) {
            if (section.items.empty()) continue;
            text += std::string(Shelves::sectionKindName(section.kind)) + ":";
            if (section.kind == Shelves::SectionKind::Carousel) {
                text += " " + itemsLine(section.items, SIZE_MAX) + "\n";
                continue;
            }
            text += "\n";
            for (const auto& view : shelfViews(*shelves, section)) {
                text += "  " + view.title + " (" + loadingStateName(view.state);
                if (view.state == MVLoadingState::Failed)
                    text += view.error ? ": " + view.error->summary() + ")\n" : ")\n";
                else
                    text += ", " + std::to_string(view.items.size()) +
                            " titles): " + itemsLine(view.items, kTitlesPerShelf, view.progress) + "\n";
            }
        }
        for (const auto& [shelf, why] : missingPersonalShelves(*shelves)) text += shelf + ": " + why + "\n";
        return text;
    }
    const auto items = list->items();
    text += "  " + std::to_string(items.size()) + " titles";
    if (list->totalResults() >= 0) text += " of " + std::to_string(list->totalResults());
    text += "\n";
    if (list->isShowingNoDataMessage()) text += "  " + list->noDataText() + "\n";
    for (std::size_t i = 0; i < items.size(); ++i)
        text += "  " + std::to_string(i + 1) + ". " + withProgress(*items[i]) + " [" + items[i]->guid().value_or("?") +
                "]\n";
    return text;
}

}  // namespace movra::cli
