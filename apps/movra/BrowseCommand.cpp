#include "movra/BrowseCommand.h"

#include "API/MVHTTPClient.h"
#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVItem.h"
#include "Model/ProfileManager.h"
#include "Root/MVBrowsingViewController.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"
#include "movra/RootMenu.h"

namespace movra::cli {

int BrowseCommand::run(const GlobalOptions& options) const {
    ClientSession session(options);
    if (auto failed = session.startWithStore()) return *failed;
    const std::optional<std::string> sort = sortKey.empty() ? std::nullopt : std::optional(sortKey);
    std::shared_ptr<MVChannel> channel;
    auto fetchPage = [&](unsigned long offset) -> ErrorPtr {
        bool done = false;
        ErrorPtr failure;
        XMLDocumentPtr document;
        session.client()->browseToPath(path, offset, MVBrowsingViewController::kDefaultMaxResultsPerPage, sort,
                                       !descending, /*ignoreCache=*/offset > 0,
                                       /*clearExistingItems=*/offset == 0,
                                       [&](ErrorPtr error, std::shared_ptr<MVChannel> page, XMLDocumentPtr answer) {
                                           failure = error;
                                           if (page) channel = page;
                                           document = answer;
                                           done = true;
                                       });
        if (!session.wait([&] { return done; })) return makeError(kURLErrorDomain, kURLErrorTimedOut);
        if (!failure && !channel) {
            auto stravo = MVHTTPClient::parseStravoErrorFromDocument(document);
            return stravo ? stravo
                          : makeError(kMovraErrorDomain, kErrorUnexpectedAnswer, "The answer is no catalogue page");
        }
        return failure;
    };
    if (auto error = fetchPage(0)) {
        printFailure(options, "Browsing " + path + " failed: " + error->summary(), error);
        return 1;
    }
    // Further pages while the back end holds more than the channel lists, as a list screen pages.
    while (allPages && channel &&
           channel->items().size() < static_cast<std::size_t>(std::max(0, channel->totalResults().value_or(0)))) {
        const auto held = channel->items().size();
        if (auto error = fetchPage(held)) {
            printFailure(options,
                         "Browsing " + path + " failed at offset " + std::to_string(held) + ": " + error->summary(),
                         error);
            return 1;
        }
        if (channel->items().size() == held) break;  // a page that adds nothing would page for ever
    }
    StoreContext::ItemQuery query;
    query.channelGuid = channel->guid();
    // The active profile's filter needs the kids section's label, which the menu holds.
    if (ProfileManager::activeProfile() != ProfileTypeNone) loadRootMenuEntries(ClientSession::kAnswerTimeoutSeconds);
    query.filter = MVItem::listFilterPredicate();
    auto items = MVCoreDataService::registered()->mainContext()->fetchItems(query);
    printResult(options, channelObject(*channel, items), channelText(*channel, items));
    return 0;
}

}  // namespace movra::cli
