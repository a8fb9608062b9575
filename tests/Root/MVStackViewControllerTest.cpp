// The main screens' container: the initial load behind the loading screen, its retries every 10 s and on the
// network's return, the sign-out when the root menu cannot be loaded, and the start-up dialogs in their
// order, on phones as modals and on tablets in one pop-up.
#include "Model/ProfileManager.h"
#include "Platform/DeviceInfo.h"
#include "Root/MainScreens.h"
#include "Sections/KidsMode/KidsModePrimerViewController.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

using test::kFilms;
using test::kKids;
using test::MainScreens;
using test::MenuEntry;

std::string presentedClass(const MVStackViewController& stack) {
    auto shown = stack.presentedViewController();
    return shown ? shown->className() : "(none)";
}

TEST(MVStackViewController, RetriesTheRootMenuEvery10SecondsAndOnTheNetworksReturn) {
    MainScreens world({kFilms});
    world.rootMenu = test::failedReply(makeError(kURLErrorDomain, kURLErrorNotConnectedToInternet, "offline"));
    auto& env = world.env;
    auto stack = world.start();
    auto failures = [&](std::size_t count) { return env.runUntil([&] { return world.logOuts.size() == count; }); };
    ASSERT_TRUE(failures(1));
    EXPECT_EQ(world.logOuts.front(), kURLErrorNotConnectedToInternet);  // each failure signs out with its code
    EXPECT_TRUE(stack->initialLoadController());

    env.advance(9.9);
    env.main().runPending();
    EXPECT_EQ(world.rootMenuRequests(), 1u);
    env.advance(0.1);
    ASSERT_TRUE(failures(2));
    env.advance(10);
    ASSERT_TRUE(failures(3));
    env.reachability->setReachable(false);
    env.main().runPending();
    EXPECT_EQ(world.rootMenuRequests(), 3u);  // losing the network is no reason to retry
    env.reachability->setReachable(true);
    ASSERT_TRUE(failures(4));

    // The menu loads at last; the first list to load ends the initial load and its retries.
    world.rootMenu = test::xmlReply(200, test::rootMenuFeed({kFilms}));
    env.advance(10);
    ASSERT_TRUE(env.runUntil([&] { return world.menu()->lastSelectedItem() != nullptr; }));
    world.finishInitialLoad();
    const auto requests = world.rootMenuRequests();
    env.advance(30);
    env.reachability->setReachable(false);
    env.reachability->setReachable(true);
    env.main().runPending();
    EXPECT_EQ(world.rootMenuRequests(), requests);
    EXPECT_EQ(world.logOuts.size(), 4u);

    // A container that has gone retries nothing.
    world.stop();
    world.rootMenu = test::failedReply(makeError(kURLErrorDomain, kURLErrorTimedOut, "slow"));
    env.advance(30);
    env.main().runPending();
    EXPECT_EQ(world.rootMenuRequests(), requests);
}

TEST(MVStackViewController, TheFirstListEndsTheInitialLoadAndStartsTheDialogsOnce) {
    MainScreens world({kFilms, kKids});
    auto stack = world.start();
    EXPECT_TRUE(stack->isDisplayingFullScreenModal());
    EXPECT_TRUE(stack->initialLoadController());
    EXPECT_EQ(presentedClass(*stack), "(none)");

    world.finishInitialLoad();  // the Films list, shown as home, has loaded
    EXPECT_EQ(presentedClass(*stack), "ProfileSelectionViewController");
    auto selection = std::dynamic_pointer_cast<ProfileSelectionViewController>(stack->presentedViewController());
    world.env.platform().notificationCenter().post(MVBrowsingViewController::MVNotificationLandingPageLoaded);
    world.env.advance(MVStackViewController::kLoadingScreenFadeDuration);
    world.env.main().runPending();
    EXPECT_EQ(stack->presentedViewController(), selection);

    // The kids profile opens the kids section, and the dialogs are over.
    selection->selectProfile(ProfileTypeKids);
    ASSERT_TRUE(world.env.runUntil([&] { return !stack->isDisplayingFullScreenModal(); }));
    EXPECT_EQ(presentedClass(*stack), "(none)");
    EXPECT_EQ(world.modalsDismissed, 1);
    EXPECT_EQ(world.menu()->lastSelectedItem()->title().value_or(""), "Kids Zone");
}

TEST(MVStackViewController, TheAdultChoiceWithoutAPINHasThePrimerFirst) {
    MainScreens world({kFilms, kKids});
    auto stack = world.start();
    world.finishInitialLoad();
    auto selection = std::dynamic_pointer_cast<ProfileSelectionViewController>(stack->presentedViewController());
    ASSERT_TRUE(selection);
    world.env.network->answerAll(test::xmlReply(200, "<result><status>Success</status><settings/></result>"));
    selection->selectProfile(ProfileTypeAdult);
    std::shared_ptr<KidsModePrimerViewController> primer;
    ASSERT_TRUE(world.env.runUntil([&] {
        primer = std::dynamic_pointer_cast<KidsModePrimerViewController>(selection->presentedViewController());
        return primer != nullptr;
    }));
    EXPECT_TRUE(stack->isDisplayingFullScreenModal());

    primer->maybeLater();
    ASSERT_TRUE(world.env.runUntil([&] { return !stack->isDisplayingFullScreenModal(); }));
    EXPECT_EQ(presentedClass(*stack), "(none)");
    EXPECT_EQ(ProfileManager::activeProfile(), ProfileTypeAdult);
}

