#include "movra/MenuCommand.h"

#include "Model/MVChannel.h"
#include "Model/MVDataManager.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"

namespace movra::cli {

int MenuCommand::run(const GlobalOptions& options) const {
    ClientSession session(options);
    if (auto failed = session.startWithStore()) return *failed;
    bool done = false;
    ErrorPtr failure;
    std::shared_ptr<MVChannel> menu;
    MVDataManager::loadRootMenuItemsWithCompletion([&](ErrorPtr error, std::shared_ptr<MVChannel> channel) {
        failure = error;
        menu = channel;
        done = true;
    });
    if (!session.wait([&] { return done; }) || !menu) {
        printFailure(options, "The menu could not be loaded" + (failure ? ": " + failure->summary() : std::string()),
                     failure);
        return 1;
    }
    printResult(options, channelObject(*menu, menu->items()), channelText(*menu, menu->items()));
    return 0;
}

}  // namespace movra::cli
