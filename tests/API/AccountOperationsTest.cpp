// Sign-in, settings, forgotten password and account reads against a scripted network: what goes on the
// wire, what is stored, and which message a failure carries.
#include "API/MVHTTPClient.h"
#include "Foundation/Crypto.h"
#include "Foundation/Strings.h"
#include "Utilities/CurrentRegionTenant.h"
#include "Utilities/MVErrorResponse.h"
#include "Utilities/MVSettingsResponse.h"
#include "Utilities/SecurityManager.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

using test::ScriptedReply;
using test::xmlReply;

constexpr const char* kCredentialsMessage =
    "Incorrect Email or Password. Please try again. Note that passwords are case sensitive.";

std::string failure(const std::string& code, const std::string& userMessage) {
    return test::errorDocument("Failure", code, userMessage);
}

std::string loginRecord(const std::string& status) {
    return "<result><status>" + status +
           "</status><token>TOKEN-1</token><identityGuid>IDENTITY-1</identityGuid><accountGuid>ACCOUNT-1</accountGuid>"
           "</result>";
}

class AccountOperationsTest : public ::testing::Test {
  protected:
    AccountOperationsTest() {
        CurrentRegionTenant::setTenant(MVRegionTenantTavik);
        client = MVHTTPClient::initSharedClientWithHost("api.test");
    }

    std::tuple<ErrorPtr, XMLDocumentPtr> login(const std::string& user, const std::string& password) {
        return env.await<ErrorPtr, XMLDocumentPtr>(
            [&](auto done) { client->loginSubscriberWithUserName(user, false, password, done); });
    }

    test::TestPlatform env;
    std::shared_ptr<MVHTTPClient> client;
};

TEST_F(AccountOperationsTest, SignInSendsDoubleBase64CredentialsAndStoresTheAnswer) {
    // Any letter case, anywhere in the status text.
    env.network->answerAll(xmlReply(200, loginRecord("Login SUCCESSFUL")));
    auto [error, document] = login("anna@example.com", "pä:ss");
    ASSERT_FALSE(error);
    ASSERT_TRUE(document);

    const auto request = env.network->requests().back();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.url, "https://api.test/stoffice/client/device/login?language=sv_mvtk");
    EXPECT_EQ(request.header("Content-Type"), "application/xml");
    const auto authorization = request.header("Authorization").value_or("");
    ASSERT_TRUE(startsWith(authorization, "Basic "));
    EXPECT_EQ(base64Decode(authorization.substr(6)), "anna@example.com:" + base64Encode("pä:ss"));
    // The device body's escaping is checked where the emulator reads it back (ClientAgainstEmulatorTest).

    const std::pair<const char*, std::string> expected[] = {
        {SecurityManager::kDeviceTokenAccountName, "TOKEN-1"},
        {SecurityManager::kIdentityGuidName, "IDENTITY-1"},
        {SecurityManager::kAccountGuidName, "ACCOUNT-1"},
        {SecurityManager::kUserNameAccountName, "anna@example.com"}};
    for (const auto& [account, value] : expected)
        EXPECT_EQ(env.credentials->password(SecurityManager::kPasswordServiceName, account), value);

    // A refusing keychain: the copies in memory still hold and the keychain's error reaches the caller.
    client->setDeviceToken(std::nullopt);
    env.credentials->setFailWrites(true);
    const ErrorPtr refused = std::get<0>(login("other@example.com", "secret"));
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->domain, kHTTPClientErrorDomain);
    EXPECT_EQ(client->deviceToken(), "TOKEN-1");
    EXPECT_EQ(client->userName(), "other@example.com");
}

