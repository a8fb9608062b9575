#include "movra/ContinueCommand.h"

#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVDataManager.h"
#include "Model/MVItem.h"
#include "Model/TitleProgress.h"
#include "Sections/Home/ContinueWatchingDataSource.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"
#include "movra/RootMenu.h"

#include <cstdio>

namespace movra::cli {

namespace {

std::string hoursMinutesSeconds(double seconds) {
    const long long whole = static_cast<long long>(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

}  // namespace

int ContinueCommand::run(const GlobalOptions& options) const {
    ClientSession session(options);
    if (auto failed = session.startWithStore(/*requireSignIn=*/true)) return *failed;
    auto channel = refreshSubscriberShelf(session, SubscriberShelf::ContinueWatching);
    if (!channel) return 1;
    ContinueWatchingDataSource shelf;
    shelf.setItems(MVCoreDataService::registered()->mainContext()->fetchItems(
        MVDataManager::channelItemsQuery(channel->guid().value_or(""))));

    Json list = Json::array();
    std::string text = "Continue watching: " + std::to_string(shelf.numberOfItems()) + " titles\n";
    for (std::size_t i = 0; i < shelf.numberOfItems(); ++i) {
        const auto& item = *shelf.itemAtIndex(i);
        Json entry = {{"guid", item.guid().value_or("")}, {"title", item.title().value_or("")}};
        text += "  " + item.title().value_or("(untitled)") + " [" + item.guid().value_or("?") + "]";
        if (auto progress = TitleProgress::forItem(item); progress && !progress->drawsNothing()) {
            entry["position"] = progress->position();
            entry["duration"] = progress->duration();
            entry["progress"] = progress->fraction();
            text += " " + hoursMinutesSeconds(progress->position()) + " of " +
                    hoursMinutesSeconds(progress->duration()) + " (" +
                    std::to_string(static_cast<int>(progress->fraction() * 100)) + "%)";
            if (item.isAlmostCompleted()) text += ", almost done";
        }
        list.push_back(std::move(entry));
        text += "\n";
    }
    printResult(options, {{"channel", channel->guid().value_or("")}, {"items", list}}, text);
    return 0;
}

}  // namespace movra::cli
