// The service emulator over real HTTPS: discriminator, strict client API checks, root menu feed, faults
// and request log, as a client sees them.
#include "movra-backend/BackendServer.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

namespace movra::backend {
namespace {

constexpr const char* kBrowse = "/stoffice/client/ios/browse";

// A parsed XML document with namespace-aware XPath lookups.
class XmlDoc {
  public:
    explicit XmlDoc(const std::string& text)
        : doc_(xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                             XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
               xmlFreeDoc) {}

    bool wellFormed() const { return doc_ != nullptr; }

    std::vector<std::string> texts(const std::string& xpath) const {
        std::vector<std::string> result;
        std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> context(xmlXPathNewContext(doc_.get()),
                                                                                 xmlXPathFreeContext);
        xmlXPathRegisterNs(context.get(), BAD_CAST "stravo", BAD_CAST kStravoNamespace);
        xmlXPathRegisterNs(context.get(), BAD_CAST "media", BAD_CAST kMediaNamespace);
        xmlXPathRegisterNs(context.get(), BAD_CAST "dcterms", BAD_CAST kDctermsNamespace);
        std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> found(
            xmlXPathEvalExpression(BAD_CAST xpath.c_str(), context.get()), xmlXPathFreeObject);
        if (!found || !found->nodesetval) return result;
        for (int i = 0; i < found->nodesetval->nodeNr; ++i) {
            xmlChar* content = xmlNodeGetContent(found->nodesetval->nodeTab[i]);
            result.emplace_back(content ? reinterpret_cast<const char*>(content) : "");
            xmlFree(content);
        }
        return result;
    }

    std::string text(const std::string& xpath) const {
        auto all = texts(xpath);
        return all.empty() ? "<none>" : all.front();
    }

    /// Namespace URI declared on the root element for `prefix`.
    std::string rootNamespace(const std::string& prefix) const {
        for (xmlNs* ns = xmlDocGetRootElement(doc_.get())->nsDef; ns; ns = ns->next) {
            if (ns->prefix && prefix == reinterpret_cast<const char*>(ns->prefix)) {
                return reinterpret_cast<const char*>(ns->href);
            }
        }
        return "<undeclared>";
    }

  private:
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc_;
};

httplib::Headers standardHeaders() {
    return {{"X-Stravo-DeviceId", "8A1E3C52-7F0B-4D1C-9E2A-1B2C3D4E5F60"},
            {"X-Client-Version", "3.2.417"},
            {"X-Client-Name", "iOS"}};
}

class BackendServerTest : public ::testing::Test {
  protected:
    void SetUp() override { start({}); }

    void start(BackendServer::Options options) {
        options.dataDir = dataDir_.file("backend");
        server_ = std::make_unique<BackendServer>(std::move(options));
        auto error = server_->start();
        ASSERT_FALSE(error) << *error;
    }

    std::unique_ptr<httplib::SSLClient> client() const {
        auto client = std::make_unique<httplib::SSLClient>("127.0.0.1", server_->port());
        client->set_ca_cert_path(server_->caFile().c_str());
        client->enable_server_certificate_verification(true);
        return client;
    }

    httplib::Result get(const std::string& target, const httplib::Headers& headers = {}) const {
        return client()->Get(target.c_str(), headers);
    }

    httplib::Result browse(const std::string& language = "sv_mvtk") const {
        return get(std::string(kBrowse) + "?language=" + language, standardHeaders());
    }

    httplib::Result post(const std::string& path, const std::string& body) const {
        return client()->Post(path.c_str(), body, "application/json");
    }