TEST_F(AccountOperationsTest, SignInFailureMessages) {
    struct Case {
        const char* what;
        ScriptedReply reply;
        bool reachable;
        std::string message;
        std::int64_t code = -1;
    } cases[] = {
        {"a refused login record", xmlReply(200, loginRecord("Denied")), true, "Failed to authenticate", 0},
        {"no login record", xmlReply(200, "<answer><token>T</token></answer>"), true, "Failed to parse xml response",
         0},
        {"plain wrong credentials", xmlReply(401, failure("ST3003", "Wrong!")), true, kCredentialsMessage},
        {"the service's own reason", xmlReply(401, failure("ST3005", "Your subscription is not active.")), true,
         "Your subscription is not active."},
        {"a code without a message", xmlReply(401, failure("ST3005", "")), true, kCredentialsMessage},
        {"no error document", test::reply(401, "text/html", "<html/>"), true, kCredentialsMessage},
        {"server failure", xmlReply(500, failure("ST5000", "Down")), true,
         "A problem has occured and the service may be temporarily unavailable."},
        {"offline", test::failedReply(makeError(kURLErrorDomain, kURLErrorNotConnectedToInternet)), false,
         "Sorry, No network connection is available at the moment."},
    };
    for (const auto& c : cases) {
        env.reachability->reachable_ = c.reachable;
        env.network->answerAll(c.reply);
        const ErrorPtr error = std::get<0>(login("anna@example.com", "secret"));
        ASSERT_TRUE(error) << c.what;
        EXPECT_EQ(error->domain, kHTTPClientErrorDomain) << c.what;
        EXPECT_EQ(error->code, c.code) << c.what;
        EXPECT_EQ(error->localizedDescription, c.message) << c.what;
        EXPECT_FALSE(
            env.credentials->password(SecurityManager::kPasswordServiceName, SecurityManager::kDeviceTokenAccountName))
            << c.what;
    }
    // The sign-in has its own failure handling: a 401 does not ask for authentication.
    EXPECT_EQ(env.network->requests().size(), std::size(cases));
}

TEST_F(AccountOperationsTest, SettingsWriteBody) {
    env.network->answerAll(xmlReply(200, "<result><status>Success</status></result>"));
    auto write = [&](const Json& settings) {
        env.await<ErrorPtr, XMLDocumentPtr>([&](auto done) { client->updateSettings(settings, done); });
        return env.network->requests().back();
    };
    // Without a token there is no language parameter.
    auto request = write(Json{{"subtitle", nullptr}});
    EXPECT_EQ(request.url, "https://api.test/stoffice/client/settings");
    EXPECT_EQ(request.header("Content-Type"), "text/xml;charset=UTF-8");
    EXPECT_EQ(request.body, "<request><setting Name=\"subtitle\"><null></null></setting></request>");

    client->setDeviceToken("TOKEN");
    Json settings = Json::object();
    settings["zeta"] = "a<b & \"c\"";
    settings["alpha"] = true;
    request = write(settings);
    EXPECT_EQ(request.url, "https://api.test/stoffice/client/settings?language=sv_mvtk");
    EXPECT_EQ(request.header("X-Stravo-DeviceToken"), "TOKEN");
    EXPECT_EQ(request.body,
              "<request><setting Name=\"zeta\">a&lt;b &amp; &quot;c&quot;</setting><setting Name=\"alpha\">1</setting>"
              "</request>");
}

// What a successful read gives is ProfileManagerTest's; an empty answer is no document, yet no failure of the
// transport either.
TEST_F(AccountOperationsTest, AnEmptySettingsAnswerIsAnUnexpectedAnswer) {
    env.network->answerAll(xmlReply(200, ""));
    auto [error, settings] = env.await<ErrorPtr, std::shared_ptr<MVSettingsResponse>>(
        [&](auto done) { client->getSettingsWithCompletion(done); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, kErrorUnexpectedAnswer);
    EXPECT_FALSE(settings);
}

TEST_F(AccountOperationsTest, ForgottenPasswordSendsTheUserAndHandsBackTheErrorDocument) {
    env.network->answerAll(xmlReply(404, failure("ST4040", "No such user.")));
    auto [error, document, errorResponse] = env.await<ErrorPtr, XMLDocumentPtr, std::shared_ptr<const MVErrorResponse>>(
        [&](auto done) { client->forgotPasswordForUserName("a+b@example.com", done); });
    ASSERT_TRUE(error);
    ASSERT_TRUE(errorResponse);
    EXPECT_EQ(errorResponse->userMessage(), "No such user.");
    const auto request = env.network->requests().back();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.url,
              "https://api.test/stoffice/client/identities/forgotPassword?language=sv_mvtk&userId=a%2Bb%40example.com");
}

}  // namespace
}  // namespace movra