TEST(MVStackViewController, ChoosesTheStartupDialog) {
    constexpr const char* kNone = "(none)";
    struct Case {
        const char* name;
        bool kidsModeAllowed;
        ProfileType launchProfile;
        bool profileChosen;
        bool kidsExitPending;
        const char* homeCountry;
        const char* dialog;
    };
    const Case cases[] = {
        {"kids launch, kids mode gone", false, ProfileTypeKids, true, false, "SE",
         "CatalogChangeKidsModeExitViewController"},
        {"kids exit not completed", true, ProfileTypeAdult, true, true, "SE",
         "CatalogChangeKidsModeExitViewController"},
        {"kids launch, kids mode kept", true, ProfileTypeKids, true, false, "SE", kNone},
        {"home region elsewhere", true, ProfileTypeAdult, true, false, "ES", "CatalogChangeViewController"},
        {"no profile chosen", true, ProfileTypeAdult, false, false, "SE", "ProfileSelectionViewController"},
        {"no launch profile", true, ProfileTypeNone, true, false, "SE", "ProfileSelectionViewController"},
        {"profile chosen", true, ProfileTypeAdult, true, false, "SE", kNone},
        {"no profiles in the tenant", false, ProfileTypeNone, false, false, "SE", kNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainScreens world(c.kidsModeAllowed ? std::vector<MenuEntry>{kFilms, kKids} : std::vector<MenuEntry>{kFilms},
                          c.homeCountry);
        auto& defaults = *world.env.defaults;
        ProfileManager::setActiveProfile(c.launchProfile);
        ProfileManager::setLaunchProfile(c.launchProfile);
        defaults.setObject(ProfileManager::kHasFinishedProfileSelectionKey, c.profileChosen);
        if (c.kidsExitPending) defaults.setObject(MVStackViewController::kShouldShowPasswordToExitModalKey, true);
        auto stack = world.start();
        world.finishInitialLoad();

        EXPECT_EQ(presentedClass(*stack), c.dialog);
        EXPECT_EQ(stack->isDisplayingFullScreenModal(), c.dialog != kNone);
        EXPECT_EQ(world.modalsDismissed, c.dialog == kNone ? 1 : 0);
        EXPECT_EQ(defaults.boolForKey(MVStackViewController::kShouldShowPasswordToExitModalKey),
                  std::string(c.dialog) == "CatalogChangeKidsModeExitViewController");
    }
}

TEST(MVStackViewController, TheKidsModeExitComesBackAtEveryStartUntilItIsCompleted) {
    MainScreens world({kFilms}, /*homeCountry=*/"ES");
    ProfileManager::setActiveProfile(ProfileTypeKids);
    ProfileManager::setLaunchProfile(ProfileTypeKids);
    world.env.defaults->setObject(ProfileManager::kHasFinishedProfileSelectionKey, true);
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE(start);
        auto stack = world.start();
        world.finishInitialLoad();
        EXPECT_EQ(presentedClass(*stack), "CatalogChangeKidsModeExitViewController");
        world.stop();
    }

    auto stack = world.start();
    world.finishInitialLoad();
    auto exit = std::dynamic_pointer_cast<CatalogChangeKidsModeExitViewController>(stack->presentedViewController());
    ASSERT_TRUE(exit);
    ProfileManager::setActiveProfile(ProfileTypeAdult);  // as leaving the kids profile does
    exit->finish();
    EXPECT_FALSE(world.env.defaults->boolForKey(MVStackViewController::kShouldShowPasswordToExitModalKey));
    ASSERT_TRUE(world.env.runUntil([&] { return presentedClass(*stack) == "CatalogChangeViewController"; }));
    std::dynamic_pointer_cast<CatalogChangeViewController>(stack->presentedViewController())->finish();
    ASSERT_TRUE(world.env.runUntil([&] { return !stack->isDisplayingFullScreenModal(); }));
    EXPECT_EQ(presentedClass(*stack), "(none)");
    world.stop();

    // The next launch starts in the adult profile; the tenant notice was shown in this process already.
    ProfileManager::setLaunchProfile(ProfileManager::activeProfile());
    stack = world.start();
    world.finishInitialLoad();
    EXPECT_EQ(presentedClass(*stack), "(none)");
    EXPECT_FALSE(stack->isDisplayingFullScreenModal());
}

TEST(MVStackViewController, OnTabletsTheDialogsFollowEachOtherInOnePopUp) {
    MainScreens world({kFilms}, /*homeCountry=*/"ES");
    world.env.device->idiom_ = UserInterfaceIdiom::Pad;
    ProfileManager::setLaunchProfile(ProfileTypeKids);
    auto stack = world.start();
    world.finishInitialLoad();
    auto popUp = std::dynamic_pointer_cast<NavigationController>(stack->presentedViewController());
    ASSERT_TRUE(popUp);
    EXPECT_EQ(popUp->modalPresentationStyle(), ModalPresentationStyle::Custom);
    EXPECT_EQ(popUp->transitioningDelegate(), stack->popupSimpleTransitioningDelegate());
    auto exit = std::dynamic_pointer_cast<CatalogChangeKidsModeExitViewController>(popUp->topViewController());
    ASSERT_TRUE(exit);

    exit->finish();
    ASSERT_TRUE(world.env.runUntil([&] { return popUp->topViewController() != exit; }));
    EXPECT_EQ(stack->presentedViewController(), popUp);
    auto notice = std::dynamic_pointer_cast<CatalogChangeViewController>(popUp->topViewController());
    ASSERT_TRUE(notice);
    EXPECT_EQ(popUp->viewControllers().size(), 1u);

    notice->finish();
    ASSERT_TRUE(world.env.runUntil([&] { return !stack->isDisplayingFullScreenModal(); }));
    EXPECT_FALSE(stack->presentedViewController());
    EXPECT_EQ(world.modalsDismissed, 1);
}

}  // namespace
}  // namespace movra
