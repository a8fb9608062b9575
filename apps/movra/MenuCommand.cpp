#include "movra/MenuCommand.h"

#include "Model/MVChannel.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"
#include "movra/RootMenu.h"

namespace movra::cli {

int MenuCommand::run(const GlobalOptions& options) const {
    ClientSession session(options);
    if (auto failed = session.startWithStore()) return *failed;
    auto [menu, failure] = loadRootMenu(ClientSession::kAnswerTimeoutSeconds);
    if (!menu) {
        printFailure(options, "The menu could not be loaded" + (failure ? ": " + failure->summary() : std::string()),
                     failure);
        return 1;
    }
    printResult(options, channelObject(*menu, menu->items()), channelText(*menu, menu->items()));
    return 0;
}

}  // namespace movra::cli
