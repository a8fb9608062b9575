// The service emulator over real HTTPS: its strict client API checks, as a client sees them. (What it
// accepts, and its service-wide faults, are driven by the real client in ClientAgainstEmulatorTest.)
#include "EmulatorTest.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <chrono>

namespace movra::backend {
namespace {

using BackendServerTest = EmulatorTest;

TEST_F(BackendServerTest, ClientApiRefusesRequestsWithoutTheStandardHeadersOrTenantLanguage) {
    struct Case {
        const char* name;
        const char* header;  // replaced by `value`, or removed when `value` is null
        const char* value;
        std::string language;  // "-" sends no language parameter
        const char* namedInSystemMessage;
    };
    const std::vector<Case> cases = {
        {"no device id", "X-Stravo-DeviceId", nullptr, "sv_mvtk", "X-Stravo-DeviceId"},
        {"no client version", "X-Client-Version", nullptr, "sv_mvtk", "X-Client-Version"},
        {"version without build", "X-Client-Version", "3", "sv_mvtk", "X-Client-Version"},
        {"other client name", "X-Client-Name", "Android", "sv_mvtk", "X-Client-Name"},
        {"no language", "", nullptr, "-", "language"},
        {"language without tenant suffix", "", nullptr, "sv", "language"},
        {"language of the other tenant", "", nullptr, "sv_movrasolara", "_mvtk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        httplib::Headers headers = standardHeaders();
        headers.erase(c.header);
        if (c.value) headers.emplace(c.header, c.value);
        const std::string target =
            c.language == "-" ? kBrowsePath : std::string(kBrowsePath) + "?language=" + c.language;

        auto result = client()->Get(target.c_str(), headers);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 400);
        EXPECT_EQ(resultText(result->body, "errorCode"), "ST4000") << result->body;
        EXPECT_NE(resultText(result->body, "userMessage"), "<none>");
        EXPECT_NE(resultText(result->body, "systemMessage").find(c.namedInSystemMessage), std::string::npos)
            << resultText(result->body, "systemMessage");
    }
}

TEST_F(BackendServerTest, BodiesOverOneMebibyteAreRefusedWith413AndChangeNothing) {
    // A fault switch padded to the size, so that an accepted body shows in the faults.
    const std::string switchOn = R"({"maintenance": true})";
    struct Case {
        const char* name;
        std::size_t size;
        bool chunked;  // httplib checks only bodies with a Content-Length against its limit
        int status;
    };
    const std::size_t limit = BackendServer::kMaxRequestBody;
    const Case cases[] = {
        {"at the limit", limit, false, 200},
        {"one byte over", limit + 1, false, 413},
        {"chunked, at the limit", limit, true, 200},
        {"chunked, one byte over", limit + 1, true, 413},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server_->faults().setMaintenance(false);
        const std::string body = switchOn + std::string(c.size - switchOn.size(), ' ');
        auto client = this->client();
        auto provider = [&body](std::size_t offset, httplib::DataSink& sink) {
            const std::size_t piece = std::min<std::size_t>(64 * 1024, body.size() - offset);
            if (piece > 0) return sink.write(body.data() + offset, piece);
            sink.done();
            return true;
        };
        auto result = c.chunked ? client->Post("/_emulator/faults", provider, "application/json")
                                : client->Post("/_emulator/faults", body, "application/json");
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, c.status);
        EXPECT_EQ(server_->faults().maintenance(), c.status == 200);
    }
}

TEST_F(BackendServerTest, RequestLogKeepsNoCredentialsAndOnlyTheStartOfLongBodies) {
    const std::string token = tokenFor(kAnna, kAnnasPassword);
    ASSERT_FALSE(token.empty());
    const std::string longValue(2 * RequestLog::kMaxBody, 'v');
    const std::string longBody = R"(<request><setting Name="note">)" + longValue + "</setting></request>";
    auto write = client()->Post(withLanguage(kSettingsPath).c_str(), standardHeaders(token), longBody, "text/xml");
    ASSERT_TRUE(write);
    ASSERT_EQ(write->status, 200) << write->body;

    const auto entries = server_->requestLog().entries();
    ASSERT_EQ(entries.size(), 2u);
    const auto& signIn = entries[0];
    EXPECT_EQ(signIn.header("Authorization"), RequestLog::kRedacted);
    EXPECT_EQ(signIn.header("X-Stravo-DeviceId"), kDeviceId);
    EXPECT_EQ(signIn.body, deviceBody(kDeviceId, "iPhone", "Test phone"));
    const auto& settings = entries[1];
    EXPECT_EQ(settings.header("X-Stravo-DeviceToken"), RequestLog::kRedacted);
    EXPECT_EQ(settings.body.substr(0, RequestLog::kMaxBody), longBody.substr(0, RequestLog::kMaxBody));
    EXPECT_LT(settings.body.size(), longBody.size());
    EXPECT_NE(settings.body.find(std::to_string(longBody.size())), std::string::npos) << "no note of the cut";

    // What a person reads over HTTP holds no secret either.
    const std::string listed = controlJson("/_emulator/requests").dump();
    EXPECT_EQ(listed.find(token), std::string::npos);
    EXPECT_EQ(listed.find(credentials(kAnna, kAnnasPassword).substr(6)), std::string::npos);
}

// Only the fabricated request can come from elsewhere: the test sends nothing beyond loopback. Every other
// emulator test is a peer at 127.0.0.1.
TEST_F(BackendServerTest, ControlEndpointsAnswerLoopbackPeersOnly) {
    const struct {
        const char* remote;
        const char* method;
        const char* path;
        int status;
    } cases[] = {
        {"192.0.2.7", "POST", "/_emulator/faults", 403},
        {"10.0.0.1", "GET", "/_emulator/requests", 403},
        {"2001:db8::1", "DELETE", "/_emulator/requests", 403},
        {"::ffff:192.0.2.7", "POST", "/_emulator/faults", 403},
        {"", "POST", "/_emulator/faults", 403},
        {"127.3.2.1", "POST", "/_emulator/faults", 200},
        {"::1", "POST", "/_emulator/faults", 200},
        {"::ffff:127.0.0.1", "POST", "/_emulator/faults", 200},
        // The services themselves answer anyone.
        {"192.0.2.7", "GET", "/Movra", 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.remote) + " " + c.method + " " + c.path);
        server_->faults().setMaintenance(false);
        server_->requestLog().clear();
        server_->requestLog().record({"GET", "/earlier", {}, {}, ""});
        httplib::Request request;
        request.method = c.method;
        request.path = c.path;
        request.remote_addr = c.remote;
        request.body = R"({"maintenance": true})";
        httplib::Response response;
        server_->dispatch(request, response);
        EXPECT_EQ(response.status, c.status);
        if (c.status == 403) {
            EXPECT_FALSE(server_->faults().maintenance());
            EXPECT_EQ(response.body.find("/earlier"), std::string::npos) << "the log was listed";
            EXPECT_EQ(server_->requestLog().entries().size(), 1u);
        }
    }
}

TEST_F(BackendServerTest, IdleKeptAliveConnectionsDoNotKeepANewOneWaiting) {
    // A player holds connections for segments, keys, pictures and reports; each idle one keeps a worker.
    std::vector<std::unique_ptr<httplib::SSLClient>> idle;
    for (int i = 0; i < 16; ++i) {
        idle.push_back(client());
        idle.back()->set_keep_alive(true);
        auto result = idle.back()->Get("/_emulator/requests");
        ASSERT_TRUE(result) << "connection " << i;
    }
    // Without a free worker the answer comes only when an idle connection times out (30 s).
    const auto sent = std::chrono::steady_clock::now();
    auto result = client()->Get("/_emulator/requests");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(10)) << "waited for a worker";
}

}  // namespace
}  // namespace movra::backend
