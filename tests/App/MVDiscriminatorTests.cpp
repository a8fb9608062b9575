// Region tenant: string mapping, the discriminator answer, the stored tenant, the discriminator client's
// error mapping and the home tenant.
#include "API/MVHTTPClient.h"
#include "App/MVDiscriminator.h"
#include "App/MVDiscriminatorClient.h"
#include "Model/MVCoreDataService.h"
#include "Model/ProfileManager.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

using test::jsonReply;
using test::reply;
using test::ScriptedReply;
using test::TestPlatform;

TestPlatform::Options options() {
    TestPlatform::Options o;
    o.configuration.discriminatorHost = "disc.test";
    return o;
}

// Names are exact, country codes of either letter case, nothing is trimmed.
TEST(MVDiscriminator, RegionTenantForString) {
    // clang-format off
    const std::pair<std::optional<std::string>, MVRegionTenant> cases[] = {
        {"Movra Solara", MVRegionTenantSolara}, {"MVSL", MVRegionTenantSolara}, {"es", MVRegionTenantSolara},
        {"Movra Tavik", MVRegionTenantTavik},   {"Fi", MVRegionTenantTavik},    {"mvtk", MVRegionTenantNone},
        {"SE ", MVRegionTenantNone},            {"GB", MVRegionTenantNone},     {std::nullopt, MVRegionTenantNone},
    };
    // clang-format on
    for (const auto& [string, tenant] : cases)
        EXPECT_EQ(MVDiscriminator::regionTenantForString(string), tenant) << string.value_or("(nil)");
}

TEST(MVDiscriminator, CurrentTenantChangedAgainstTheStoredTenant) {
    struct Case {
        std::optional<std::string> stored;
        const char* name;
        bool changed;
        std::optional<std::string> storedAfter;
    };
    const Case cases[] = {
        {std::nullopt, "MVTK", true, "Movra Tavik"},  // first run
        {"Movra Tavik", "se", false, "Movra Tavik"},  //
        {"Movra Tavik", "ES", true, "Movra Solara"},  //
        {"Movra Tavik", "XX", true, "Movra Tavik"},   // unrecognised: a change, but not stored
        {std::nullopt, "XX", false, std::nullopt},    //
    };
    for (const auto& c : cases) {
        TestPlatform platform;
        if (c.stored) platform.defaults->setObject("currentTenant", *c.stored);
        auto discriminator = MVDiscriminator::initSharedDiscriminatorWithJSON({{"url", "api.test"}, {"name", c.name}});
        EXPECT_EQ(discriminator->currentTenantChanged(), c.changed) << c.stored.value_or("-") << " -> " << c.name;
        EXPECT_EQ(platform.defaults->stringForKey("currentTenant"), c.storedAfter) << c.name;
    }
}

TEST(MVDiscriminator, TheAnswersURLNamesAnHTTPSHostOnly) {
    TestPlatform platform;
    const std::pair<const char*, const char*> cases[] = {
        {"https://api.test", "https://api.test/stoffice/client/ios/"},
        {"HTTP://api.test:8443/", "https://api.test:8443/stoffice/client/ios/"},
        {"httpbin.example", "https://httpbin.example/stoffice/client/ios/"},
        // A scheme inside a scheme is not peeled off until plain HTTP appears.
        {"hthttp://tp://h", ""},
        {"https://http://elsewhere.example", ""},
        {"api.test/x?y", ""},
    };
    for (const auto& [answer, base] : cases) {
        SCOPED_TRACE(answer);
        auto discriminator = MVDiscriminator::initSharedDiscriminatorWithJSON({{"url", answer}, {"name", "MVTK"}});
        if (*base == '\0') {
            EXPECT_EQ(discriminator->url(), "");
            continue;
        }
        auto url = MVHTTPClient::baseURLForHost(discriminator->url());
        ASSERT_TRUE(url);
        EXPECT_EQ(url->absoluteString(), base);
    }
}

