// The API client's request core against a scripted network: base URLs, request construction, headers,
// the standard failure path, error documents, cancellation and the URL utilities.
#include "API/MVHTTPClient.h"
#include "API/MVHTTPClientGlobalErrorHandler.h"
#include "Foundation/MainQueue.h"
#include "Foundation/Strings.h"
#include "Utilities/CurrentRegionTenant.h"
#include "Utilities/SecurityManager.h"
#include "support/TestImages.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>

namespace movra {
namespace {

using test::failedReply;
using test::heldReply;
using test::reply;
using test::xmlReply;

constexpr const char* kService = SecurityManager::kPasswordServiceName;

using test::errorDocument;

class MVHTTPClientTest : public ::testing::Test {
  protected:
    MVHTTPClientTest() { CurrentRegionTenant::setTenant(MVRegionTenantTavik); }

    std::shared_ptr<MVHTTPClient> client(const std::string& host = "api.test") {
        return MVHTTPClient::initSharedClientWithHost(host);
    }

    /// What a request by `method` on `path` sent, once it has been answered.
    HttpRequest send(MVHTTPClient& c, const std::string& method, const std::string& path,
                     Json params = Json::object()) {
        env.await<>([&](auto done) {
            c.commonRequestWithMethod(
                method, path, params, false, [done](const HttpTaskPtr&, const XMLDocumentPtr&) { done(); },
                [done](const HttpTaskPtr&, const XMLDocumentPtr&, const ErrorPtr&) { done(); });
        });
        return env.network->requests().back();
    }

