#include "movra/HomeCommand.h"

#include "Foundation/Strings.h"
#include "Model/MVChannel.h"
#include "Model/MVItem.h"
#include "Root/MVNavigationController.h"
#include "Root/MVRootViewController.h"
#include "movra/Output.h"
#include "movra/RootMenu.h"
#include "movra/ScreenReport.h"

namespace movra::cli {

int HomeCommand::run(const GlobalOptions& options) const {
    ClientSession session(options);
    if (auto failed = session.startWithStore()) return *failed;
    auto menu = loadRootMenuEntriesOrSay(options);
    if (!menu) return 1;
    // The menu's home row: its first "landing" entry, else its first.
    std::shared_ptr<MVItem> home = menu->items().front();
    for (const auto& entry : menu->items())
        if (containsStringCaseInsensitive(entry->keywords().value_or(""), "landing")) {
            home = entry;
            break;
        }
    auto screen = MVRootViewController::viewControllerForCatalogItem(home, /*atTopLevel=*/true);
    if (!screen) {
        printFailure(options, "No screen shows the menu's home entry");
        return 1;
    }
    if (auto root = std::dynamic_pointer_cast<MVRootViewController>(screen))
        root->setNavigationSource(home->analyticsLabel());
    auto navigation = std::make_shared<MVNavigationController>();
    navigation->setRootViewController(screen);
    screen->viewWillAppear(false);
    screen->viewDidAppear(false);
    if (!waitForScreen(screen, /*allPages=*/false)) {
        printFailure(options, "The landing page did not load in time");
        return 1;
    }
    printResult(options, screenObject(screen), screenText(screen));
    return 0;
}

}  // namespace movra::cli
