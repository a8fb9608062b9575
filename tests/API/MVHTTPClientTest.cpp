// The API client's request core against a scripted network: base URLs, request construction, headers,
// the standard failure path, error documents, cancellation and the URL utilities.
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include "API/MVHTTPClient.h"
#include "API/MVHTTPClientGlobalErrorHandler.h"
#include "App/MVDiscriminator.h"
#include "App/SecurityManager.h"
#include "Foundation/Strings.h"
#include "support/TestPlatform.h"

namespace movra {
namespace {

using test::ScriptedReply;

constexpr const char* kService = SecurityManager::kPasswordServiceName;

std::string errorDocument(const std::string& status, const std::string& code, const std::string& user = "User text",
                          const std::string& system = "System text") {
    return "<?xml version=\"1.0\"?><result><status>" + status + "</status><errorCode>" + code +
           "</errorCode><userMessage>" + user + "</userMessage><systemMessage>" + system + "</systemMessage></result>";
}

struct Recorded {
    bool done = false;
    bool succeeded = false;
    HttpTaskPtr task;
    XMLDocumentPtr document;
    ErrorPtr error;
};

class MVHTTPClientTest : public ::testing::Test {
protected:
    MVHTTPClientTest() {
        MVDiscriminator::initSharedDiscriminatorWithJSON({{"url", "api.test"}, {"cc", {"SE"}}, {"name", "MVTK"}});
    }

    std::shared_ptr<MVHTTPClient> client(const std::string& host = "api.test") {
        return MVHTTPClient::initSharedClientWithHost(host);
    }

    Recorded send(MVHTTPClient& c, const std::string& method, const std::string& path, Json params = Json::object()) {
        auto r = std::make_shared<Recorded>();
        c.commonRequestWithMethod(
            method, path, params, false,
            [r](const HttpTaskPtr& t, const XMLDocumentPtr& d) {
                *r = {true, true, t, d, nullptr};
            },
            [r](const HttpTaskPtr& t, const XMLDocumentPtr& d, const ErrorPtr& e) {
                *r = {true, false, t, d, e};
            });
        EXPECT_TRUE(env.runUntil([r] { return r->done; }));
        return *r;
    }

