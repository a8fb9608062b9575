// The service emulator over real HTTPS: its strict client API checks and its service-wide faults, as a
// client sees them.
#include "EmulatorTest.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <functional>

namespace movra::backend {
namespace {

class BackendServerTest : public EmulatorTest {
  protected:
    httplib::Result get(const std::string& target, const httplib::Headers& headers = {}) const {
        return client()->Get(target.c_str(), headers);
    }

    httplib::Result browse() const { return get(withLanguage(kBrowsePath), standardHeaders()); }
};

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
        const std::string target =
            c.language == "-" ? kBrowsePath : std::string(kBrowsePath) + "?language=" + c.language;

        auto result = get(target, headers);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 400);
        EXPECT_EQ(result->get_header_value("Content-Type"), "application/xml");
        EXPECT_EQ(resultText(result->body, "status"), "Failure") << result->body;
        EXPECT_EQ(resultText(result->body, "errorCode"), "ST4000");
        EXPECT_NE(resultText(result->body, "userMessage"), "<none>");
        EXPECT_NE(resultText(result->body, "systemMessage").find(c.namedInSystemMessage), std::string::npos)
            << resultText(result->body, "systemMessage");
    }

    auto accepted = browse();
    ASSERT_TRUE(accepted);
    EXPECT_EQ(accepted->status, 200);
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
        EXPECT_EQ(resultText(blocked->body, "errorCode"), c.code);

        c.toggle(server_->faults(), false);
        EXPECT_EQ(browse()->status, 200);
    }
}

}  // namespace
}  // namespace movra::backend
