// The side menu against scripted root menus: which entries become rows and which row is home, the special
// entries it hands on, kids mode opening the lockable entry, and the sign-out confirmation.
#include "App/MVAppDelegate.h"
#include "Model/MVItem.h"
#include "Model/MVRootMenuEntries.h"
#include "Model/ProfileManager.h"
#include "Root/MVRootViewController.h"
#include "Root/MainScreens.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

using test::kFilms;
using test::kKids;
using test::MainScreens;
using test::MenuEntry;

const MenuEntry kShows{"TV Shows"};
const MenuEntry kStart{"Start", "folder", "Landing, Menu"};

std::string itemTitle(const std::shared_ptr<MVItem>& item) { return item ? item->title().value_or("") : "(none)"; }

std::vector<std::string> menuActions(const MainScreens& world) {
    std::vector<std::string> actions;
    for (const auto& hit : world.env.analytics->hits)
        if (auto category = hit.find("&ec"); category != hit.end() && category->second == "Menu")
            actions.push_back(hit.at("&ea"));
    return actions;
}

TEST(MVMenuViewController, RowsAndTheHomeRow) {
    struct Case {
        const char* name;
        std::vector<MenuEntry> menu;
        const char* rows;
        std::size_t home;
    };
    const Case cases[] = {
        {"landing third", {kFilms, kShows, kStart}, "Films|TV Shows|Start|Log Out", 2},
        {"no landing", {kFilms, kShows}, "Films|TV Shows|Log Out", 0},
        // Counted once the entries that are no rows have gone, wherever they stood.
        {"special entries",
         {{"Search", "search"},
          kFilms,
          {"Continue", "folder", "recentlywatched"},
          {"Saved", "saved"},
          {"Settings", "settings"},
          {"Me", "identity"},
          kStart},
         "Films|Start|Log Out",
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainScreens world(c.menu);
        world.start();
        EXPECT_EQ(world.rows(), c.rows);
        EXPECT_EQ(world.menu()->landingIndex(), c.home);
        EXPECT_EQ(world.menu()->selectedRow(), c.home);
        EXPECT_EQ(itemTitle(world.menu()->lastSelectedItem()), world.menu()->titleForRow(c.home));
    }
}

TEST(MVMenuViewController, HandsOnTheSpecialEntriesAndAnnouncesThePersonalLists) {
    MainScreens world({{"Search", "search"},
                       {"Continue", "folder", "recentlywatched"},
                       {"My List", "folder", "watchlist", "watchlist"},
                       {"KIDS", "folder", "LOCKABLE"},
                       kKids});
    std::vector<std::string> announced;
    auto& center = world.env.platform().notificationCenter();
    auto observe = [&](const char* name, const char* key) {
        return ScopedObserver(center, center.addObserver(name, [&announced, name, key](const Notification& n) {
            auto item = n.object<std::shared_ptr<MVItem>>(key);
            announced.push_back(std::string(name) + ": " + (item ? itemTitle(*item) : "(none)"));
        }));
    };
    auto recently = observe(MVRecentlyWatchedUpdated, "Recently Watched");
    auto watchlist = observe(MVNotificationWatchlistChanged, "Watchlist");
    world.start();

    EXPECT_EQ(world.rows(), "My List|KIDS|Kids Zone|Log Out");
    auto entries = MVRootMenuEntries::shared();
    EXPECT_EQ(itemTitle(entries->searchItem()), "Search");
    EXPECT_EQ(itemTitle(entries->recentlyWatched()), "Continue");
    EXPECT_EQ(itemTitle(entries->watchlistItem()), "My List");
    EXPECT_EQ(itemTitle(entries->lockableItem()), "Kids Zone");  // "lockable" with its case
    EXPECT_EQ(announced, (std::vector<std::string>{"MVRecentlyWatchedUpdated: Continue",
                                                   "MVNotificationWatchlistChanged: My List"}));
}

TEST(MVMenuViewController, TheKidsProfileOpensTheLockableEntryWhenTheTenantAllowsIt) {
    struct Case {
        const char* name;
        ProfileType profile;
        std::vector<MenuEntry> menu;
        const char* opened;
    };
    const Case cases[] = {
        {"kids", ProfileTypeKids, {kFilms, kStart, kKids}, "Kids Zone"},
        {"kids, no kids mode", ProfileTypeKids, {kFilms, kStart}, "Start"},
        {"adult", ProfileTypeAdult, {kFilms, kStart, kKids}, "Start"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainScreens world(c.menu);
        ProfileManager::setActiveProfile(c.profile);
        world.start();
        EXPECT_EQ(itemTitle(world.menu()->lastSelectedItem()), c.opened);
        EXPECT_EQ(menuActions(world), std::vector<std::string>{"Menu_" + replaceAll(c.opened, " ", "")});
        auto navigation = std::dynamic_pointer_cast<NavigationController>(world.stack->contentViewController());
        ASSERT_TRUE(navigation);
        auto screen = std::dynamic_pointer_cast<MVRootViewController>(navigation->topViewController());
        ASSERT_TRUE(screen);
        EXPECT_EQ(screen->navigationSource(), c.opened);
    }
}

TEST(MVMenuViewController, SignOutIsConfirmedOnceAndCancelKeepsTheRow) {
    MainScreens world({kFilms, kStart});
    world.start();
    auto menu = world.menu();
    const std::size_t logOut = menu->numberOfRows() - 1;
    auto& ui = *world.env.ui;

    menu->tapRow(0);
    menu->tapRow(logOut);
    ASSERT_TRUE(ui.lastAlert());
    EXPECT_EQ(ui.lastAlert()->title() + "/" + ui.lastAlert()->message(), "Log Out/Are you sure you want to log out?");
    EXPECT_TRUE(ui.lastAlert()->tapButton("Cancel"));
    EXPECT_EQ(menu->selectedRow(), 0u);
    EXPECT_FALSE(menu->showingAlert());

    menu->tapRow(logOut);
    menu->tapRow(logOut);
    ASSERT_EQ(ui.visibleAlerts().size(), 1u);
    auto alert = ui.lastAlert();
    EXPECT_TRUE(alert->tapButton("OK"));
    alert->tapButton("OK");
    EXPECT_EQ(world.logOuts, std::vector<std::optional<long long>>{std::nullopt});  // no error: the user's choice
    EXPECT_EQ(menuActions(world), (std::vector<std::string>{"Menu_Start", "Menu_Films", "Menu_Logout"}));
    EXPECT_FALSE(menu->showingAlert());
    EXPECT_TRUE(ui.visibleAlerts().empty());
}

TEST(MVMenuViewController, NavigateHomeReachesTheMenuThroughTheMainWindow) {
    MainScreens world({kFilms, kStart});
    auto app = std::make_shared<MVAppDelegate>();
    MVAppDelegate::setSharedAppDelegate(app);
    app->setupFullScreenLoadingView();
    world.window = app->window();
    world.start();
    world.menu()->tapRow(0);

    MVRootViewController::navigateHome();
    EXPECT_EQ(world.menu()->selectedRow(), 1u);
    EXPECT_EQ(itemTitle(world.menu()->lastSelectedItem()), "Start");
    world.stop();
    MVAppDelegate::setSharedAppDelegate(nullptr);
}

}  // namespace
}  // namespace movra
