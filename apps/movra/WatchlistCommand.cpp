#include "movra/WatchlistCommand.h"

#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVDataManager.h"
#include "Model/MVItem.h"
#include "Model/ProfileManager.h"
#include "Root/WatchlistEditor.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"
#include "movra/RootMenu.h"

namespace movra::cli {

int WatchlistCommand::run(const GlobalOptions& options) const {
    ClientSession session(options);
    if (auto failed = session.startWithStore(/*requireSignIn=*/true)) return *failed;
    if (action != Action::List) {
        if (ProfileManager::activeProfile() == ProfileTypeKids) {
            printFailure(options, "The watchlist cannot be changed in the kids profile");
            return 1;
        }
        const bool add = action == Action::Add;
        bool done = false;
        ErrorPtr failure;
        WatchlistEditor::changeWatchlist(guid, add, {}, [&](ErrorPtr error) {
            failure = error;
            done = true;
        });
        if (!session.wait([&] { return done; }) || failure) {
            printFailure(
                options,
                WatchlistEditor::failureMessage(add) + (failure ? " (" + failure->summary() + ")" : std::string()),
                failure);
            return 1;
        }
        printResult(options, {{"guid", guid}, {"inWatchlist", add}},
                    (add ? "Added " : "Removed ") + guid + (add ? " to" : " from") + " the watchlist");
        return 0;
    }

    auto channel = refreshSubscriberShelf(session, SubscriberShelf::Watchlist);
    if (!channel) return 1;
    // What the watchlist screen shows: the fresh channel's items that are still flagged.
    auto query = MVDataManager::channelItemsQuery(channel->guid().value_or(""));
    query.watchlistOnly = true;
    auto items = MVCoreDataService::registered()->mainContext()->fetchItems(query);
    printResult(options, channelObject(*channel, items), channelText(*channel, items));
    return 0;
}

}  // namespace movra::cli
