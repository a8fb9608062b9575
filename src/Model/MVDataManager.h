// MVDataManager: the catalogue's root menu, served from the store while it is fresh for the current
// language and fetched otherwise.
//
// Thread contract: main queue; completions run on the main queue.
#pragma once

#include <functional>
#include <memory>

#include "Foundation/Error.h"

namespace movra {

class MVChannel;

class MVDataManager {
public:
    /// (error, the root menu channel with at least one item, or nullptr).
    using RootMenuCompletion = std::function<void(ErrorPtr error, std::shared_ptr<MVChannel> rootMenu)>;

    /// Answers at once from a fresh stored root menu; otherwise fetches and imports it first.
    static void loadRootMenuItemsWithCompletion(RootMenuCompletion completion);
};

}  // namespace movra
