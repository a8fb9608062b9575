// The home button of a shelves screen in the kids profile: which kids-mode flow it opens for the stored
// configuration, and the adult profile once that flow lets the user out.
#include "Sections/Home/HorizontalScrollingShelvesTableViewController.h"
#include "Sections/KidsMode/KidsModeFlowTest.h"
#include "Sections/KidsMode/KidsModeSetPINViewController.h"

namespace movra {
namespace {

class HorizontalScrollingShelvesTableViewControllerTest : public test::KidsModeFlowTest {
  protected:
    /// The class of what the home button opened, once the configuration has been read.
    std::string homeButtonOpens() {
        screen->homeButtonTapped();
        EXPECT_TRUE(env.runUntil([&] { return !screen->isReadingKidsModeConfiguration(); }));
        auto shown = screen->presentedViewController();
        return shown ? shown->className() : "(none)";
    }

    std::shared_ptr<HorizontalScrollingShelvesTableViewController> screen =
        std::make_shared<HorizontalScrollingShelvesTableViewController>();
};

TEST_F(HorizontalScrollingShelvesTableViewControllerTest, TheStoredConfigurationPicksTheWayOut) {
    const std::tuple<std::map<std::string, std::string>, bool, const char*> cases[] = {
        {{{"kidsModeIgnore", "false"}, {"kidsModePIN", "2468"}}, false, "KidsModeExitViewController"},
        {{{"kidsModePIN", ""}}, false, "KidsModeSetPINViewController"},  // the PIN is made on the way out
        {{{"kidsModeIgnore", "true"}}, false, "KidsModeExitViewController"},
        {{}, true, "UIAlertController"},
    };
    for (const auto& [stored, fails, opens] : cases) {
        SCOPED_TRACE(opens);
        settings = stored;
        settingsFail = fails;
        screen = std::make_shared<HorizontalScrollingShelvesTableViewController>();
        EXPECT_EQ(homeButtonOpens(), opens);
        EXPECT_EQ(ProfileManager::activeProfile(), ProfileTypeKids);
    }

    ProfileManager::setActiveProfile(ProfileTypeAdult);
    const auto requests = env.network->requests().size();
    screen = std::make_shared<HorizontalScrollingShelvesTableViewController>();
    EXPECT_EQ(homeButtonOpens(), "(none)");
    EXPECT_EQ(env.network->requests().size(), requests) << "outside the kids profile home is just home";
}

TEST_F(HorizontalScrollingShelvesTableViewControllerTest, ThePINMadeOnTheWayOutEndsInTheAdultProfile) {
    // The set-PIN screen leaves the profile to its presenter.
    ASSERT_EQ(homeButtonOpens(), "KidsModeSetPINViewController");
    enter(*std::dynamic_pointer_cast<KidsModeSetPINViewController>(screen->presentedViewController()), "1357");
    EXPECT_FALSE(screen->presentedViewController());
    EXPECT_EQ(ProfileManager::activeProfile(), ProfileTypeAdult);
    EXPECT_EQ(settings.at("kidsModePIN"), "1357");
}

}  // namespace
}  // namespace movra
