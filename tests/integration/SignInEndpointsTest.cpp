// Sign-in, device tokens, sign-out and the forgotten-password request of the emulated client API, over
// real HTTPS as the client uses them. (A sign-in by the client itself runs in ClientAgainstEmulatorTest.)
#include "EmulatorTest.h"
#include "Foundation/Crypto.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <regex>
#include <set>

namespace movra::backend {
namespace {

constexpr const char* kLogin = "/stoffice/client/device/login";
constexpr const char* kLogout = "/stoffice/client/device/logout";

class SignInEndpointsTest : public EmulatorTest {
  protected:
    httplib::Result login(const httplib::Headers& headers, const std::string& body,
                          const char* contentType = "application/xml") const {
        return client()->Post(withLanguage(kLogin).c_str(), headers, body, contentType);
    }

    httplib::Result signOut(const std::string& deviceId) const {
        return client()->Delete(withLanguage(kLogout).c_str(), standardHeaders({}, deviceId));
    }

    /// The devices /_emulator/accounts lists for `userName`.
    Json devicesOf(const std::string& userName) const {
        for (const Json& account : controlJson("/_emulator/accounts"))
            if (account.value("userName", "") == userName) return account["devices"];
        return nullptr;
    }
};

TEST_F(SignInEndpointsTest, OnlyTheDoubleEncodedPasswordOfAnActiveAccountSignsIn) {
    const char* kBadCredentials =
        "Incorrect Email or Password. Please try again. Note that passwords are case sensitive.";
    struct Case {
        const char* name;
        std::string userName;
        std::string password;
        bool plainPassword;  // Base64 of "user:password", the password not encoded on its own
        int status;
        const char* code;
        const char* userMessage;
    };
    const std::vector<Case> cases = {
        {"Solara, non-ASCII password", "lucia.garcia@solara.example", "Lucía-solara-3", false, 200, "", ""},
        {"user name in other case", "Anna.Lindqvist@Tavik.example", kAnnasPassword, false, 200, "", ""},
        {"plain password", kAnna, kAnnasPassword, true, 401, "ST3003", kBadCredentials},
        {"wrong password", kAnna, "Anna-tavik-2", false, 401, "ST3003", kBadCredentials},
        {"unknown user", "nobody@tavik.example", kAnnasPassword, false, 401, "ST3003", kBadCredentials},
        {"suspended account", "erik.berg@tavik.example", "Erik-tavik-4", false, 401, "ST3005",
         "Your subscription is not active. Please update your payment information."},
        {"suspended account, wrong password", "erik.berg@tavik.example", "x", false, 401, "ST3003", kBadCredentials},
    };
    std::set<std::string> tokens;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        httplib::Headers headers = standardHeaders();
        headers.emplace("Authorization", c.plainPassword ? "Basic " + base64Encode(c.userName + ":" + c.password)
                                                         : credentials(c.userName, c.password));
        auto result = login(headers, deviceBody(kDeviceId, "iPhone", "Phone"));
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, c.status) << result->body;
        EXPECT_EQ(result->get_header_value("Content-Type"), "application/xml");
        if (c.status != 200) {
            EXPECT_EQ(resultText(result->body, "status"), "Failure");
            EXPECT_EQ(resultText(result->body, "errorCode"), c.code);
            EXPECT_EQ(resultText(result->body, "userMessage"), c.userMessage);
            continue;
        }
        auto account = server_->accounts().account(c.userName);
        ASSERT_TRUE(account);
        EXPECT_EQ(resultText(result->body, "status"), "Success");
        EXPECT_EQ(resultText(result->body, "identityGuid"), account->identityGuid);
        EXPECT_EQ(resultText(result->body, "accountGuid"), account->guid);
        const std::string token = resultText(result->body, "token");
        EXPECT_TRUE(std::regex_match(token, std::regex("[0-9a-f]{32}"))) << token;
        EXPECT_TRUE(tokens.insert(token).second) << "token issued twice";
    }
}