    test::TestPlatform env;
};

TEST_F(MVHTTPClientTest, BaseURLAndPathResolution) {
    struct Case {
        std::string host, path, url;
    } cases[] = {
        {"api.test", "browse", "https://api.test/stoffice/client/ios/browse"},
        {"api.test:8443", "browse/landing", "https://api.test:8443/stoffice/client/ios/browse/landing"},
        {"http://plain.test", "browse", "http://plain.test/stoffice/client/ios/browse"},
        {"https://secure.test/base", "browse", "https://secure.test/base/stoffice/client/ios/browse"},
        {"api.test", "/stoffice/client/device/logout", "https://api.test/stoffice/client/device/logout"},
    };
    for (const auto& c : cases) {
        auto base = MVHTTPClient::baseURLForHost(c.host);
        ASSERT_TRUE(base) << c.host;
        auto request = MVHTTPClient(base).requestWithMethod("GET", c.path, Json::object());
        ASSERT_TRUE(request) << c.host;
        EXPECT_EQ(request->url, c.url) << c.host << " " << c.path;
    }
}

TEST_F(MVHTTPClientTest, LanguageReplacesTheCallersAndParametersGoInTheQueryForEveryMethod) {
    env.network->setScript([](const HttpRequest&) { return ScriptedReply{200, {}, "", nullptr, false}; });
    env.locale->languageCode_ = "nb";
    auto c = client();
    for (const char* method : {"GET", "POST", "PUT", "DELETE"}) {
        auto r = send(*c, method, "addSavedAsset", {{"guid", "a b&c"}, {"language", "xx"}});
        ASSERT_TRUE(r.task);
        EXPECT_EQ(r.task->request().url, "https://api.test/stoffice/client/ios/addSavedAsset?guid=a%20b%26c&language=no_mvtk")
            << method;
        EXPECT_TRUE(r.task->request().body.empty()) << method;
    }
}

TEST_F(MVHTTPClientTest, StandardHeadersInOrder) {
    env.network->setScript([](const HttpRequest&) { return ScriptedReply{}; });
    auto c = client();
    auto first = send(*c, "GET", "browse");
    std::vector<std::string> names;
    for (const auto& [name, value] : first.task->request().headers) names.push_back(name);
    // No device token yet: no token header.
    EXPECT_EQ(names, (std::vector<std::string>{"Accept-Language", "User-Agent", "X-Stravo-DeviceId", "X-Client-Version",
                                               "X-Client-Name"}));
    const auto& request = first.task->request();
    EXPECT_EQ(request.header("X-Client-Version"), "2.4.1.311");
    EXPECT_EQ(request.header("X-Client-Name"), "iOS");
    EXPECT_EQ(request.header("Accept-Language"), "sv-SE;q=1, en;q=0.9");
    ASSERT_TRUE(request.header("X-Stravo-DeviceId"));
    EXPECT_EQ(request.header("X-Stravo-DeviceId")->size(), 36u);

    c->setDeviceToken("TOKEN");
    auto second = send(*c, "GET", "browse");
    EXPECT_EQ(second.task->request().header("X-Stravo-DeviceToken"), "TOKEN");
    EXPECT_EQ(second.task->request().header("X-Stravo-DeviceId"), request.header("X-Stravo-DeviceId"));
}

TEST_F(MVHTTPClientTest, DeviceIdentifierIsKeptOrReplaced) {
    struct Case {
        std::optional<std::string> stored;
        bool kept;
    } cases[] = {{std::nullopt, false}, {"abc", false}, {"11111111-2222-4333-8444-555555555555", true}};
    for (const auto& c : cases) {
        if (c.stored)
            env.credentials->setPassword(*c.stored, kService, SecurityManager::kDeviceIdAccountName);
        else
            env.credentials->deletePassword(kService, SecurityManager::kDeviceIdAccountName);
        MVHTTPClient fresh(MVHTTPClient::baseURLForHost("api.test"));
        const auto id = fresh.deviceId();
        if (c.kept) {
            EXPECT_EQ(id, *c.stored);
        } else {
            EXPECT_EQ(id.size(), 36u);
            EXPECT_EQ(id, toUpper(id));
            EXPECT_EQ(env.credentials->password(kService, SecurityManager::kDeviceIdAccountName), id);
        }
    }
    // A keychain that refuses the write still gives this process an identifier.
    env.credentials->deletePassword(kService, SecurityManager::kDeviceIdAccountName);
    env.credentials->setFailWrites(true);
    MVHTTPClient refused(MVHTTPClient::baseURLForHost("api.test"));
    EXPECT_EQ(refused.deviceId().size(), 36u);
}

TEST_F(MVHTTPClientTest, FailuresKeepTheDocumentAndTheErrorAsReceived) {
    struct Case {
        int status;
        std::string type, body;
        bool document;
    } cases[] = {
        {500, "application/xml", errorDocument("Failure", "ST2002"), true},
        {403, "text/html", "<html>nope</html>", false},
        {404, "text/plain", "missing", false},
    };
    for (const auto& c : cases) {
        env.network->setScript([&c](const HttpRequest&) {
            return ScriptedReply{c.status, {{"Content-Type", c.type}}, c.body, nullptr, false};
        });
        auto r = send(*client(), "GET", "browse");
        EXPECT_FALSE(r.succeeded) << c.status;
        ASSERT_TRUE(r.error) << c.status;
        EXPECT_EQ(r.error->code, kURLErrorBadServerResponse) << c.status;
        EXPECT_EQ(r.document != nullptr, c.document) << c.status;
        EXPECT_EQ(r.task->response()->statusCode, c.status);
    }
    // A transport failure has no response and no document.
    env.network->setScript([](const HttpRequest&) {
        return ScriptedReply{0, {}, "", makeError(kURLErrorDomain, kURLErrorTimedOut, "timed out"), false};
    });
    auto r = send(*client(), "GET", "browse");
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->code, kURLErrorTimedOut);
    EXPECT_FALSE(r.document);
}

class RecordingHandler : public MVHTTPClientGlobalErrorHandler {
public:
    void globalNetworkErrorOccurred(const ErrorPtr& error) override { codes.push_back(error->code); }
    std::vector<long long> codes;
};

TEST_F(MVHTTPClientTest, StandardFailurePathReportsServiceWideErrorsAndHandles401) {
    auto c = client();
    auto handler = std::make_shared<RecordingHandler>();
    c->setGlobalErrorHandler(handler);
    for (const char* account : {SecurityManager::kDeviceTokenAccountName, SecurityManager::kIdentityGuidName,
                                SecurityManager::kAccountGuidName, SecurityManager::kUserNameAccountName,
                                SecurityManager::kDeviceIdAccountName})
        env.credentials->setPassword(std::string("value-") + account + "-x", kService, account);
    c = client();  // reads the stored credentials
    c->setGlobalErrorHandler(handler);
    const auto deviceId = c->deviceId();
    ASSERT_EQ(c->deviceToken(), std::string("value-") + SecurityManager::kDeviceTokenAccountName + "-x");

    struct Case {
        int status;
        std::string type, body;
        std::vector<long long> reported;
    } cases[] = {
        {503, "application/xml", errorDocument("Failure", "ST1009"), {1009}},
        {403, "application/xml", errorDocument("Failure", "ST1005"), {1005}},
        {403, "text/plain", "forbidden", {1005}},
        {500, "application/xml", errorDocument("Failure", "ST2002"), {}},
    };
    for (const auto& k : cases) {
        handler->codes.clear();
        env.network->setScript([&k](const HttpRequest&) {
            return ScriptedReply{k.status, {{"Content-Type", k.type}}, k.body, nullptr, false};
        });
        ErrorPtr received;
        bool done = false;
        c->getPath("browse", Json::object(), false, nullptr, c->onFailure([&](ErrorPtr e, XMLDocumentPtr) {
            received = e;
            done = true;
        }));
        ASSERT_TRUE(env.runUntil([&] { return done; }));
        // The completion gets the error as received; only the handler sees the mapped one.
        EXPECT_EQ(received->code, kURLErrorBadServerResponse) << k.status;
        EXPECT_EQ(handler->codes, k.reported) << k.status << " " << k.body;
    }

    int authenticationRequired = 0;
    bool completedBeforeNotice = false;
    bool completed = false;
    auto token = env.platform().notificationCenter().addObserver(MVNotificationAuthenticationRequired, [&](const Notification&) {
        ++authenticationRequired;
        completedBeforeNotice = completed;
    });
    env.network->setScript([](const HttpRequest&) {
        return ScriptedReply{401, {{"Content-Type", "application/xml"}}, errorDocument("Failure", "ST3001"), nullptr, false};
    });
    c->getPath("browse", Json::object(), false, nullptr, c->onFailure([&](ErrorPtr, XMLDocumentPtr) { completed = true; }));
    ASSERT_TRUE(env.runUntil([&] { return authenticationRequired > 0; }));
    env.platform().notificationCenter().removeObserver(token);
    EXPECT_TRUE(completedBeforeNotice);
    for (const char* account : {SecurityManager::kDeviceTokenAccountName, SecurityManager::kIdentityGuidName,
                                SecurityManager::kAccountGuidName, SecurityManager::kUserNameAccountName})
        EXPECT_FALSE(env.credentials->password(kService, account)) << account;
    EXPECT_FALSE(c->deviceToken());
    EXPECT_FALSE(c->identityGuid());
    EXPECT_FALSE(c->accountGuid());
    EXPECT_FALSE(c->userName());
    EXPECT_EQ(c->deviceId(), deviceId);
    EXPECT_EQ(env.credentials->password(kService, SecurityManager::kDeviceIdAccountName), deviceId);
}

TEST_F(MVHTTPClientTest, ParseStravoErrorFromDocument) {
    struct Case {
        std::string body;
        std::optional<long long> code;
    } cases[] = {
        {errorDocument("Failure", "ST2002"), 2002},
        {errorDocument("Failure", "ST1005"), 1005},
        {errorDocument("Failure", "STXY"), 0},
        {errorDocument("failure", "ST2002"), std::nullopt},
        {errorDocument("Success", "ST2002"), std::nullopt},
        {"<rss><channel><guid>ROOT</guid></channel></rss>", std::nullopt},
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
        int status;
        std::string type, body;
        std::optional<long long> code;
        bool response;
    } cases[] = {
        {200, "application/rss+xml", "<rss><channel><guid>ROOT</guid></channel></rss>", std::nullopt, true},
        {200, "application/xml", errorDocument("Failure", "ST1009"), 1009, true},
        {200, "application/xml", errorDocument("Failure", "ST1005"), 1005, true},
        {200, "application/xml", errorDocument("Failure", "ST2002"), std::nullopt, true},
        {403, "text/plain", "no", 1005, false},
        {500, "application/xml", errorDocument("Failure", "ST1009"), kURLErrorBadServerResponse, false},
    };
    auto c = client();
    for (const auto& k : cases) {
        env.network->setScript([&k](const HttpRequest&) {
            return ScriptedReply{k.status, {{"Content-Type", k.type}}, k.body, nullptr, false};
        });
        bool done = false;
        ErrorPtr error;
        XMLDocumentPtr response;
        c->checkErrorStatusWithCompletion([&](ErrorPtr e, XMLDocumentPtr r) {
            error = e;
            response = r;
            done = true;
        });
        ASSERT_TRUE(env.runUntil([&] { return done; }));
        EXPECT_EQ(error ? std::optional<long long>(error->code) : std::nullopt, k.code) << k.status << k.body;
        EXPECT_EQ(response != nullptr, k.response) << k.status << k.body;
    }
    EXPECT_EQ(env.network->requests().back().url, "https://api.test/stoffice/client/ios/browse?language=sv_mvtk");
}

TEST_F(MVHTTPClientTest, CancelTasksCancelsEveryRunningRequestAndCompletesOnce) {
    env.network->setScript([](const HttpRequest&) { return ScriptedReply{200, {}, "", nullptr, /*hold=*/true}; });
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
    env.network->setScript([](const HttpRequest&) { return ScriptedReply{200, {}, "", nullptr, /*hold=*/true}; });
    auto old = client("old.test");
    ErrorPtr seen;
    old->getPath("browse", Json::object(), false, nullptr,
                 [&](const HttpTaskPtr&, const XMLDocumentPtr&, const ErrorPtr& e) { seen = e; });
    old.reset();
    auto fresh = client("new.test");
    ASSERT_TRUE(env.runUntil([&] { return seen != nullptr; }));
    EXPECT_EQ(seen->code, kURLErrorCancelled);
    EXPECT_EQ(MVHTTPClient::sharedClient(), fresh);

    // Without a host the client keeps the host named last.
    auto fallback = MVHTTPClient::initSharedClientWithHost(std::nullopt);
    ASSERT_TRUE(fallback->baseURL());
    EXPECT_EQ(fallback->baseURL()->absoluteString(), "https://new.test/stoffice/client/ios/");
}

std::string pngOf(int width, int height) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3, 200);
    std::string out;
    stbi_write_png_to_func([](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
    }, &out, width, height, 3, pixels.data(), width * 3);
    return out;
}