    test::TemporaryDirectory dataDir_;
    std::unique_ptr<BackendServer> server_;
};

TEST_F(BackendServerTest, DiscriminatorAnswersTheConfiguredTenantAndItsFaults) {
    struct Case {
        const char* name;
        std::function<void(BackendServer&)> configure;
        int status;
        Json body;  // "url" is added for successful answers
    };
    const std::vector<Case> cases = {
        {"default Tavik", [](BackendServer&) {}, 200, {{"cc", {"SE"}}, {"name", "MVTK"}}},
        {"Solara", [](BackendServer& s) { s.setTenant(Tenant::solara()); }, 200, {{"cc", {"ES"}}, {"name", "MVSL"}}},
        {"Tavik in Norway",
         [](BackendServer& s) { s.setTenant(Tenant::tavik(), "NO"); },
         200,
         {{"cc", {"NO"}}, {"name", "MVTK"}}},
        {"unknown tenant",
         [](BackendServer& s) { s.faults().setUnknownTenant(true); },
         200,
         {{"cc", {"SE"}}, {"name", "Movra Nowhere"}}},
        {"geo-blocked", [](BackendServer& s) { s.faults().setGeoBlocked(true); }, 403, {{"errorCode", "ST1005"}}},
        {"maintenance", [](BackendServer& s) { s.faults().setMaintenance(true); }, 503, {{"errorCode", "ST1009"}}},
        {"injected failure without code", [](BackendServer& s) { s.faults().failNext(1, 500); }, 500, Json::object()},
        {"injected failure with code",
         [](BackendServer& s) { s.faults().failNext(1, 500, "ST1234"); },
         500,
         {{"errorCode", "ST1234"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server_->faults().reset();
        server_->setTenant(Tenant::tavik());
        c.configure(*server_);

        auto result = get("/Movra");
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, c.status);
        EXPECT_EQ(result->get_header_value("Content-Type"), "application/json");
        Json expected = c.body;
        if (c.status == 200) expected["url"] = server_->baseHost();
        Json answer = Json::parse(result->body);
        EXPECT_EQ(answer.size(), expected.size()) << answer.dump();
        for (auto& [key, value] : expected.items()) EXPECT_EQ(answer[key], value) << key;
    }
}

TEST_F(BackendServerTest, ClientApiRefusesRequestsWithoutTheStandardHeadersOrTenantLanguage) {
    struct Case {
        const char* name;
        std::function<void(httplib::Headers&)> editHeaders;
        std::string language;  // "-" sends no language parameter
        const char* namedInSystemMessage;
    };
    auto without = [](const char* header) { return [=](httplib::Headers& h) { h.erase(header); }; };
    auto with = [](const char* header, const char* value) {
        return [=](httplib::Headers& h) {
            h.erase(header);
            h.emplace(header, value);
        };
    };
    auto unchanged = [](httplib::Headers&) {};
    const std::vector<Case> cases = {
        {"no device id", without("X-Stravo-DeviceId"), "sv_mvtk", "X-Stravo-DeviceId"},
        {"empty device id", with("X-Stravo-DeviceId", ""), "sv_mvtk", "X-Stravo-DeviceId"},
        {"no client version", without("X-Client-Version"), "sv_mvtk", "X-Client-Version"},
        {"version without build", with("X-Client-Version", "3"), "sv_mvtk", "X-Client-Version"},
        {"version not numeric", with("X-Client-Version", "3.x"), "sv_mvtk", "X-Client-Version"},
        {"no client name", without("X-Client-Name"), "sv_mvtk", "X-Client-Name"},
        {"other client name", with("X-Client-Name", "Android"), "sv_mvtk", "X-Client-Name"},
        {"client name in other case", with("X-Client-Name", "ios"), "sv_mvtk", "X-Client-Name"},
        {"no language", unchanged, "-", "language"},
        {"language without tenant suffix", unchanged, "sv", "language"},
        {"language of the other tenant", unchanged, "sv_movrasolara", "_mvtk"},
        {"suffix without language code", unchanged, "_mvtk", "language"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        httplib::Headers headers = standardHeaders();
        c.editHeaders(headers);
        const std::string target = c.language == "-" ? kBrowse : std::string(kBrowse) + "?language=" + c.language;

        auto result = get(target, headers);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 400);
        EXPECT_EQ(result->get_header_value("Content-Type"), "application/xml");
        XmlDoc doc(result->body);
        ASSERT_TRUE(doc.wellFormed()) << result->body;
        EXPECT_EQ(doc.text("/result/status"), "Failure");
        EXPECT_EQ(doc.text("/result/errorCode"), "ST4000");
        EXPECT_FALSE(doc.text("/result/userMessage").empty());
        EXPECT_NE(doc.text("/result/systemMessage").find(c.namedInSystemMessage), std::string::npos)
            << doc.text("/result/systemMessage");
    }

    auto accepted = browse();
    ASSERT_TRUE(accepted);
    EXPECT_EQ(accepted->status, 200);
}

TEST_F(BackendServerTest, LanguageSuffixFollowsTheTenant) {
    server_->setTenant(Tenant::solara());
    EXPECT_EQ(browse("es_movrasolara")->status, 200);
    EXPECT_EQ(browse("es_mvtk")->status, 400);
}

TEST_F(BackendServerTest, RootMenuIsAnRssFeedWithTheSpecialEntries) {
    auto result = browse("sv_mvtk");
    ASSERT_TRUE(result);
    ASSERT_EQ(result->status, 200);
    EXPECT_EQ(result->get_header_value("Content-Type"), "application/rss+xml");
    XmlDoc doc(result->body);
    ASSERT_TRUE(doc.wellFormed()) << result->body;

    EXPECT_EQ(doc.rootNamespace("stravo"), kStravoNamespace);
    EXPECT_EQ(doc.rootNamespace("media"), kMediaNamespace);
    EXPECT_EQ(doc.rootNamespace("dcterms"), kDctermsNamespace);
    EXPECT_EQ(doc.text("/rss/@version"), "2.0");
    EXPECT_EQ(doc.text("/rss/channel/guid"), "ROOT");
    EXPECT_EQ(doc.text("/rss/channel/language"), "sv");
    EXPECT_EQ(doc.text("/rss/channel/ttl"), "60");
    const auto guids = doc.texts("/rss/channel/item/guid");
    EXPECT_EQ(doc.text("/rss/channel/stravo:totalResults"), std::to_string(guids.size()));

    // Every entry is complete enough for the menu to show and route it.
    for (const char* field : {"title", "guid", "link", "stravo:itemType", "stravo:analyticsLabel"}) {
        EXPECT_EQ(doc.texts(std::string("/rss/channel/item/") + field).size(), guids.size()) << field;
    }
    auto linkOf = [&](const std::string& condition) { return doc.texts("/rss/channel/item[" + condition + "]/link"); };
    EXPECT_EQ(linkOf("contains(media:keywords, 'Landing') and stravo:itemType='folder'").size(), 1u);
    EXPECT_EQ(linkOf("contains(media:keywords, 'lockable') and stravo:itemType='folder'").size(), 1u);
    EXPECT_EQ(linkOf("contains(media:keywords, 'recentlywatched') and stravo:itemType='folder'").size(), 1u);
    EXPECT_EQ(linkOf("contains(category, 'watchlist') and stravo:itemType='folder'").size(), 1u);
    EXPECT_EQ(linkOf("stravo:itemType='settings'").size(), 1u);
    EXPECT_EQ(linkOf("stravo:itemType='identity'").size(), 1u);
    EXPECT_EQ(doc.texts("/rss/channel/item[stravo:itemType='search']/stravo:suggestions").size(), 1u);
    // A menu folder with "series" in its keywords would open as a single series.
    EXPECT_TRUE(
        doc.texts("/rss/channel/item[contains(translate(media:keywords, 'SERIES', 'series'), 'series')]").empty());
}

TEST_F(BackendServerTest, GeoBlockAndMaintenanceApplyToTheStatusCheck) {
    struct Case {
        std::function<void(FaultInjector&, bool)> toggle;
        int status;
        const char* code;
    };
    const std::vector<Case> cases = {
        {[](FaultInjector& f, bool on) { f.setGeoBlocked(on); }, 403, "ST1005"},
        {[](FaultInjector& f, bool on) { f.setMaintenance(on); }, 200, "ST1009"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        c.toggle(server_->faults(), true);
        auto blocked = browse();
        ASSERT_TRUE(blocked);
        EXPECT_EQ(blocked->status, c.status);
        EXPECT_EQ(blocked->get_header_value("Content-Type"), "application/xml");
        EXPECT_EQ(XmlDoc(blocked->body).text("/result/errorCode"), c.code);

        c.toggle(server_->faults(), false);
        EXPECT_EQ(browse()->status, 200);
    }
}

TEST_F(BackendServerTest, UnknownPathGetsAnErrorDocument) {
    auto result = get("/stoffice/client/ios/nothing?language=sv_mvtk", standardHeaders());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 404);
    XmlDoc doc(result->body);
    EXPECT_EQ(doc.text("/result/status"), "Failure");
    EXPECT_EQ(doc.text("/result/errorCode"), "ST4040");
}

TEST_F(BackendServerTest, RequestLogRecordsWhatTheServicesReceived) {
    auto headers = standardHeaders();
    ASSERT_TRUE(get(std::string(kBrowse) + "?max=30&offset=0&language=sv_mvtk&query=a%20b%26c", headers));
    ASSERT_TRUE(client()->Post("/stoffice/client/ios/browse?language=sv_mvtk", headers, "<x/>", "application/xml"));
    ASSERT_TRUE(get("/_emulator/faults"));  // control requests stay out of the log

    const auto entries = server_->requestLog().entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].method, "GET");
    EXPECT_EQ(entries[0].path, kBrowse);
    const RequestLog::Pairs expectedQuery = {
        {"max", "30"}, {"offset", "0"}, {"language", "sv_mvtk"}, {"query", "a b&c"}};
    EXPECT_EQ(entries[0].query, expectedQuery);
    EXPECT_EQ(entries[0].header("x-stravo-deviceid"), "8A1E3C52-7F0B-4D1C-9E2A-1B2C3D4E5F60");
    EXPECT_EQ(entries[0].header("X-Client-Name"), "iOS");
    EXPECT_FALSE(entries[0].header("REMOTE_ADDR"));
    EXPECT_EQ(entries[1].method, "POST");
    EXPECT_EQ(entries[1].body, "<x/>");

    auto listed = get("/_emulator/requests");
    ASSERT_TRUE(listed);
    const Json json = Json::parse(listed->body);
    ASSERT_EQ(json.size(), 2u);
    EXPECT_EQ(json[0]["path"], kBrowse);
    EXPECT_EQ(json[0]["query"][3], Json::array({"query", "a b&c"}));
    EXPECT_EQ(json[1]["body"], "<x/>");

    ASSERT_EQ(client()->Delete("/_emulator/requests")->status, 204);
    EXPECT_TRUE(server_->requestLog().entries().empty());
}

TEST_F(BackendServerTest, FaultsEndpointQueuesFailuresAndTruncations) {
    auto set = post("/_emulator/faults", R"({"failNext": {"count": 2, "status": 500, "path": "/stoffice/"}})");
    ASSERT_TRUE(set);
    ASSERT_EQ(set->status, 200);
    EXPECT_EQ(Json::parse(set->body)["failNext"][0]["count"], 2);

    EXPECT_EQ(get("/Movra")->status, 200);  // outside the path prefix
    for (int i = 0; i < 2; ++i) {
        auto failed = browse();
        ASSERT_TRUE(failed);
        EXPECT_EQ(failed->status, 500);
        EXPECT_EQ(XmlDoc(failed->body).text("/result/errorCode"), "ST5000");
    }
    EXPECT_EQ(browse()->status, 200);

    ASSERT_EQ(post("/_emulator/faults", R"({"truncateNext": {}, "geoBlocked": false})")->status, 200);
    auto truncated = browse();
    ASSERT_TRUE(truncated);
    EXPECT_EQ(truncated->status, 200);
    EXPECT_FALSE(XmlDoc(truncated->body).wellFormed());
    EXPECT_EQ(truncated->body.size(), browse()->body.size() / 2);

    ASSERT_EQ(post("/_emulator/faults", R"({"geoBlocked": true, "maintenance": true, "delayMs": 5})")->status, 200);
    EXPECT_TRUE(server_->faults().geoBlocked());
    EXPECT_TRUE(server_->faults().maintenance());
    ASSERT_EQ(post("/_emulator/faults", R"({"reset": true})")->status, 200);
    EXPECT_EQ(Json::parse(get("/_emulator/faults")->body),
              Json::parse(R"({"geoBlocked": false, "maintenance": false, "unknownTenant": false, "delayMs": 0,
                              "failNext": [], "truncateNext": []})"));
}

TEST_F(BackendServerTest, MalformedFaultDocumentsChangeNothing) {
    for (const char* body :
         {"not json", "[]", R"({"geoBlocked": "yes"})", R"({"delayMs": -1})", R"({"failNext": {"count": 1}})",
          R"({"failNext": {"status": 42}})", R"({"geoBlocked": true, "truncateNext": 3})"}) {
        SCOPED_TRACE(body);
        auto result = post("/_emulator/faults", body);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 400);
        EXPECT_TRUE(Json::parse(result->body).contains("error"));
        EXPECT_FALSE(server_->faults().geoBlocked());
        EXPECT_TRUE(server_->faults().toJson()["failNext"].empty());
    }
}

TEST_F(BackendServerTest, TenantEndpointSwitchesTheRegion) {
    auto switched = post("/_emulator/tenant", R"({"tenant": "solara"})");
    ASSERT_TRUE(switched);
    EXPECT_EQ(Json::parse(switched->body), Json::parse(R"({"tenant": "solara", "cc": "ES"})"));
    EXPECT_EQ(Json::parse(get("/Movra")->body)["name"], "MVSL");
    EXPECT_EQ(post("/_emulator/tenant", R"({"tenant": "mars"})")->status, 400);
}

TEST_F(BackendServerTest, QueuedFailuresAreTakenExactlyOnceUnderConcurrentRequests) {
    server_->faults().failNext(10, 503);
    std::atomic<int> failures = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 5; ++i) {
                auto result = browse();
                if (result && result->status == 503) ++failures;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures, 10);
    EXPECT_EQ(server_->requestLog().entries().size(), 30u);
}

TEST_F(BackendServerTest, StartReportsATakenPortAndAnUnusableDataDirectory) {
    BackendServer::Options options;
    options.port = server_->port();
    options.dataDir = dataDir_.file("other");
    BackendServer samePort(options);
    auto error = samePort.start();
    ASSERT_TRUE(error);
    EXPECT_NE(error->find(std::to_string(server_->port())), std::string::npos) << *error;

    const std::string file = dataDir_.file("plain-file");
    std::ofstream(file) << "not a directory";
    options.port = 0;
    options.dataDir = file + "/data";
    BackendServer badDir(options);
    error = badDir.start();
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("data directory"), std::string::npos) << *error;
}

TEST_F(BackendServerTest, StopEndsServingAndCanBeRepeated) {
    const int port = server_->port();
    server_->stop();
    server_->stop();
    EXPECT_FALSE(server_->isRunning());
    httplib::SSLClient client("127.0.0.1", port);
    client.enable_server_certificate_verification(false);
    EXPECT_FALSE(client.Get("/Movra"));
}

}  // namespace
}  // namespace movra::backend
