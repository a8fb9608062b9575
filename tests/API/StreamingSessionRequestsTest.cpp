// The session resource's three verbs: the set-up GET, the tear-down DELETE and the bookmark POST, with the
// media content URL's own query parameters carried over.
#include "API/MVHTTPClient.h"
#include "Utilities/CurrentRegionTenant.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <map>

namespace movra {
namespace {

constexpr const char* kContentURL = "https://api.test/stoffice/client/ios/session/42?a=1&b=2&c&d=x=y&e=%41";

std::map<std::string, std::string> queryOf(const std::string& url) {
    std::map<std::string, std::string> query;
    const Json parameters = MVHTTPClient::getParametersFromURL(*Url::parse(url));
    for (const auto& [key, value] : parameters.items()) query[key] = value.get<std::string>();
    return query;
}

class StreamingSessionRequestsTest : public ::testing::Test {
  protected:
    StreamingSessionRequestsTest() {
        CurrentRegionTenant::setTenant(MVRegionTenantNone);
        env.network->answerAll(test::xmlReply(200, "<result><status>success</status></result>"));
        client = MVHTTPClient::initSharedClientWithHost("api.test");
    }

    HttpRequest sent(const std::function<HttpTaskPtr(MVHTTPClient::Completion)>& start) {
        auto [error, document] = env.await<ErrorPtr, XMLDocumentPtr>([&](auto done) { start(done); });
        EXPECT_FALSE(error);
        auto requests = env.network->requests();
        EXPECT_FALSE(requests.empty());
        return requests.empty() ? HttpRequest{} : requests.back();
    }

    test::TestPlatform env;
    std::shared_ptr<MVHTTPClient> client;
};

TEST_F(StreamingSessionRequestsTest, SetUpAsksForXML) {
    auto request = sent([&](auto done) { return client->setUpSessionAtPath(kContentURL, done); });
    EXPECT_EQ(request.method, "GET");
    EXPECT_TRUE(request.url.starts_with("https://api.test/stoffice/client/ios/session/42?a=1&b=2&c&d=x=y&e=%41&"));
    EXPECT_EQ(queryOf(request.url).at("responseType"), "xml");
}

TEST_F(StreamingSessionRequestsTest, TearDownAndBookmarkCarryTheURLsParametersWithoutItsQuery) {
    struct Case {
        const char* name;
        std::function<HttpTaskPtr(MVHTTPClient::Completion)> start;
        const char* method;
        std::optional<std::string> bookmark;
    };
    const std::vector<Case> cases = {
        {"tear-down with seconds", [&](auto done) { return client->tearDownSessionAtURL(kContentURL, 59, done); },
         "DELETE", "59"},
        {"tear-down at 0", [&](auto done) { return client->tearDownSessionAtURL(kContentURL, 0, done); }, "DELETE",
         "0"},
        {"tear-down with -1", [&](auto done) { return client->tearDownSessionAtURL(kContentURL, -1, done); }, "DELETE",
         std::nullopt},
        {"tear-down without seconds", [&](auto done) { return client->tearDownSessionAtURL(kContentURL, done); },
         "DELETE", std::nullopt},
        {"bookmark", [&](auto done) { return client->postBookmarkAtURL(kContentURL, 1234, done); }, "POST", "1234"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto request = sent(c.start);
        EXPECT_EQ(request.method, c.method);
        EXPECT_TRUE(request.url.starts_with("https://api.test/stoffice/client/ios/session/42?")) << request.url;
        auto query = queryOf(request.url);
        EXPECT_EQ(query.at("a"), "1");
        EXPECT_EQ(query.at("b"), "2");
        EXPECT_EQ(query.count("c"), 0u);    // no "=": dropped
        EXPECT_EQ(query.count("d"), 0u);    // two "=": dropped
        EXPECT_EQ(query.at("e"), "%2541");  // taken as written, then escaped like any value
        EXPECT_EQ(query.count("bookmarkSecs") ? std::optional(query.at("bookmarkSecs")) : std::nullopt, c.bookmark);
    }
}

TEST_F(StreamingSessionRequestsTest, BookmarkWithoutURLSendsNothing) {
    bool called = false;
    EXPECT_FALSE(client->postBookmarkAtURL("", 10, [&](ErrorPtr, XMLDocumentPtr) { called = true; }));
    EXPECT_FALSE(client->postBookmarkAtURL("?a=1", 10, [&](ErrorPtr, XMLDocumentPtr) { called = true; }));
    env.main().runPending();
    EXPECT_FALSE(called);
    EXPECT_TRUE(env.network->requests().empty());
}

}  // namespace
}  // namespace movra
