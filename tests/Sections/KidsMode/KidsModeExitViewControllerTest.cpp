// Leaving the kids profile: the PIN against the stored one (none, right, wrong, unreadable), the forgot-PIN
// exit (a wrong password changes nothing, the right one clears the PIN), and the catalogue-change dialog
// built on the exit, with no limit on tries.
#include "Model/KidsModeTheme.h"
#include "Root/CatalogChangeKidsModeExitViewController.h"
#include "Sections/KidsMode/KidsModeFlowTest.h"
#include "Sections/KidsMode/KidsModeForgotPINViewController.h"
#include "Sections/SignIn/MVForgotPasswordViewController.h"

namespace movra {
namespace {

class KidsModeExitViewControllerTest : public test::KidsModeFlowTest {
  protected:
    std::shared_ptr<KidsModeExitViewController> exitScreen =
        std::make_shared<KidsModeExitViewController>(KidsModeTheme::shared(), delegate);
};

TEST_F(KidsModeExitViewControllerTest, TheStoredPINDecidesAndOnlyASuccessLeavesTheKidsProfile) {
    struct Case {
        std::map<std::string, std::string> stored;
        bool fails;
        const char* entered;
        bool leaves;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {{}, false, "0000", true, {}},
        {{{"kidsModePIN", ""}}, false, "9999", true, {}},
        {{{"kidsModePIN", "2468"}}, false, "2468", true, {"Family_ExitWithPIN"}},
        {{{"kidsModePIN", "2468"}}, false, "2469", false, {}},
        {{{"kidsModePIN", "2468"}}, true, "2468", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entered + std::string(c.fails ? " unreadable" : ""));
        ProfileManager::setActiveProfile(ProfileTypeKids);
        settings = c.stored;
        settingsFail = c.fails;
        env.analytics->hits.clear();
        delegate->calls.clear();
        auto screen = std::make_shared<KidsModeExitViewController>(KidsModeTheme::shared(), delegate);
        enter(*screen, c.entered);
        EXPECT_EQ(ProfileManager::activeProfile(), c.leaves ? ProfileTypeAdult : ProfileTypeKids);
        EXPECT_EQ(delegate->calls.size(), c.leaves ? 1u : 0u);
        EXPECT_EQ(events(), c.events);
        EXPECT_EQ(alertOn(*screen).starts_with("Error|"), c.fails);
        EXPECT_EQ(screen->wrongAttempts(), !c.leaves && !c.fails ? 1 : 0);
        EXPECT_EQ(screen->pinView().text(), c.leaves ? c.entered : "") << "the boxes are cleared for another try";
    }
    EXPECT_TRUE(settingsWritten().empty());
}

TEST_F(KidsModeExitViewControllerTest, ForgotPINChecksThePasswordThenClearsThePIN) {
    settings = {{"kidsModeIgnore", "false"}, {"kidsModePIN", "2468"}};
    exitScreen->forgotPIN();
    auto forgot = std::dynamic_pointer_cast<KidsModeForgotPINViewController>(exitScreen->presentedViewController());
    ASSERT_TRUE(forgot);
    forgot->forgotPassword();
    auto password = std::dynamic_pointer_cast<MVForgotPasswordViewController>(forgot->presentedViewController());
    ASSERT_TRUE(password);
    EXPECT_EQ(password->userName(), kUser);
    forgot->dismissViewController(false);

    forgot->submit("anna-1");
    ASSERT_TRUE(env.runUntil([&] { return !forgot->isShowingActivityIndicator(); }));
    EXPECT_EQ(alertOn(*forgot), "Error|Incorrect Password. Note that passwords are case sensitive.|OK");
    EXPECT_TRUE(settingsWritten().empty());
    EXPECT_EQ(ProfileManager::activeProfile(), ProfileTypeKids);
    std::dynamic_pointer_cast<AlertController>(forgot->presentedViewController())->tapButton("OK");

    forgot->submit(kPassword);
    ASSERT_TRUE(env.runUntil([&] { return !delegate->calls.empty(); }));
    EXPECT_EQ(settingsWritten(), std::vector<std::string>{R"(<request><setting Name="kidsModeIgnore">false</setting>)"
                                                          R"(<setting Name="kidsModePIN"></setting></request>)"});
    EXPECT_EQ(events(), std::vector<std::string>{"Family_ExitWithPassword"});
    EXPECT_EQ(ProfileManager::activeProfile(), ProfileTypeAdult);
    EXPECT_EQ(delegate->calls, std::vector<std::string>{"succeeded KidsModeExitViewController"});
    EXPECT_FALSE(exitScreen->presentedViewController());
}

class ExitRecorder : public CatalogChangeKidsModeExitViewControllerDelegate {
  public:
    void catalogChangeKidsModeExitViewControllerDidFinish(CatalogChangeKidsModeExitViewController&) override {
        ++finished;
    }
    int finished = 0;
};

TEST_F(KidsModeExitViewControllerTest, TheCatalogueChangeDialogTakesAsManyTriesAsNeeded) {
    settings = {{"kidsModePIN", "2468"}};
    auto recorder = std::make_shared<ExitRecorder>();
    auto dialog = std::make_shared<CatalogChangeKidsModeExitViewController>(KidsModeTheme::shared(), recorder);
    for (int attempt = 1; attempt <= 5; ++attempt) {
        enter(*dialog, "1357");
        env.advance(PINView::kClearAnimationDuration);
    }
    dialog->cancel();  // no staying in a kids profile the region no longer has
    EXPECT_EQ(recorder->finished, 0);
    EXPECT_EQ(dialog->wrongAttempts(), 5);
    enter(*dialog, "2468");
    EXPECT_EQ(recorder->finished, 1);
    EXPECT_EQ(ProfileManager::activeProfile(), ProfileTypeAdult);
}

}  // namespace
}  // namespace movra
