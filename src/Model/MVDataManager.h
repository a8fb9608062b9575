// MVDataManager: loads the catalogue's root menu. For now the menu comes straight from the back end as
// its feed document; the catalogue store will keep it and answer from there while it is fresh.
//
// Thread contract: main queue; completions run on the main queue.
#pragma once

#include <functional>

#include "Foundation/Error.h"
#include "Utilities/XMLDocument.h"

namespace movra {

class MVDataManager {
public:
    /// (error, the root menu feed): no document and no error when the answer held no channel.
    using RootMenuCompletion = std::function<void(ErrorPtr error, XMLDocumentPtr rootMenu)>;

    static void loadRootMenuItemsWithCompletion(RootMenuCompletion completion);
    /// The keywords of the root menu's items, in menu order.
    static std::vector<std::string> keywordsOfRootMenuItems(const XMLDocumentPtr& rootMenu);
};

}  // namespace movra
