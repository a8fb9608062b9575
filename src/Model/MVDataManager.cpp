#include "Model/MVDataManager.h"

#include "API/MVHTTPClient.h"
#include "Foundation/Localization.h"
#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Platform/Platform.h"

namespace movra {

void MVDataManager::loadRootMenuItemsWithCompletion(RootMenuCompletion completion) {
    if (auto store = MVCoreDataService::registered()) {
        if (auto stored = store->fetchRootMenuChannel(); stored && !stored->items().empty()) {
            if (completion) completion(nullptr, stored);
            return;
        }
    }
    auto client = MVHTTPClient::sharedClient();
    if (!client) {
        Platform::current().mainQueue().post([completion] {
            if (completion)
                completion(makeError(kURLErrorDomain, kURLErrorBadURL, MVLocalizedString("unsupported URL")), nullptr);
        });
        return;
    }
    client->browseToPath(std::nullopt, /*ignoreCache=*/true, /*clearExistingItems=*/true,
                         [completion](ErrorPtr error, std::shared_ptr<MVChannel> channel, XMLDocumentPtr) {
                             if (!completion) return;
                             if (!error && channel && !channel->items().empty())
                                 completion(nullptr, channel);
                             else
                                 completion(error, nullptr);
                         });
}

}  // namespace movra
