// The profile-selection dialog: when it is due, what picking each profile stores and reports, and the
// kids-mode configuration read that decides whether the primer comes before the adult catalogue.
#include "API/MVHTTPClient.h"
#include "Model/AdultModeTheme.h"
#include "Model/ProfileManager.h"
#include "Sections/KidsMode/ProfileSelectionViewController.h"
#include "Sections/SignIn/MVLoginViewController.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

using test::xmlReply;
using State = ProfileSelectionViewController::State;

class RecordingSelectionDelegate : public ProfileSelectionViewControllerDelegate {
  public:
    void didSelectProfileWithViewController(ProfileSelectionViewController&, ProfileType type) override {
        selected.push_back(type);
    }
    void showKidsModePrimerWithViewController(ProfileSelectionViewController&) override { ++primers; }
    std::vector<ProfileType> selected;
    int primers = 0;
};

class ProfileSelectionViewControllerTest : public ::testing::Test {
  protected:
    ProfileSelectionViewControllerTest() {
        MVHTTPClient::initSharedClientWithHost("api.test");
        screen = std::make_shared<ProfileSelectionViewController>(AdultModeTheme::shared(), delegate);
        screen->loadViewIfNeeded();
    }

    /// "label" of every Home_ChooseProfile event.
    std::vector<std::string> choiceEvents() {
        std::vector<std::string> labels;
        for (const auto& hit : env.analytics->hits)
            if (hit.at("&ea") == "Home_ChooseProfile") labels.push_back(hit.at("&el"));
        return labels;
    }

    test::TestPlatform env;
    std::shared_ptr<RecordingSelectionDelegate> delegate = std::make_shared<RecordingSelectionDelegate>();
    std::shared_ptr<ProfileSelectionViewController> screen;
};

TEST_F(ProfileSelectionViewControllerTest, IsDueWithKidsModeUntilAProfileWasChosenAndLaunchedWith) {
    const char* finished = MVLoginViewController::kHasFinishedProfileSelectionKey;
    struct Case {
        bool kidsModeAllowed;
        bool finishedSelection;
        ProfileType launchProfile;
        bool due;
    };
    const Case cases[] = {
        {true, false, ProfileTypeAdult, true},
        {true, true, ProfileTypeNone, true},
        {true, true, ProfileTypeKids, false},
        {false, false, ProfileTypeNone, false},
    };
    for (const auto& c : cases) {
        env.defaults->setObject(finished, c.finishedSelection);
        ProfileManager::setLaunchProfile(c.launchProfile);
        EXPECT_EQ(ProfileSelectionViewController::shouldPresent(c.kidsModeAllowed), c.due)
            << c.kidsModeAllowed << c.finishedSelection << c.launchProfile;
    }
}

TEST_F(ProfileSelectionViewControllerTest, PickingKidsCompletesAtOnce) {
    screen->selectProfile(ProfileTypeKids);
    EXPECT_EQ(screen->state(), State::Finished);
    EXPECT_EQ(ProfileManager::activeProfile(), ProfileTypeKids);
    EXPECT_TRUE(env.defaults->boolForKey(MVLoginViewController::kHasFinishedProfileSelectionKey));
    EXPECT_EQ(delegate->selected, std::vector<ProfileType>{ProfileTypeKids});
    EXPECT_EQ(choiceEvents(), std::vector<std::string>{"Family"});
    EXPECT_EQ(env.network->requestCount(), 0u);
}

TEST_F(ProfileSelectionViewControllerTest, PickingAdultReadsTheConfigurationAndOffersThePrimerWithoutAPin) {
    struct Case {
        const char* name;
        test::ScriptedReply answer;
        State state;
        int primers;
    };
    auto settings = [](const std::string& elements) {
        return xmlReply(200, "<result><status>Success</status><settings>" + elements + "</settings></result>");
    };
    const Case cases[] = {
        {"PIN set", settings("<setting><name>kidsModePIN</name><value>2468</value></setting>"), State::Finished, 0},
        {"set-up off", settings("<setting><name>kidsModeIgnore</name><value>true</value></setting>"), State::Finished,
         0},
        {"nothing", settings(""), State::ShowingPrimer, 1},
        {"empty PIN", settings("<setting><name>kidsModePIN</name><value></value></setting>"), State::ShowingPrimer, 1},
        {"failure", xmlReply(503, "<result><status>Failure</status></result>"), State::Choosing, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        env.defaults->removeObject(ProfileManager::InKidsModeUserDefaultKey);
        env.analytics->hits.clear();
        delegate = std::make_shared<RecordingSelectionDelegate>();
        screen = std::make_shared<ProfileSelectionViewController>(AdultModeTheme::shared(), delegate);
        env.network->answerAll(c.answer);

        screen->selectProfile(ProfileTypeAdult);
        EXPECT_EQ(screen->state(), State::ReadingConfiguration);
        screen->selectProfile(ProfileTypeKids);  // ignored while the pick completes
        ASSERT_TRUE(env.runUntil([&] { return screen->state() != State::ReadingConfiguration; }));
        EXPECT_EQ(screen->state(), c.state);
        EXPECT_EQ(delegate->primers, c.primers);
        EXPECT_EQ(ProfileManager::activeProfile(), ProfileTypeAdult);
        if (c.state == State::ShowingPrimer) screen->kidsModePrimerDidFinish();
        if (c.state == State::Choosing) {
            ASSERT_TRUE(env.ui->lastAlert());
            EXPECT_EQ(env.ui->lastAlert()->title(), "Error");
            EXPECT_TRUE(delegate->selected.empty());
            EXPECT_TRUE(choiceEvents().empty());
            env.ui->lastAlert()->tapButton("OK");
        } else {
            EXPECT_EQ(delegate->selected, std::vector<ProfileType>{ProfileTypeAdult});
            EXPECT_EQ(choiceEvents(), std::vector<std::string>{"Standard"});
        }
    }
}

}  // namespace
}  // namespace movra
