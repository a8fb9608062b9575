#include "movra/RootMenu.h"

#include "Model/MVChannel.h"
#include "Model/MVDataManager.h"
#include "Platform/Platform.h"

namespace movra::cli {

RootMenu loadRootMenu(double timeoutSeconds) {
    bool done = false;
    RootMenu result;
    MVDataManager::loadRootMenuItemsWithCompletion([&](ErrorPtr error, std::shared_ptr<MVChannel> channel) {
        result.error = error;
        result.menu = channel;
        done = true;
    });
    if (!Platform::current().mainQueue().runUntil([&] { return done; }, timeoutSeconds)) result.menu = nullptr;
    return result;
}

}  // namespace movra::cli
