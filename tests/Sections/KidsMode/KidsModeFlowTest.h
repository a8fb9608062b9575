// KidsModeFlowTest: a signed-in subscriber in the kids profile on a scripted service that keeps the kids-mode
// settings and checks the account password on a new sign-in; plus a delegate that records how flows ended.
#pragma once

#include "API/MVHTTPClient.h"
#include "Foundation/Crypto.h"
#include "Model/ProfileManager.h"
#include "Platform/AlertController.h"
#include "Sections/KidsMode/KidsModeFinishedDelegate.h"
#include "Sections/KidsMode/PINView.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>

namespace movra::test {

/// "succeeded <class>" or "cancelled <class>" for each end reported.
class RecordingFinishedDelegate : public KidsModeFinishedDelegate {
  public:
    void didSucceedWithViewController(ViewController& flow) override {
        calls.push_back("succeeded " + flow.className());
    }
    void didCancelWithViewController(ViewController& flow) override {
        calls.push_back("cancelled " + flow.className());
    }
    std::vector<std::string> calls;
};

class KidsModeFlowTest : public ::testing::Test {
  protected:
    static constexpr const char* kUser = "anna@example.com";
    static constexpr const char* kPassword = "Anna-1";

    KidsModeFlowTest() {
        MVHTTPClient::initSharedClientWithHost("api.test")->setUserName(kUser);
        ProfileManager::setActiveProfile(ProfileTypeKids);
        env.network->setScript([this](const HttpRequest& request) { return answer(request); });
    }

    /// Keys `digits` in on the number pad and runs until the screen's request has been answered.
    template <class Screen>
    void enter(Screen& screen, const std::string& digits) {
        for (char digit : digits) screen.pinView().numberPad().tapDigit(digit);
        EXPECT_TRUE(env.runUntil([&] { return !screen.isShowingActivityIndicator(); }));
    }
    std::vector<std::string> events() {
        std::vector<std::string> actions;
        for (const auto& hit : env.analytics->hits) actions.push_back(hit.at("&ea"));
        return actions;
    }
    std::vector<std::string> settingsWritten() const {
        std::vector<std::string> bodies;
        for (const auto& request : env.network->requests())
            if (request.method == "POST" && request.url.substr(0, request.url.find('?')).ends_with("/settings"))
                bodies.push_back(request.body);
        return bodies;
    }
    /// The alert over `screen` as "title|message|buttons".
    static std::string alertOn(const ViewController& screen) {
        auto alert = std::dynamic_pointer_cast<AlertController>(screen.presentedViewController());
        if (!alert) return "(none)";
        std::string text = alert->title() + "|" + alert->message();
        for (const auto& action : alert->actions()) text += "|" + action.title;
        return text;
    }

    TestPlatform env;
    std::map<std::string, std::string> settings;  // the service's
    bool settingsFail = false;
    std::shared_ptr<RecordingFinishedDelegate> delegate = std::make_shared<RecordingFinishedDelegate>();

  private:
    ScriptedReply answer(const HttpRequest& request) {
        const std::string success = "<result><status>Success</status>";
        if (request.url.find("/device/login?") != std::string::npos) {
            if (request.header("Authorization") !=
                "Basic " + base64Encode(std::string(kUser) + ":" + base64Encode(kPassword)))
                return xmlReply(401, errorDocument("Failure", "ST3003"));
            return xmlReply(200, success + "<token>T2</token></result>");
        }
        if (settingsFail) return xmlReply(503, "");
        if (request.method == "POST") {
            static const std::regex setting(R"re(<setting Name="(\w+)">([^<]*)</setting>)re");
            for (std::sregex_iterator it(request.body.begin(), request.body.end(), setting), end; it != end; ++it)
                settings[(*it)[1]] = (*it)[2];
            return xmlReply(200, success + "</result>");
        }
        std::string elements;
        for (const auto& [name, value] : settings)
            elements += "<setting><name>" + name + "</name><value>" + value + "</value></setting>";
        return xmlReply(200, success + "<settings>" + elements + "</settings></result>");
    }
};

}  // namespace movra::test
