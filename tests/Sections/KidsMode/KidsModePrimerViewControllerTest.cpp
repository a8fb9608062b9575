// Setting up the PIN: the primer's three answers, the set-PIN screen's write, and what a failed write or a
// PIN the check refuses leaves behind.
#include "Model/AdultModeTheme.h"
#include "Sections/KidsMode/KidsModeFlowTest.h"
#include "Sections/KidsMode/KidsModePrimerViewController.h"
#include "Sections/KidsMode/KidsModeSetPINViewController.h"
#include "support/LogCapture.h"

namespace movra {
namespace {

class KidsModePrimerViewControllerTest : public test::KidsModeFlowTest {
  protected:
    std::shared_ptr<KidsModePrimerViewController> primer() {
        return std::make_shared<KidsModePrimerViewController>(AdultModeTheme::shared(), delegate);
    }
};

TEST_F(KidsModePrimerViewControllerTest, EachAnswerSendsItsEventAndWritesOnlyWhatItSays) {
    primer()->maybeLater();
    auto screen = primer();
    screen->dontAskAgain();
    screen->maybeLater();  // ignored while the answer is being saved
    ASSERT_TRUE(env.runUntil([&] { return delegate->calls.size() == 2; }));
    EXPECT_EQ(delegate->calls, (std::vector<std::string>{"cancelled KidsModePrimerViewController",
                                                         "succeeded KidsModePrimerViewController"}));
    EXPECT_EQ(settingsWritten(),
              std::vector<std::string>{R"(<request><setting Name="kidsModeIgnore">true</setting></request>)"});
    EXPECT_EQ(events(), (std::vector<std::string>{"Family_PINMaybeLater", "Family_PINDoNotAskAgain"}));

    delegate->calls.clear();
    screen = primer();
    screen->setPIN();
    auto setPIN = std::dynamic_pointer_cast<KidsModeSetPINViewController>(screen->presentedViewController());
    ASSERT_TRUE(setPIN);
    setPIN->cancel();
    EXPECT_FALSE(screen->presentedViewController()) << "back on the primer";
    screen->setPIN();
    enter(*std::dynamic_pointer_cast<KidsModeSetPINViewController>(screen->presentedViewController()), "1357");
    EXPECT_EQ(settingsWritten().back(), R"(<request><setting Name="kidsModeIgnore">false</setting>)"
                                        R"(<setting Name="kidsModePIN">1357</setting></request>)");
    EXPECT_EQ(events().back(), "Family_SetPIN");
    EXPECT_EQ(delegate->calls, std::vector<std::string>{"succeeded KidsModePrimerViewController"});
    EXPECT_FALSE(screen->presentedViewController());
}

TEST_F(KidsModePrimerViewControllerTest, AFailedOrRefusedPINIsClearedAndNothingEnds) {
    auto setPIN = std::make_shared<KidsModeSetPINViewController>(AdultModeTheme::shared(), delegate);
    settingsFail = true;
    enter(*setPIN, "1357");
    EXPECT_TRUE(alertOn(*setPIN).starts_with("Error|"));
    EXPECT_EQ(setPIN->pinView().text(), "");
    env.advance(PINView::kClearAnimationDuration);

    // The pad types digits only; a keyboard may type anything, which the PIN check stops.
    test::LogCapture log;
    for (char typed : std::string("13a7")) setPIN->pinView().appendCharacter(typed);
    EXPECT_EQ(log.containing("PIN validation error: The PIN may only contain the digits 0 to 9.").size(), 1u);
    EXPECT_EQ(setPIN->pinView().text(), "");
    EXPECT_FALSE(setPIN->isShowingActivityIndicator());
    EXPECT_EQ(settingsWritten().size(), 1u) << "only the failed write went out";
    EXPECT_TRUE(delegate->calls.empty());
    EXPECT_TRUE(events().empty());
}

}  // namespace
}  // namespace movra