TEST(MVDiscriminatorClient, MapsTheAnswerToServiceErrors) {
    struct Case {
        const char* name;
        ScriptedReply reply;
        std::string domain;  // empty: no error
        std::int64_t code;
    };
    const auto offline = makeError(kURLErrorDomain, kURLErrorNotConnectedToInternet, "offline");
    const Case cases[] = {
        {"ok", jsonReply(200, R"({"url":"https://api.test","cc":["SE"],"name":"MVTK"})"), "", 0},
        {"403 beats ST1009", jsonReply(403, R"({"errorCode":"ST1009"})"), kMovraErrorDomain, 1005},
        {"ST1009", jsonReply(200, R"({"errorCode":"ST1009"})"), kMovraErrorDomain, 1009},
        {"500 no code", jsonReply(500, R"({"message":"down"})"), kResponseSerializationErrorDomain,
         kURLErrorBadServerResponse},
        {"other code", jsonReply(200, R"({"errorCode":"ST4711"})"), kMovraErrorDomain, 99999},
        {"offline", test::failedReply(offline), kURLErrorDomain, kURLErrorNotConnectedToInternet},
        {"malformed", jsonReply(200, R"({"url": "https://api.te)"), kResponseSerializationErrorDomain,
         kURLErrorCannotDecodeContentData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestPlatform platform(options());
        platform.network->answerAll(c.reply);
        MVDiscriminatorClient client;
        auto [error, answer] =
            platform.await<ErrorPtr, Json>([&](auto done) { client.getTenantDiscriminatorWithCompletion(done); });
        if (c.domain.empty()) {
            EXPECT_FALSE(error) << error->summary();
        } else {
            ASSERT_TRUE(error);
            EXPECT_EQ(error->domain, c.domain);
            EXPECT_EQ(error->code, c.code);
        }
        // Whatever JSON came is handed on, also with an error.
        const Json body = Json::parse(c.reply.body, nullptr, /*allow_exceptions=*/false);
        EXPECT_EQ(answer, body.is_discarded() ? Json() : body);
        EXPECT_EQ(platform.network->requests().at(0).url, "https://disc.test/Movra");
    }
}

std::string rootMenu(const std::vector<std::string>& keywords) {
    std::string items;
    for (const auto& k : keywords)
        items += "<item><guid>" + k + "</guid><media:keywords>" + k + "</media:keywords></item>";
    return "<rss xmlns:media=\"http://search.yahoo.com/mrss/\"><channel><guid>ROOT</guid><ttl>15</ttl>" + items +
           "</channel></rss>";
}

TEST(MVDiscriminator, KidsModeAndProfilesAreCachedOnlyOnceKnown) {
    test::TemporaryDirectory directory;
    TestPlatform platform;
    auto store = std::make_shared<MVCoreDataService>(directory.path());
    ASSERT_FALSE(store->setupStack());
    MVCoreDataService::setRegistered(store);
    auto discriminator = MVDiscriminator::initSharedDiscriminatorWithJSON({{"url", "api.test"}, {"name", "MVTK"}});
    MVHTTPClient::initSharedClientWithHost("api.test");
    ScriptedReply next = reply(500, "text/plain", "down");
    platform.network->setScript([&next](const HttpRequest&) { return next; });

    // (profiles allowed, kids mode allowed, error)
    auto ask = [&] {
        return platform.await<bool, bool, ErrorPtr>([&](auto done) { discriminator->allowsProfilesAndKidsMode(done); });
    };
    auto [failedProfiles, failedKids, failed] = ask();
    EXPECT_TRUE(failed);
    EXPECT_FALSE(failedProfiles || failedKids);
    EXPECT_FALSE(discriminator->cachedAllowsKidsMode());

    // Only the lockable entry counts, in any letter case; the answer is then kept.
    next = reply(200, "application/rss+xml", rootMenu({"Featured", "Kids, LOCKABLE", "watchlist"}));
    const auto before = platform.network->requests().size();
    EXPECT_EQ(ask(), std::make_tuple(true, true, ErrorPtr()));
    next = reply(200, "application/rss+xml", rootMenu({"Featured"}));
    EXPECT_EQ(ask(), std::make_tuple(true, true, ErrorPtr()));
    EXPECT_EQ(platform.network->requests().size(), before + 1);

    // A new region check starts afresh (the stored menu went with the cache clearing).
    platform.await<ErrorPtr>([&](auto done) { store->deleteRootMenuChannel(done); });
    discriminator = MVDiscriminator::initSharedDiscriminatorWithJSON({{"url", "api.test"}, {"name", "MVTK"}});
    EXPECT_EQ(ask(), std::make_tuple(false, false, ErrorPtr()));
}

// The web domain is the home tenant's, known only once the account was read.
TEST(MVDiscriminator, TheWebDomainIsTheHomeTenants) {
    TestPlatform platform;
    MVDiscriminator::initSharedDiscriminatorWithJSON({{"url", "api.test"}, {"name", "MVSL"}});
    EXPECT_EQ(MVDiscriminator::tenantUserURL(), "");
    MVHTTPClient::initSharedClientWithHost("api.test");
    platform.network->answerAll(
        test::xmlReply(200, "<result><status>Success</status><account><country>ES</country></account></result>"));
    platform.await<>([&](auto done) {
        MVDiscriminator::sharedDiscriminator()->setupHomeTenantWithSuccess(done, [done](ErrorPtr) { done(); });
    });
    EXPECT_EQ(MVDiscriminator::tenantUserURL(), "movrasolara.es");
}

}  // namespace
}  // namespace movra
