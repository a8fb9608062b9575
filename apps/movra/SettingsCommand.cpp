#include "movra/SettingsCommand.h"

#include "API/MVHTTPClient.h"
#include "Platform/Platform.h"
#include "Utilities/MVSetting.h"
#include "Utilities/MVSettingsResponse.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"

namespace movra::cli {

namespace {

/// The kids-mode PIN is never printed, only whether one is set.
constexpr const char* kPINSetting = "kidsModePIN";
constexpr const char* kMaskedPIN = "****";

/// The settings to write, in the order given; an error text when an argument is malformed.
std::optional<std::string> settingsFromArguments(SettingsCommand::Action action,
                                                 const std::vector<std::string>& arguments, Json& settings) {
    settings = Json::object();
    for (const auto& argument : arguments) {
        if (action == SettingsCommand::Action::Clear) {
            if (argument.empty()) return "a setting name is empty";
            settings[argument] = nullptr;
            continue;
        }
        const auto equals = argument.find('=');
        if (equals == std::string::npos || equals == 0) return "\"" + argument + "\" is not NAME=VALUE";
        // As an argument the PIN would show in the process list.
        if (argument.substr(0, equals) == kPINSetting)
            return std::string(kPINSetting) + " is set with movra kids-config --set-pin, not as an argument";
        settings[argument.substr(0, equals)] = argument.substr(equals + 1);
    }
    if (settings.empty()) return "no settings given";
    return std::nullopt;
}

}  // namespace

int SettingsCommand::run(const GlobalOptions& options) const {
    Json settings;
    if (action != Action::List) {
        if (auto problem = settingsFromArguments(action, arguments, settings)) {
            printFailure(options, *problem);
            return 2;
        }
    }
    ClientSession session(options);
    if (auto failed = session.start(/*requireSignIn=*/true)) return *failed;
    bool done = false;
    ErrorPtr failure;
    std::shared_ptr<MVSettingsResponse> read;
    if (action == Action::List) {
        session.client()->getSettingsWithCompletion([&](ErrorPtr error, std::shared_ptr<MVSettingsResponse> answer) {
            // This completion runs on a background queue.
            Platform::current().mainQueue().post([&, error, answer] {
                failure = error;
                read = answer;
                done = true;
            });
        });
    } else {
        session.client()->updateSettings(settings, [&](ErrorPtr error, XMLDocumentPtr) {
            failure = error;
            done = true;
        });
    }
    if (!session.wait([&] { return done; })) {
        printFailure(options, "The settings request did not finish in time");
        return 1;
    }
    if (failure || (action == Action::List && !read)) {
        printFailure(options,
                     "The settings could not be " + std::string(action == Action::List ? "read" : "written") +
                         (failure ? ": " + failure->summary() : std::string()),
                     failure);
        return 1;
    }
    if (action != Action::List) {
        printResult(options, {{"saved", settings}},
                    std::string(action == Action::Set ? "Saved " : "Cleared ") + std::to_string(settings.size()) +
                        (settings.size() == 1 ? " setting" : " settings"));
        return 0;
    }
    Json list = Json::object();
    std::string text;
    for (const auto& setting : read->settings()) {
        const auto name = setting->name().value_or("");
        auto value = setting->value();
        if (name == kPINSetting && value && !value->empty()) value = kMaskedPIN;
        list[name] = value ? Json(*value) : Json(nullptr);
        text += name + "=" + value.value_or("") + "\n";
    }
    printResult(options, {{"settings", list}}, text.empty() ? "No settings" : text);
    return 0;
}

}  // namespace movra::cli
