#include "movra/KidsConfigCommand.h"

#include "Model/ProfileManager.h"
#include "Sections/KidsMode/KidsModeSetPINViewController.h"
#include "movra/ClientSession.h"
#include "movra/KidsModeFlowWatch.h"
#include "movra/Output.h"
#include "movra/SecretInput.h"

namespace movra::cli {

namespace {

/// The configuration without printing the PIN itself.
void printConfiguration(const GlobalOptions& options, const KidsModeConfiguration& configuration, const char* heading) {
    const bool hasPIN = !configuration.kidsModePIN().value_or("").empty();
    Json json = Json::object();
    if (configuration.kidsModeIgnore()) json["kidsModeIgnore"] = *configuration.kidsModeIgnore();
    if (configuration.kidsModePIN()) json["hasPIN"] = hasPIN;
    std::string text = heading;
    if (configuration.kidsModePIN()) text += std::string("\nPIN: ") + (hasPIN ? "set" : "none");
    if (configuration.kidsModeIgnore())
        text += std::string("\nKids-mode set-up: ") + (*configuration.kidsModeIgnore() ? "turned off" : "offered");
    printResult(options, json, text);
}

/// Keys `pin` into the set-PIN screen, which sends it.
int setPINThroughScreen(ClientSession& session, const GlobalOptions& options, const std::string& pin) {
    auto watch = std::make_shared<KidsModeFlowWatch>();
    auto screen = std::make_shared<KidsModeSetPINViewController>(ProfileManager::themeForActiveProfile(), watch);
    screen->loadViewIfNeeded();
    for (char digit : pin) screen->pinView().numberPad().tapDigit(digit);
    if (!KidsModeFlowWatch::waitFor(session, *screen)) {
        printFailure(options, "The kids-mode configuration request did not finish in time");
        return 1;
    }
    if (!watch->succeeded()) {
        printFailure(options,
                     "The kids-mode configuration could not be written: " + KidsModeFlowWatch::alertMessage(*screen));
        return 1;
    }
    printConfiguration(options, KidsModeConfiguration(false, pin), "Saved");
    return 0;
}

}  // namespace

int KidsConfigCommand::run(const GlobalOptions& options) const {
    std::optional<std::string> pin;
    if (setPin) {
        std::string problem;
        pin = SecretInput{"PIN", "--pin-stdin", "MOVRA_PIN"}.read(pinFromStdin, "New kids-mode PIN: ", problem);
        if (!pin) {
            printFailure(options, problem);
            return 2;
        }
        ErrorPtr invalid;
        // A PIN that would be refused sends nothing at all, not even the region check.
        if (!KidsModeConfiguration::validatePIN(*pin, &invalid)) {
            printFailure(options, "PIN validation error: " + invalid->localizedDescription, invalid);
            return 2;
        }
    }
    ClientSession session(options);
    if (auto failed = session.start(/*requireSignIn=*/true)) return *failed;
    if (pin) return setPINThroughScreen(session, options, *pin);

    const bool writing = clearPin || ignore;
    const KidsModeConfiguration configuration(ignore ? std::optional<bool>(*ignore == "true") : std::nullopt,
                                              clearPin ? std::optional<std::string>("") : std::nullopt);
    bool done = false;
    ErrorPtr failure;
    std::optional<KidsModeConfiguration> read;
    if (writing) {
        if (!ProfileManager::setKidsModeConfiguration(configuration, &failure, [&](ErrorPtr error, XMLDocumentPtr) {
                failure = error;
                done = true;
            }))
            done = true;
    } else {
        ProfileManager::getKidsModeConfiguration([&](std::optional<KidsModeConfiguration> answer, ErrorPtr error) {
            read = std::move(answer);
            failure = error;
            done = true;
        });
    }
    if (!session.wait([&] { return done; })) {
        printFailure(options, "The kids-mode configuration request did not finish in time");
        return 1;
    }
    if (failure) {
        printFailure(options,
                     std::string("The kids-mode configuration could not be ") + (writing ? "written" : "read") + ": " +
                         failure->summary(),
                     failure);
        return 1;
    }
    printConfiguration(options, writing ? configuration : *read, writing ? "Saved" : "Kids-mode configuration");
    return 0;
}

}  // namespace movra::cli
