// The settings and account record routes of the emulated client API, over real HTTPS, and the accounts' state
// across emulator restarts: devices, tokens and settings come back from the state file, and a damaged state
// file gives way to the demo accounts instead of stopping the emulator.
#include "EmulatorTest.h"
#include "Utilities/XMLDocument.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <map>

namespace movra::backend {
namespace {

constexpr const char* kSettingsType = "text/xml;charset=UTF-8";

using Settings = std::map<std::string, std::string>;

class AccountEndpointsTest : public EmulatorTest {
  protected:
    void SetUp() override {
        EmulatorTest::SetUp();
        token_ = tokenFor(kAnna, kAnnasPassword);
    }

    httplib::Result writeSettings(const std::string& body, const char* contentType = kSettingsType) const {
        return client()->Post(withLanguage(kSettingsPath).c_str(), standardHeaders(token_), body, contentType);
    }

    /// The settings as the read answer lists them.
    Settings readSettings(const std::string& token, const std::string& deviceId = kDeviceId) const {
        auto result = getWithToken(kSettingsPath, token, deviceId);
        EXPECT_EQ(result ? result->status : 0, 200);
        auto document = result ? XMLDocument::parse(result->body) : nullptr;
        if (!document) return {};
        EXPECT_EQ(resultText(result->body, "status"), "Success");
        Settings settings;
        for (const XMLNode& setting : document->rootElement().firstChildElement("settings").childElements()) {
            EXPECT_EQ(setting.name(), "setting");
            settings[setting.firstChildElement("name").stringValue()] =
                setting.firstChildElement("value").stringValue();
        }
        return settings;
    }

    std::string token_;
};

TEST_F(AccountEndpointsTest, SettingsWrittenAreReadBackIntactAndNullRemovesOne) {
    EXPECT_EQ(readSettings(token_), (Settings{{"audioTrack", "sv"}, {"subtitle", "sv_mvtk"}}));

    const std::string escaped = R"(a &lt;b&gt; &amp; &quot;c&quot; &apos;d&apos; åäö)";
    auto result = writeSettings(R"(<request><setting Name="subtitle">en_mvtk</setting>)"
                                R"(<setting Name="audioTrack"><null></null></setting>)"
                                R"(<setting Name="kidsNote">)" +
                                escaped +
                                "</setting>"
                                R"(<setting Name="empty"></setting><setting Name="kidsModePIN"></setting>)"
                                R"(<setting Name="kidsModeIgnore">true</setting></request>)");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200) << result->body;
    EXPECT_EQ(resultText(result->body, "status"), "Success");
    EXPECT_EQ(readSettings(token_), (Settings{{"empty", ""},
                                              {"kidsModeIgnore", "true"},
                                              {"kidsModePIN", ""},
                                              {"kidsNote", R"(a <b> & "c" 'd' åäö)"},
                                              {"subtitle", "en_mvtk"}}));

    // Settings belong to the account: another subscriber's are untouched.
    const std::string olasToken = tokenFor("ola.nordmann@tavik.example", "Ola-tavik-2", kOtherDeviceId);
    EXPECT_EQ(readSettings(olasToken, kOtherDeviceId), (Settings{{"audioTrack", "original"},
                                                                 {"kidsModeIgnore", "false"},
                                                                 {"kidsModePIN", "2468"},
                                                                 {"subtitle", "no_mvtk"}}));
}

TEST_F(AccountEndpointsTest, MalformedSettingsWritesAreRefusedAndChangeNothing) {
    struct Case {
        const char* name;
        std::string body;
        const char* contentType;
    };
    const std::vector<Case> cases = {
        {"not XML", "subtitle=en_mvtk", kSettingsType},
        {"other root", R"(<settings><setting Name="subtitle">en</setting></settings>)", kSettingsType},
        {"no name", R"(<request><setting>en</setting></request>)", kSettingsType},
        {"not XML content", R"(<request><setting Name="subtitle">en</setting></request>)", "text/plain"},
        // The kids-mode PIN is four digits or none, the switch true or false.
        {"PIN with a letter", R"(<request><setting Name="kidsModePIN">12a4</setting></request>)", kSettingsType},
        {"long PIN", R"(<request><setting Name="kidsModePIN">12345</setting></request>)", kSettingsType},
        {"switch", R"(<request><setting Name="kidsModeIgnore">yes</setting></request>)", kSettingsType},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto result = writeSettings(c.body, c.contentType);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 400) << result->body;
        EXPECT_EQ(resultText(result->body, "errorCode"), "ST4000");
    }
    EXPECT_EQ(readSettings(token_), (Settings{{"audioTrack", "sv"}, {"subtitle", "sv_mvtk"}}));

    // Without a token the client sends no language: the missing token is what it hears about.
    auto anonymous = client()->Post(kSettingsPath, standardHeaders(), "<request></request>", kSettingsType);
    ASSERT_TRUE(anonymous);
    EXPECT_EQ(anonymous->status, 401);
    auto noLanguage = client()->Post(kSettingsPath, standardHeaders(token_), "<request></request>", kSettingsType);
    ASSERT_TRUE(noLanguage);
    EXPECT_EQ(noLanguage->status, 400);
}

