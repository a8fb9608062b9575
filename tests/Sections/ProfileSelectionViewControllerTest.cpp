// The profile-selection dialog: what picking each profile stores and reports, and the kids-mode configuration
// read that decides whether the primer comes before the adult catalogue.
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
constexpr const char* kFinished = ProfileManager::kHasFinishedProfileSelectionKey;

/// "profile" for each choice reported, "primer" for each primer asked for.
class RecordingSelectionDelegate : public ProfileSelectionViewControllerDelegate {
  public:
    void didSelectProfileWithViewController(ProfileSelectionViewController&, ProfileType type) override {
        calls.push_back(std::to_string(type));
    }
    void showKidsModePrimerWithViewController(ProfileSelectionViewController&) override { calls.push_back("primer"); }
    std::vector<std::string> calls;
};

class ProfileSelectionViewControllerTest : public ::testing::Test {
  protected:
    ProfileSelectionViewControllerTest() { MVHTTPClient::initSharedClientWithHost("api.test"); }

    std::shared_ptr<ProfileSelectionViewController> pick(ProfileType type) {
        auto screen = std::make_shared<ProfileSelectionViewController>(AdultModeTheme::shared(), delegate);
        screen->selectProfile(type);
        screen->selectProfile(ProfileTypeKids);  // ignored while the first pick completes
        EXPECT_TRUE(env.runUntil([&] { return screen->state() != State::ReadingConfiguration; }));
        return screen;
    }

    /// The labels of the choice events sent.
    std::vector<std::string> choiceEvents() {
        std::vector<std::string> labels;
        for (const auto& hit : env.analytics->hits) labels.push_back(hit.at("&ea") + "/" + hit.at("&el"));
        return labels;
    }

    test::TestPlatform env;
    std::shared_ptr<RecordingSelectionDelegate> delegate = std::make_shared<RecordingSelectionDelegate>();
};

TEST_F(ProfileSelectionViewControllerTest, PickingKidsCompletesAtOnceAndAdultAfterTheConfigurationOrThePrimer) {
    auto settings = [](const std::string& elements) {
        return xmlReply(200, "<result><status>Success</status><settings>" + elements + "</settings></result>");
    };
    const std::tuple<ProfileType, test::ScriptedReply, State, std::vector<std::string>> cases[] = {
        {ProfileTypeKids, xmlReply(500, ""), State::Finished, {"2"}},
        {ProfileTypeAdult,
         settings("<setting><name>kidsModePIN</name><value>2468</value></setting>"),
         State::Finished,
         {"1"}},
        {ProfileTypeAdult,
         settings("<setting><name>kidsModePIN</name><value></value></setting>"),
         State::ShowingPrimer,
         {"primer"}},
        {ProfileTypeAdult, xmlReply(503, ""), State::Choosing, {}},
    };
    for (const auto& [type, answer, state, calls] : cases) {
        SCOPED_TRACE(std::to_string(type) + " " + answer.body);
        env.defaults->removeObject(ProfileManager::InKidsModeUserDefaultKey);
        env.defaults->removeObject(kFinished);
        env.analytics->hits.clear();
        delegate->calls.clear();
        env.network->answerAll(answer);

        auto screen = pick(type);
        EXPECT_EQ(screen->state(), state);
        EXPECT_EQ(delegate->calls, calls);
        EXPECT_EQ(ProfileManager::activeProfile(), type);
        EXPECT_EQ(ProfileManager::themeForActiveProfile()->name(), type == ProfileTypeKids ? "Family" : "Standard");
        EXPECT_TRUE(env.defaults->boolForKey(kFinished));
        if (state == State::Choosing) {
            ASSERT_TRUE(env.ui->lastAlert());
            EXPECT_EQ(env.ui->lastAlert()->title(), "Error");
            EXPECT_TRUE(choiceEvents().empty());
            env.ui->lastAlert()->tapButton("OK");
            continue;
        }
        screen->kidsModePrimerDidFinish();
        EXPECT_EQ(delegate->calls.back(), std::to_string(type));
        EXPECT_EQ(choiceEvents(), std::vector<std::string>{std::string("Home_ChooseProfile/") +
                                                           (type == ProfileTypeKids ? "Family" : "Standard")});
    }
    EXPECT_EQ(env.network->requests().size(), 3u);  // the kids pick reads nothing
}

}  // namespace
}  // namespace movra
