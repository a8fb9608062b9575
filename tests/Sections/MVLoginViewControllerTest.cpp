// The sign-in screen: a sign-in that completes although the home tenant could not be set up, and the alert a
// failure shows. (A successful sign-in through this screen runs against the emulator in ClientAgainstEmulatorTest.)
#include "API/MVHTTPClient.h"
#include "App/MVAppDelegate.h"
#include "App/MVDiscriminator.h"
#include "Model/MVCoreDataService.h"
#include "Sections/SignIn/MVLoginViewController.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

using test::xmlReply;

class RecordingDelegate : public MVLoginViewControllerDelegate {
  public:
    void loginComplete(MVLoginViewController&) override { ++completions; }
    void loginAnswered(MVLoginViewController&) override { ++answers; }
    int completions = 0;
    int answers = 0;
};

class MVLoginViewControllerTest : public ::testing::Test {
  protected:
    MVLoginViewControllerTest() {
        MVDiscriminator::initSharedDiscriminatorWithJSON({{"url", "api.test"}, {"cc", {"SE"}}, {"name", "MVTK"}});
        MVHTTPClient::initSharedClientWithHost("api.test");
        app = std::make_shared<MVAppDelegate>();
        MVAppDelegate::setSharedAppDelegate(app);
        app->setupCoreDataStack();
        screen = std::make_shared<MVLoginViewController>();
        delegate = std::make_shared<RecordingDelegate>();
        screen->setDelegate(delegate);
    }
    ~MVLoginViewControllerTest() override { MVAppDelegate::setSharedAppDelegate(nullptr); }

    void signIn() {
        screen->signIn("anna@example.com", "secret");
        ASSERT_TRUE(env.runUntil([&] { return screen->state() != MVLoginViewController::State::SigningIn; }));
    }

    std::vector<std::string> actions() {
        std::vector<std::string> out;
        for (const auto& hit : env.analytics->hits) out.push_back(hit.at("&ea") + (hit.count("&sc") ? "+start" : ""));
        return out;
    }

    // The store the screen restarts lives in a folder of the test's own, not in the working directory.
    test::TemporaryDirectory directory;
    test::TestPlatform env{[this] {
        test::TestPlatform::Options options;
        options.configuration.dataDirectory = directory.path();
        return options;
    }()};
    std::shared_ptr<MVAppDelegate> app;
    std::shared_ptr<MVLoginViewController> screen;
    std::shared_ptr<RecordingDelegate> delegate;
};

TEST_F(MVLoginViewControllerTest, FailedHomeTenantSetUpStillCompletesTheSignIn) {
    env.network->setScript([](const HttpRequest& request) {
        if (request.url.find("/device/login") != std::string::npos)
            return xmlReply(200, "<result><status>Success</status><token>T</token></result>");
        return xmlReply(500, "<result><status>Failure</status><errorCode>ST5000</errorCode></result>");
    });
    int logIns = 0;
    auto& center = env.platform().notificationCenter();
    ScopedObserver observer(center, center.addObserver(MVNotificationLogIn, [&](const Notification&) { ++logIns; }));
    signIn();
    EXPECT_EQ(screen->state(), MVLoginViewController::State::SignedIn);
    EXPECT_EQ(delegate->completions, 1);
    EXPECT_EQ(logIns, 1);
    EXPECT_EQ(actions(), (std::vector<std::string>{"SignIn_Success+start"}));
}

TEST_F(MVLoginViewControllerTest, FailureShowsTheAlertAndReportsIt) {
    env.network->setScript([](const HttpRequest&) {
        return xmlReply(401,
                        "<result><status>Failure</status><errorCode>ST3003</errorCode><userMessage>Nope</userMessage>"
                        "</result>");
    });
    signIn();
    EXPECT_EQ(screen->state(), MVLoginViewController::State::Failed);
    EXPECT_EQ(delegate->completions, 0);
    // The owner hears of every answer, failures too (the app delegate restarts the store).
    EXPECT_EQ(delegate->answers, 1);
    EXPECT_TRUE(env.ui->lastAlert());
    EXPECT_EQ(actions(), (std::vector<std::string>{"SignIn_Failure"}));
}

TEST_F(MVLoginViewControllerTest, AlertMessageRules) {
    const auto document = XMLDocument::parse(
        "<result><status>Failure</status><errorCode>ST2000</errorCode><userMessage>From the "
        "service</userMessage></result>");
    const auto silent = XMLDocument::parse("<result><status>Failure</status><errorCode>ST2000</errorCode></result>");
    const auto other = makeError(kURLErrorDomain, kURLErrorTimedOut, "timed out");
    struct Case {
        const char* what;
        ErrorPtr error;
        XMLDocumentPtr document;
        bool reachable;
        std::string message;
    } cases[] = {
        {"the client's own message", makeError(kHTTPClientErrorDomain, -1, "Own words"), document, false, "Own words"},
        {"offline", other, document, false, "Sorry, No network connection is available at the moment."},
        {"the service's message", other, document, true, "From the service"},
        {"no message in the document", other, silent, true,
         "A problem has occured and the service may be temporarily unavailable."},
        {"no document", other, nullptr, true, "A problem has occured and the service may be temporarily unavailable."},
    };
    for (const auto& c : cases) {
        env.reachability->reachable_ = c.reachable;
        EXPECT_EQ(MVLoginViewController::alertMessageForError(c.error, c.document), c.message) << c.what;
    }
}

}  // namespace
}  // namespace movra