    test::TestPlatform env;
};

// A bare host (with a port against the emulator) and absolute paths are covered by the requests of other tests.
TEST_F(MVHTTPClientTest, HostsThatNameTheirSchemeOrABasePath) {
    for (const auto& [host, url] :
         {std::pair{"http://plain.test", "http://plain.test/stoffice/client/ios/browse"},
          {"https://secure.test/base", "https://secure.test/base/stoffice/client/ios/browse"}}) {
        auto request = MVHTTPClient(MVHTTPClient::baseURLForHost(host)).requestWithMethod("GET", "browse", {});
        ASSERT_TRUE(request) << host;
        EXPECT_EQ(request->url, url);
    }
}

TEST_F(MVHTTPClientTest, PathsThatLeaveTheAPIHostSendNothing) {
    env.network->answerAll(reply(200, "application/xml", ""));
    auto c = client();
    c->setDeviceToken("TOKEN");
    const struct {
        const char* path;
        bool sent;
    } cases[] = {
        {"browse/landing", true},
        {"/stoffice/client/ios/browse", true},
        {"https://API.test:443/stoffice/client/ios/browse", true},
        {"https://elsewhere.example/x", false},
        {"//elsewhere.example/x", false},
        {"http://api.test/stoffice/client/ios/browse", false},
        {"https://api.test:8443/x", false},
        {"https://api.test@elsewhere.example/x", false},
    };
    for (const auto& c2 : cases) {
        SCOPED_TRACE(c2.path);
        const auto before = env.network->requests().size();
        auto [error, document] = env.await<ErrorPtr, XMLDocumentPtr>([&](auto done) {
            c->browseToPath(c2.path, true, false, [done](ErrorPtr e, auto, XMLDocumentPtr d) { done(e, d); });
        });
        EXPECT_EQ(env.network->requests().size(), before + (c2.sent ? 1 : 0));
        if (!c2.sent) {
            ASSERT_TRUE(error);
            EXPECT_TRUE(error->is(kURLErrorDomain, kURLErrorBadURL));
            EXPECT_NE(error->failureReason.find("nothing was sent"), std::string::npos) << error->failureReason;
        }
    }
    // A request built elsewhere for another host gets no device credentials.
    HttpRequest foreign;
    foreign.url = "https://elsewhere.example/x";
    c->setAuthHeadersForRequest(foreign);
    EXPECT_FALSE(foreign.header("X-Stravo-DeviceToken"));
    EXPECT_FALSE(foreign.header("X-Stravo-DeviceId"));
}

TEST_F(MVHTTPClientTest, RequestsOffTheMainQueueStopADebugBuild) {
#ifdef NDEBUG
    GTEST_SKIP() << "the check compiles to nothing with NDEBUG";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto c = client();
    auto requestElsewhere = [&] {
        std::thread([&] { c->getPath("browse", Json::object(), false, nullptr, nullptr); }).join();
    };
    EXPECT_DEATH(requestElsewhere(), "must run on the main queue");
#endif
}

TEST_F(MVHTTPClientTest, StandardHeadersInOrderAndTheLanguageReplacesTheCallersForEveryMethod) {
    env.network->answerAll(reply(200, "application/xml", ""));
    env.locale->languageCode_ = "nb";
    auto c = client();
    for (const char* method : {"GET", "POST", "PUT", "DELETE"}) {
        auto request = send(*c, method, "addSavedAsset", {{"guid", "a b&c"}, {"language", "xx"}});
        EXPECT_EQ(request.url, "https://api.test/stoffice/client/ios/addSavedAsset?guid=a%20b%26c&language=no_mvtk")
            << method;
        EXPECT_TRUE(request.body.empty()) << method;
    }
    const auto request = env.network->requests().back();
    std::vector<std::string> names;
    for (const auto& [name, value] : request.headers) names.push_back(name);
    // No device token yet: no token header.
    EXPECT_EQ(names, (std::vector<std::string>{"Accept-Language", "User-Agent", "X-Stravo-DeviceId", "X-Client-Version",
                                               "X-Client-Name"}));
    EXPECT_EQ(request.header("Accept-Language"), "sv-SE;q=1, en;q=0.9");
    c->setDeviceToken("TOKEN");
    auto second = send(*c, "GET", "browse");
    EXPECT_EQ(second.header("X-Stravo-DeviceToken"), "TOKEN");
    EXPECT_EQ(second.header("X-Stravo-DeviceId"), request.header("X-Stravo-DeviceId"));
}

TEST_F(MVHTTPClientTest, DeviceIdentifierIsKeptOrReplaced) {
    // A stored value with a "-" is kept, whatever its form; one without is replaced by a new upper-case UUID.
    const std::regex uuid("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
    const struct {
        std::optional<std::string> stored;
        bool kept;
    } cases[] = {{std::nullopt, false}, {"abc", false}, {"legacy-id", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.value_or("(none)"));
        if (c.stored) env.credentials->setPassword(*c.stored, kService, SecurityManager::kDeviceIdAccountName);
        const auto id = MVHTTPClient(MVHTTPClient::baseURLForHost("api.test")).deviceId();
        if (c.kept)
            EXPECT_EQ(id, c.stored);
        else
            EXPECT_TRUE(std::regex_match(id, uuid)) << id;
        EXPECT_EQ(env.credentials->password(kService, SecurityManager::kDeviceIdAccountName), id);
    }
    // A keychain that refuses the write still gives this process an identifier.
    env.credentials->deletePassword(kService, SecurityManager::kDeviceIdAccountName);
    env.credentials->setFailWrites(true);
    MVHTTPClient refused(MVHTTPClient::baseURLForHost("api.test"));
    EXPECT_EQ(refused.deviceId().size(), 36u);
}

class RecordingHandler : public MVHTTPClientGlobalErrorHandler {
  public:
    void globalNetworkErrorOccurred(const ErrorPtr& error) override {
        codes.push_back(error->code);
        onMainQueue = onMainQueue && isOnMainQueue();
    }
    std::vector<long long> codes;
    bool onMainQueue = true;
};

// The caller gets the failure as received; only the global handler sees service-wide errors, mapped.
TEST_F(MVHTTPClientTest, StandardFailurePathReportsServiceWideErrorsAndHandles401) {
    auto handler = std::make_shared<RecordingHandler>();
    for (const char* account : {SecurityManager::kDeviceTokenAccountName, SecurityManager::kIdentityGuidName,
                                SecurityManager::kAccountGuidName, SecurityManager::kUserNameAccountName,
                                SecurityManager::kDeviceIdAccountName})
        env.credentials->setPassword(std::string("value-") + account + "-x", kService, account);
    auto c = client();  // reads the stored credentials
    c->setGlobalErrorHandler(handler);
    const auto deviceId = c->deviceId();

    struct Case {
        test::ScriptedReply reply;
        long long received;
        bool document;
        std::vector<long long> reported;
    } cases[] = {
        {xmlReply(503, errorDocument("Failure", "ST1009")), kURLErrorBadServerResponse, true, {1009}},
        {reply(403, "text/html", "<html>nope</html>"), kURLErrorBadServerResponse, false, {1005}},
        {xmlReply(500, errorDocument("Failure", "ST2002")), kURLErrorBadServerResponse, true, {}},
        {failedReply(makeError(kURLErrorDomain, kURLErrorTimedOut, "timed out")), kURLErrorTimedOut, false, {}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(std::to_string(k.reply.status) + " " + k.reply.body);
        handler->codes.clear();
        env.network->answerAll(k.reply);
        auto [error, document] = env.await<ErrorPtr, XMLDocumentPtr>(
            [&](auto done) { c->getPath("browse", Json::object(), false, nullptr, c->onFailure(done)); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code, k.received);
        EXPECT_EQ(document != nullptr, k.document);
        EXPECT_EQ(handler->codes, k.reported);
    }
    // An error document in a successful answer is read off the main queue; the handler still hears of it there.
    handler->codes.clear();
    env.network->answerAll(xmlReply(200, errorDocument("Failure", "ST1005")));
    auto [error, document] = env.await<ErrorPtr, XMLDocumentPtr>(
        [&](auto done) { c->getPath("browse", Json::object(), false, c->onSuccess(done), nullptr); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, 1005);
    EXPECT_EQ(handler->codes, std::vector<long long>{1005});
    EXPECT_TRUE(handler->onMainQueue);

    int authenticationRequired = 0;
    bool completedBeforeNotice = false;
    bool completed = false;
    auto token =
        env.platform().notificationCenter().addObserver(MVNotificationAuthenticationRequired, [&](const Notification&) {
            ++authenticationRequired;
            completedBeforeNotice = completed;
        });
    env.network->answerAll(xmlReply(401, errorDocument("Failure", "ST3001")));
    c->getPath("browse", Json::object(), false, nullptr,
               c->onFailure([&](ErrorPtr, XMLDocumentPtr) { completed = true; }));
    ASSERT_TRUE(env.runUntil([&] { return authenticationRequired > 0; }));
    env.platform().notificationCenter().removeObserver(token);
    EXPECT_TRUE(completedBeforeNotice);
    for (const char* account : {SecurityManager::kDeviceTokenAccountName, SecurityManager::kIdentityGuidName,
                                SecurityManager::kAccountGuidName, SecurityManager::kUserNameAccountName})
        EXPECT_FALSE(env.credentials->password(kService, account)) << account;
    EXPECT_FALSE(c->deviceToken());
    EXPECT_EQ(env.credentials->password(kService, SecurityManager::kDeviceIdAccountName), deviceId);
}

TEST_F(MVHTTPClientTest, ParseStravoErrorFromDocument) {
    struct Case {
        std::string body;
        std::optional<long long> code;
    } cases[] = {
        {errorDocument("Failure", "ST2002"), 2002},
        {errorDocument("Failure", "STXY"), 0},
        {errorDocument("failure", "ST2002"), std::nullopt},
    };
    for (const auto& c : cases) {
        auto doc = XMLDocument::parse(c.body);
        ASSERT_TRUE(doc) << c.body;
        auto error = MVHTTPClient::parseStravoErrorFromDocument(doc);
        ASSERT_EQ(error != nullptr, c.code.has_value()) << c.body;
        if (!error) continue;
        EXPECT_EQ(error->domain, kMovraErrorDomain);
        EXPECT_EQ(error->code, *c.code);
        EXPECT_EQ(error->localizedDescription, "User text");
        EXPECT_EQ(error->failureReason, "System text");
    }
}

TEST_F(MVHTTPClientTest, StatusCheck) {
    struct Case {
        test::ScriptedReply reply;
        std::optional<long long> code;
        bool response;
    } cases[] = {
        {reply(200, "application/rss+xml", "<rss><channel><guid>ROOT</guid></channel></rss>"), std::nullopt, true},
        {xmlReply(200, errorDocument("Failure", "ST1005")), 1005, true},
        {xmlReply(200, errorDocument("Failure", "ST2002")), std::nullopt, true},
        {xmlReply(500, errorDocument("Failure", "ST1009")), kURLErrorBadServerResponse, false},
    };
    auto c = client();
    for (const auto& k : cases) {
        env.network->answerAll(k.reply);
        auto [error, response] =
            env.await<ErrorPtr, XMLDocumentPtr>([&](auto done) { c->checkErrorStatusWithCompletion(done); });
        EXPECT_EQ(error ? std::optional<long long>(error->code) : std::nullopt, k.code)
            << k.reply.status << k.reply.body;
        EXPECT_EQ(response != nullptr, k.response) << k.reply.status << k.reply.body;
    }
}

TEST_F(MVHTTPClientTest, CancelTasksCancelsEveryRunningRequestAndCompletesOnce) {
    env.network->answerAll(heldReply());
    auto c = client();
    std::vector<long long> failures;
    for (int i = 0; i < 2; ++i)
        c->getPath("browse", Json::object(), false, nullptr,
                   [&](const HttpTaskPtr&, const XMLDocumentPtr&, const ErrorPtr& e) { failures.push_back(e->code); });
    int completions = 0;
    c->cancelTasksWithCompletion([&] { ++completions; });
    ASSERT_TRUE(env.runUntil([&] { return failures.size() == 2 && completions > 0; }));
    env.globalQueue->drain();
    env.main().runPending();
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(failures, (std::vector<long long>{kURLErrorCancelled, kURLErrorCancelled}));

    // Nothing running: the completion still comes, once.
    completions = 0;
    c->cancelTasksWithCompletion([&] { ++completions; });
    env.main().runPending();
    EXPECT_EQ(completions, 1);
}

TEST_F(MVHTTPClientTest, ReplacingTheSharedClientCancelsTheOldOnesRequests) {
    env.network->answerAll(heldReply());
    auto old = client("old.test");
    ErrorPtr seen;
    old->getPath("browse", Json::object(), false, nullptr,
                 [&](const HttpTaskPtr&, const XMLDocumentPtr&, const ErrorPtr& e) { seen = e; });
    old.reset();
    auto fresh = client("new.test");
    ASSERT_TRUE(env.runUntil([&] { return seen != nullptr; }));
    EXPECT_EQ(seen->code, kURLErrorCancelled);

    // Without a host the client keeps the host named last.
    auto fallback = MVHTTPClient::initSharedClientWithHost(std::nullopt);
    ASSERT_TRUE(fallback->baseURL());
    EXPECT_EQ(fallback->baseURL()->absoluteString(), "https://new.test/stoffice/client/ios/");
}

TEST_F(MVHTTPClientTest, ImageDownload) {
    auto c = client();
    for (const auto& [answer, decoded] :
         {std::pair{test::pngReply(*test::paintedImage(2, 3)), true}, {reply(200, "text/html", "<html/>"), false}}) {
        env.network->answerAll(answer);
        auto [error, image] = env.await<ErrorPtr, ImagePtr>(
            [&](auto done) { c->downloadImageWithURL(*Url::parse("https://img.test/pic/1?w=300&language=xx"), done); });
        EXPECT_EQ(image ? std::pair(image->width, image->height) : std::pair(0, 0),
                  decoded ? std::pair(2, 3) : std::pair(0, 0))
            << answer.body;
        EXPECT_EQ(error == nullptr, decoded) << answer.body;
    }
    const auto request = env.network->requests().back();
    EXPECT_EQ(request.url, "https://img.test/pic/1?language=sv_mvtk&type=ios&deviceId=" + c->deviceId());
    EXPECT_EQ(request.header("Accept"), "image/*");
}

// Taken as the service's links carry them: not percent-decoded, the last of a key wins.
TEST(MVHTTPClientURLUtilities, ParametersFromURL) {
    auto url = *Url::parse("https://h.test/p/x?a=1&b=%20two&a=3&flag&c=d=e&=empty");
    EXPECT_EQ(MVHTTPClient::getParametersFromURL(url), (Json{{"a", "3"}, {"b", "%20two"}, {"", "empty"}}));
    EXPECT_TRUE(MVHTTPClient::getParametersFromURL(*Url::parse("https://h.test/p")).empty());
}

}  // namespace
}  // namespace movra