TEST_F(MVHTTPClientTest, ImageDownload) {
    struct Case {
        std::string type, body;
        bool decoded;
    } cases[] = {
        {"image/png", pngOf(2, 3), true},
        {"text/html", "<html/>", false},
        {"image/png", "not a picture", false},
    };
    auto c = client();
    for (const auto& k : cases) {
        env.network->setScript([&k](const HttpRequest&) {
            return ScriptedReply{200, {{"Content-Type", k.type}}, k.body, nullptr, false};
        });
        bool done = false;
        ErrorPtr error;
        ImagePtr image;
        c->downloadImageWithURL(*Url::parse("https://img.test/pic/1?w=300&language=xx"), [&](ErrorPtr e, ImagePtr i) {
            error = e;
            image = i;
            done = true;
        });
        ASSERT_TRUE(env.runUntil([&] { return done; }));
        EXPECT_EQ(image != nullptr, k.decoded) << k.type;
        EXPECT_EQ(error == nullptr, k.decoded) << k.type;
        if (image) {
            EXPECT_EQ(std::make_pair(image->width, image->height), std::make_pair(2, 3));
        }
    }
    const auto request = env.network->requests().back();
    EXPECT_EQ(request.url, "https://img.test/pic/1?language=sv_mvtk&type=ios&deviceId=" + c->deviceId());
    EXPECT_EQ(request.header("Accept"), "image/*");

    // The shared session is not the client's: cancelling the client's requests leaves images alone.
    env.network->setScript([](const HttpRequest&) { return ScriptedReply{200, {}, "", nullptr, /*hold=*/true}; });
    bool imageDone = false;
    auto task = c->downloadImageWithURL(*Url::parse("https://img.test/pic/2"), [&](ErrorPtr, ImagePtr) { imageDone = true; });
    bool cancelled = false;
    c->cancelTasksWithCompletion([&] { cancelled = true; });
    ASSERT_TRUE(env.runUntil([&] { return cancelled; }));
    EXPECT_EQ(task->state(), HttpTask::State::Running);
    task->cancel();
    EXPECT_TRUE(env.runUntil([&] { return imageDone; }));
}

TEST(MVHTTPClientURLUtilities, ParametersAndPaths) {
    auto url = *Url::parse("https://h.test/p/x?a=1&b=%20two&a=3&flag&c=d=e&=empty");
    auto params = MVHTTPClient::getParametersFromURL(url);
    EXPECT_EQ(params, (Json{{"a", "3"}, {"b", "%20two"}, {"", "empty"}}));
    EXPECT_EQ(MVHTTPClient::absolutePathWithoutQuery(url), "https://h.test/p/x");
    EXPECT_EQ(MVHTTPClient::absolutePathWithoutQuery(*Url::parse("https://h.test/p")), "https://h.test/p");
    EXPECT_TRUE(MVHTTPClient::getParametersFromURL(*Url::parse("https://h.test/p")).empty());
}

}  // namespace
}  // namespace movra
