// The service emulator over real HTTPS: its strict client API checks, as a client sees them. (What it
// accepts, and its service-wide faults, are driven by the real client in ClientAgainstEmulatorTest.)
#include "EmulatorTest.h"

#include <gtest/gtest.h>
#include <httplib.h>


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
        {"no client name", "X-Client-Name", nullptr, "sv_mvtk", "X-Client-Name"},
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

}  // namespace
}  // namespace movra::backend
