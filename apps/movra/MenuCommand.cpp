#include "movra/MenuCommand.h"

#include "Model/MVChannel.h"
#include "Model/MVItem.h"
#include "Model/MVRootMenuEntries.h"
#include "Root/MVMenuViewController.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"
#include "movra/RootMenu.h"

namespace movra::cli {

int MenuCommand::run(const GlobalOptions& options) const {
    ClientSession session(options);
    if (auto failed = session.startWithStore()) return *failed;
    auto menu = loadRootMenuEntriesOrSay(options);
    if (!menu) return 1;
    // The side menu takes the channel as the main screens give it one, and selects its opening row.
    auto sideMenu = std::make_shared<MVMenuViewController>();
    sideMenu->loadViewIfNeeded();
    sideMenu->updateMenuWithChannel(menu);
    session.wait([&] { return sideMenu->selectedRow().has_value(); });

    Json rows = Json::array();
    std::string text = "Menu (" + std::to_string(sideMenu->numberOfRows()) + " rows):\n";
    for (std::size_t row = 0; row < sideMenu->numberOfRows(); ++row) {
        const bool selected = sideMenu->selectedRow() == row;
        const bool home = row == sideMenu->landingIndex();
        Json entry = {{"title", sideMenu->titleForRow(row)}, {"selected", selected}, {"home", home}};
        text += std::string("  ") + (selected ? "> " : "  ") + sideMenu->titleForRow(row);
        if (row < sideMenu->menuItems().size()) {
            const auto& item = *sideMenu->menuItems()[row];
            entry["guid"] = item.guid().value_or("");
            entry["link"] = item.link().value_or("");
            text += " [" + item.guid().value_or("?") + "]";
        }
        text += std::string(home ? " (home)" : "") + "\n";
        rows.push_back(std::move(entry));
    }
    // The entries the menu keeps out of its rows for the app's own use.
    Json special = Json::object();
    const auto entries = MVRootMenuEntries::shared();
    const std::pair<const char*, std::shared_ptr<MVItem>> kept[] = {{"search", entries->searchItem()},
                                                                    {"watchlist", entries->watchlistItem()},
                                                                    {"recentlyWatched", entries->recentlyWatched()},
                                                                    {"lockable", entries->lockableItem()}};
    for (const auto& [role, item] : kept) {
        if (!item) continue;
        special[role] = item->guid().value_or("");
        text +=
            std::string("  ") + role + ": " + item->title().value_or("") + " [" + item->guid().value_or("?") + "]\n";
    }
    printResult(options, {{"rows", rows}, {"entries", special}}, text);
    return 0;
}

}  // namespace movra::cli
