#include "Model/MVDataManager.h"

#include "API/MVHTTPClient.h"
#include "Foundation/Localization.h"
#include "Platform/Platform.h"

namespace movra {

void MVDataManager::loadRootMenuItemsWithCompletion(RootMenuCompletion completion) {
    auto client = MVHTTPClient::sharedClient();
    if (!client) {
        Platform::current().mainQueue().post([completion] {
            if (completion)
                completion(makeError(kURLErrorDomain, kURLErrorBadURL, MVLocalizedString("unsupported URL")), nullptr);
        });
        return;
    }
    auto answer = [completion](ErrorPtr error, XMLDocumentPtr document) {
        if (!completion) return;
        auto root = document && !error ? document->rootElement() : XMLNode();
        const bool hasChannel = root && root.firstChildElement("channel");
        completion(error, hasChannel ? document : nullptr);
    };
    client->getPath("browse", Json::object(), /*ignoreCache=*/false, client->onSuccess(answer),
                    client->onFailure(answer));
}

std::vector<std::string> MVDataManager::keywordsOfRootMenuItems(const XMLDocumentPtr& rootMenu) {
    std::vector<std::string> keywords;
    auto root = rootMenu ? rootMenu->rootElement() : XMLNode();
    auto channel = root ? root.firstChildElement("channel") : XMLNode();
    if (!channel) return keywords;
    for (const auto& item : channel.childElements()) {
        if (item.name() != "item") continue;
        auto node = item.firstChildElement("media:keywords");
        keywords.push_back(node ? node.stringValue() : std::string());
    }
    return keywords;
}

}  // namespace movra
