// Opening a title's session: how each answer of the service becomes the completion's error or stream URL.
#include "App/MVDiscriminator.h"
#include "App/MVStreamingSessionClient.h"
#include "Foundation/Strings.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

using test::ScriptedReply;
using test::xmlReply;

constexpr const char* kContentURL = "https://api.test/stoffice/client/ios/session/42?a=1";

MVItem itemWithContent(std::optional<std::string> url) {
    Json content = {{"medium", "video"}, {"profile", "MVTK-HLS-FPS"}};
    if (url) content["url"] = *url;
    MVItem item;
    item.setGuid("title-1");
    item.setGroupData(Json{{"content", Json::array({content})}, {"thumbnails", Json::array()}}.dump());
    return item;
}

std::string result(const std::string& body) { return "<?xml version=\"1.0\"?><result>" + body + "</result>"; }

class MVStreamingSessionClientTest : public ::testing::Test {
  protected:
    MVStreamingSessionClientTest() : client(MVHTTPClient::initSharedClientWithHost("api.test")) {}

    std::tuple<ErrorPtr, std::optional<std::string>, std::shared_ptr<MVStreamingSessionResponse>> open(
        const MVItem& item) {
        return env.await<ErrorPtr, std::optional<std::string>, std::shared_ptr<MVStreamingSessionResponse>>(
            [&](auto done) { MVStreamingSessionClient::setUpSessionForItem(*client, item, done); });
    }

    test::TestPlatform env;
    std::shared_ptr<MVHTTPClient> client;
};

TEST_F(MVStreamingSessionClientTest, AnswersBecomeErrorsOrTheStreamURL) {
    const auto payment =
        replaceAll("Please update your payment information to activate your subscription. Go to your settings on %@.",
                   "%@", MVDiscriminator::tenantUserURL());
    struct Case {
        const char* name;
        ScriptedReply reply;
        std::optional<std::int64_t> code;  // "MVHTTPClient" domain; nullopt: success
        std::string description;
    };
    const std::vector<Case> cases = {
        {"success", xmlReply(200, result("<status>success</status><url>https://media.test/m.m3u8</url>")), std::nullopt,
         ""},
        {"authenticate", xmlReply(200, result("<status>authenticate</status>")), 3000, ""},
        {"payment", xmlReply(402, result("<status>Failure</status><errorCode>ST2002</errorCode>")), 3003, payment},
        {"payment wins over success", xmlReply(200, result("<status>success</status><errorCode>ST2002</errorCode>")),
         3003, payment},
        {"service message", xmlReply(200, result("<status>denied</status><userMessage>Not here</userMessage>")), 3002,
         "Not here"},
        {"no message", xmlReply(500, result("<status>Failure</status><systemMessage>db down</systemMessage>")), 3002,
         ""},
        // Not XML at all: the completion still comes.
        {"unreadable", test::reply(200, "text/html", "<html>oops</html>"), 3002, ""},
        {"timed out", test::failedReply(makeError(kURLErrorDomain, kURLErrorTimedOut)), 3002, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        env.network->answerAll(c.reply);
        auto [error, url, response] = open(itemWithContent(kContentURL));
        if (!c.code) {
            EXPECT_FALSE(error);
            EXPECT_EQ(url, "https://media.test/m.m3u8");
            ASSERT_TRUE(response);
            continue;
        }
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->is(kHTTPClientErrorDomain, *c.code)) << error->summary();
        EXPECT_EQ(error->localizedDescription, c.description);
        EXPECT_FALSE(url);
    }
    EXPECT_EQ(env.network->requests().back().method, "GET");
}

TEST_F(MVStreamingSessionClientTest, TitleWithoutMediaContentSendsNothing) {
    for (const auto& item : {MVItem{}, itemWithContent(std::nullopt), itemWithContent("")}) {
        std::optional<ErrorPtr> reported;
        EXPECT_FALSE(MVStreamingSessionClient::setUpSessionForItem(
            *client, item, [&](ErrorPtr error, auto, auto) { reported = error; }));
        ASSERT_TRUE(reported);
        EXPECT_TRUE((*reported)->is(kHTTPClientErrorDomain, 3001));

        bool bookmarked = false;
        EXPECT_FALSE(MVStreamingSessionClient::postBookmarkForAssetItem(*client, item, 59,
                                                                        [&](auto, auto) { bookmarked = true; }));
        env.main().runPending();
        EXPECT_FALSE(bookmarked);
    }
    EXPECT_TRUE(env.network->requests().empty());
}

TEST_F(MVStreamingSessionClientTest, BookmarkIsPostedToTheContentURL) {
    env.network->answerAll(xmlReply(200, result("<status>success</status>")));
    env.await<ErrorPtr, XMLDocumentPtr>([&](auto done) {
        MVStreamingSessionClient::postBookmarkForAssetItem(*client, itemWithContent(kContentURL), 59, done);
    });
    auto request = env.network->requests().back();
    EXPECT_EQ(request.method, "POST");
    EXPECT_NE(request.url.find("bookmarkSecs=59"), std::string::npos) << request.url;
    EXPECT_NE(request.url.find("a=1"), std::string::npos) << request.url;
}

}  // namespace
}  // namespace movra
