// The accounts' state across emulator restarts: devices, tokens and settings come back from the state
// file, and a damaged state file gives way to the demo accounts instead of stopping the emulator.
#include "EmulatorTest.h"

#include <gtest/gtest.h>
#include <httplib.h>

namespace movra::backend {
namespace {

constexpr const char* kStateFile = "backend/state.json";

class AccountStoreTest : public EmulatorTest {};

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
        "",
        "{\"devices\": {",
        "[]",
        R"({"devices": [], "tokens": {}, "settings": {}})",
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
