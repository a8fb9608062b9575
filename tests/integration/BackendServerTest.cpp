// The service emulator over real HTTPS: its strict client API checks, as a client sees them. (What it
// accepts, and its service-wide faults, are driven by the real client in ClientAgainstEmulatorTest.)
#include "EmulatorTest.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <functional>

namespace movra::backend {
namespace {

using BackendServerTest = EmulatorTest;

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
        {"no client version", without("X-Client-Version"), "sv_mvtk", "X-Client-Version"},
        {"version without build", with("X-Client-Version", "3"), "sv_mvtk", "X-Client-Version"},
        {"no client name", without("X-Client-Name"), "sv_mvtk", "X-Client-Name"},
        {"other client name", with("X-Client-Name", "Android"), "sv_mvtk", "X-Client-Name"},
        {"no language", unchanged, "-", "language"},
        {"language without tenant suffix", unchanged, "sv", "language"},
        {"language of the other tenant", unchanged, "sv_movrasolara", "_mvtk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        httplib::Headers headers = standardHeaders();
        c.editHeaders(headers);
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

}  // namespace
}  // namespace movra::backend