// The forgot-PIN exit: the signed-in subscriber's password is checked by signing in again, then the PIN is
// cleared. A wrong password changes nothing, not even the session it was typed in.
TEST_F(AccountEndpointsTest, ForgotPinChecksThePasswordThenClearsThePin) {
    auto setPin = [this](const std::string& pin) {
        auto result =
            writeSettings(R"(<request><setting Name="kidsModeIgnore">false</setting><setting Name="kidsModePIN">)" +
                          pin + "</setting></request>");
        return result ? result->status : 0;
    };
    auto reauthenticate = [this](const std::string& password) {
        httplib::Headers headers = standardHeaders(token_);
        headers.emplace("Authorization", credentials(kAnna, password));
        return client()->Post(withLanguage("/stoffice/client/device/login").c_str(), headers,
                              deviceBody(kDeviceId, "iPhone", "Test phone"), "application/xml");
    };
    ASSERT_EQ(setPin("1357"), 200);
    Settings settings{
        {"audioTrack", "sv"}, {"kidsModeIgnore", "false"}, {"kidsModePIN", "1357"}, {"subtitle", "sv_mvtk"}};

    auto wrong = reauthenticate("anna-tavik-1");
    ASSERT_TRUE(wrong);
    EXPECT_EQ(wrong->status, 401);
    EXPECT_EQ(resultText(wrong->body, "errorCode"), "ST3003");
    EXPECT_EQ(readSettings(token_), settings);

    auto right = reauthenticate(kAnnasPassword);
    ASSERT_TRUE(right);
    ASSERT_EQ(right->status, 200) << right->body;
    token_ = resultText(right->body, "token");
    ASSERT_EQ(setPin(""), 200);
    settings["kidsModePIN"] = "";
    EXPECT_EQ(readSettings(token_), settings);
}

// Another subscriber than the fixture's: a record that is always the first account's fails. (MovraCliTest
// reads Anna's.)
TEST_F(AccountEndpointsTest, AccountRecordIsTheTokensAccount) {
    const char* lucia = "lucia.garcia@solara.example";
    auto result = getWithToken(kAccountPath, tokenFor(lucia, "Lucía-solara-3"));
    ASSERT_TRUE(result);
    ASSERT_EQ(result->status, 200) << result->body;
    auto document = XMLDocument::parse(result->body);
    ASSERT_TRUE(document);
    auto account = document->rootElement().firstChildElement("account");
    EXPECT_EQ(account.firstChildElement("country").stringValue(), "ES");
    EXPECT_EQ(account.firstChildElement("guid").stringValue(), server_->accounts().account(lucia)->guid);
    EXPECT_EQ(account.firstChildElement("accountState").stringValue(), "Active");
}

constexpr const char* kStateFile = "backend/state.json";

using AccountStoreTest = EmulatorTest;

TEST_F(AccountStoreTest, DevicesTokensAndSettingsSurviveARestart) {
    const std::string kept = tokenFor(kAnna, kAnnasPassword);
    const std::string revoked = tokenFor(kAnna, kAnnasPassword, kOtherDeviceId);
    ASSERT_TRUE(server_->accounts().revokeToken(revoked));
    auto account = server_->accounts().account(kAnna);
    ASSERT_TRUE(account);
    server_->accounts().updateSettings(*account, {{"subtitle", "en_mvtk"}, {"audioTrack", std::nullopt}});
    const Json before = controlJson("/_emulator/accounts");

    start();

    EXPECT_EQ(controlJson("/_emulator/accounts"), before);
    EXPECT_EQ(getWithToken(kAccountPath, kept)->status, 200);
    EXPECT_EQ(getWithToken(kAccountPath, revoked, kOtherDeviceId)->status, 401);
    EXPECT_EQ(server_->accounts().settings(*account), (std::map<std::string, std::string>{{"subtitle", "en_mvtk"}}));
}

TEST_F(AccountStoreTest, DamagedStateFileGivesWayToTheDemoAccounts) {
    const std::string kStaleToken = "00112233445566778899aabbccddeeff";
    const std::vector<std::string> damaged = {
        "{\"devices\": {",
        R"({"devices": {}, "settings": {}})",
        // A well-formed token beside a malformed one: nothing of the file is taken.
        R"({"devices": {}, "settings": {}, "tokens": {
            "00112233445566778899aabbccddeeff": {"deviceId": "8A1E3C52-7F0B-4D1C-9E2A-1B2C3D4E5F60",
                                                 "userName": "anna.lindqvist@tavik.example", "revoked": false},
            "ff": {"deviceId": 7, "userName": "anna.lindqvist@tavik.example", "revoked": false}}})",
        R"({"devices": {}, "tokens": {}, "settings": {"anna.lindqvist@tavik.example": {"subtitle": 1}}})",
    };
    for (const std::string& contents : damaged) {
        SCOPED_TRACE(contents);
        server_.reset();
        dataDir_.write(kStateFile, contents);
        start();

        EXPECT_EQ(getWithToken(kAccountPath, kStaleToken)->status, 401);
        auto account = server_->accounts().account(kAnna);
        ASSERT_TRUE(account);
        EXPECT_EQ(server_->accounts().settings(*account), account->settings);
        // The next change replaces the damaged file with a readable one.
        const std::string token = tokenFor(kAnna, kAnnasPassword);
        EXPECT_EQ(getWithToken(kAccountPath, token)->status, 200);
        const Json saved = Json::parse(dataDir_.read(kStateFile), nullptr, /*allow_exceptions=*/false);
        EXPECT_TRUE(saved.is_object() && saved.value("tokens", Json::object()).contains(token))
            << dataDir_.read(kStateFile);
    }
}

}  // namespace
}  // namespace movra::backend