TEST_F(SignInEndpointsTest, MalformedSignInsAreRefusedAndRegisterNothing) {
    struct Case {
        const char* name;
        std::string authorization;  // "": none sent
        std::string body;
        const char* contentType = "application/xml";
    };
    const std::string anna = credentials(kAnna, kAnnasPassword);
    const std::string good = deviceBody(kDeviceId, "iPhone", "Phone");
    const std::vector<Case> cases = {
        {"device id of another device", anna, deviceBody(kOtherDeviceId, "iPhone", "Phone")},
        {"device type", anna,
         "<device><type>android</type><deviceId>" + std::string(kDeviceId) +
             "</deviceId><deviceModel>m</deviceModel><deviceName>n</deviceName></device>"},
        {"unescaped body", anna, deviceBody(kDeviceId, "iPhone", "x") + "<"},
        {"not XML content", anna, good, "application/x-www-form-urlencoded"},
        {"no credentials", "", good},
        {"other scheme", "Bearer abc", good},
        {"pair not Base64", "Basic ###", good},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        httplib::Headers headers = standardHeaders();
        if (!c.authorization.empty()) headers.emplace("Authorization", c.authorization);
        auto result = login(headers, c.body, c.contentType);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 400) << result->body;
        EXPECT_EQ(resultText(result->body, "errorCode"), "ST4000");
    }
    EXPECT_EQ(devicesOf(kAnna), Json::array());
}

TEST_F(SignInEndpointsTest, TokensWorkUntilTheirDeviceSignsOutOrTheyAreRevoked) {
    const std::string token = tokenFor(kAnna, kAnnasPassword);
    const std::string otherToken = tokenFor(kAnna, kAnnasPassword, kOtherDeviceId);

    struct Case {
        const char* name;
        const char* path;
        std::string token;
        std::string deviceId;
    };
    const std::vector<Case> refused = {
        {"unknown token on the catalogue", kBrowsePath, "0123456789abcdef0123456789abcdef", kDeviceId},
        {"token of another device", kBrowsePath, token, kOtherDeviceId},
        {"no token", kSettingsPath, "", kDeviceId},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.name);
        auto result = getWithToken(c.path, c.token, c.deviceId);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 401);
        EXPECT_EQ(resultText(result->body, "errorCode"), "ST4010");
        EXPECT_NE(resultText(result->body, "userMessage"), "<none>");
    }
    // The catalogue is served without a token.
    EXPECT_EQ(getWithToken(kBrowsePath, "")->status, 200);

    // The client signs out after dropping its token: the device id alone ends the device's tokens.
    EXPECT_EQ(getWithToken(kAccountPath, token)->status, 200);
    auto signedOut = signOut(kDeviceId);
    ASSERT_TRUE(signedOut);
    EXPECT_EQ(signedOut->status, 200);
    EXPECT_EQ(resultText(signedOut->body, "status"), "Success");
    EXPECT_EQ(getWithToken(kAccountPath, token)->status, 401);
    EXPECT_EQ(getWithToken(kAccountPath, otherToken, kOtherDeviceId)->status, 200);
    EXPECT_EQ(signOut(kDeviceId)->status, 200) << "signing out twice";

    // A test ends the other device's session from outside, as an expired subscription would.
    auto revoke = [&](const std::string& body) {
        return client()->Post("/_emulator/accounts/revoke", body, "application/json");
    };
    auto revoked = revoke(R"({"userName": "anna.lindqvist@tavik.example"})");
    ASSERT_TRUE(revoked);
    EXPECT_EQ(revoked->status, 200);
    EXPECT_EQ(Json::parse(revoked->body)["revoked"], 1);
    EXPECT_EQ(getWithToken(kAccountPath, otherToken, kOtherDeviceId)->status, 401);
    EXPECT_EQ(revoke(R"({"userName": "nobody@tavik.example"})")->status, 404);
}

TEST_F(SignInEndpointsTest, ForgottenPasswordIsAcceptedOnlyForAKnownUser) {
    struct Case {
        const char* userId;
        int status;
        const char* code;
    };
    const std::vector<Case> cases = {
        {"anna.lindqvist%40tavik.example", 200, "<none>"},
        {"nobody%40tavik.example", 404, "ST3004"},
        {"", 400, "ST4000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.userId);
        const std::string target = withLanguage("/stoffice/client/identities/forgotPassword") + "&userId=" + c.userId;
        auto result = client()->Post(target.c_str(), standardHeaders(), "", "application/x-www-form-urlencoded");
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, c.status) << result->body;
        EXPECT_EQ(resultText(result->body, "errorCode"), c.code);
        if (c.status != 200) {
            EXPECT_NE(resultText(result->body, "userMessage"), "<none>");
        }
    }
    const auto request = server_->requestLog().entries().front();
    EXPECT_EQ(request.queryValue("userId"), kAnna);
}

}  // namespace
}  // namespace movra::backend
