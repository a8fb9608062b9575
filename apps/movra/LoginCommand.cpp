#include "movra/LoginCommand.h"

#include <cstdlib>
#include <iostream>
#include <termios.h>
#include <unistd.h>

#include "App/MVAppDelegate.h"
#include "App/MVDiscriminator.h"
#include "Sections/SignIn/MVLoginViewController.h"
#include "Utilities/MVAccount.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"

namespace movra::cli {

namespace {

std::string withoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

/// Reads one line from the terminal with echo switched off.
std::optional<std::string> promptWithoutEcho(const std::string& prompt) {
    FILE* tty = std::fopen("/dev/tty", "r+");
    if (!tty) return std::nullopt;
    const int fd = fileno(tty);
    termios saved{};
    const bool canHide = tcgetattr(fd, &saved) == 0;
    if (canHide) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    std::fputs(prompt.c_str(), tty);
    std::fflush(tty);
    std::string line;
    char buffer[256];
    bool read = false;
    while (std::fgets(buffer, sizeof buffer, tty)) {
        read = true;
        line += buffer;
        if (!line.empty() && line.back() == '\n') break;
    }
    if (canHide) tcsetattr(fd, TCSAFLUSH, &saved);
    std::fputs("\n", tty);
    std::fclose(tty);
    if (!read) return std::nullopt;
    return withoutLineEnd(line);
}

}  // namespace

std::optional<std::string> LoginCommand::readPassword(std::string& problem) const {
    if (passwordFromStdin) {
        std::string line;
        if (!std::getline(std::cin, line)) {
            problem = "no password on standard input";
            return std::nullopt;
        }
        return withoutLineEnd(line);
    }
    if (const char* fromEnvironment = std::getenv("MOVRA_PASSWORD")) return std::string(fromEnvironment);
    if (auto typed = promptWithoutEcho("Password for " + userName + ": ")) return typed;
    problem = "no password given: use --password-stdin, MOVRA_PASSWORD or a terminal";
    return std::nullopt;
}

int LoginCommand::run(const GlobalOptions& options) const {
    std::string problem;
    auto password = readPassword(problem);
    if (!password) {
        printFailure(options, problem);
        return 2;
    }
    ClientSession session(options);
    if (auto failed = session.start(/*requireSignIn=*/false)) return *failed;
    // The sign-in screen restarts the catalogue store through the application's delegate.
    auto app = std::make_shared<MVAppDelegate>();
    MVAppDelegate::setSharedAppDelegate(app);
    auto screen = std::make_shared<MVLoginViewController>();
    screen->loadViewIfNeeded();
    screen->signIn(userName, *password);
    const bool answered = session.wait([&] { return screen->state() != MVLoginViewController::State::SigningIn; });
    MVAppDelegate::setSharedAppDelegate(nullptr);

    if (!answered) {
        printFailure(options, "The sign-in did not finish in time");
        return 1;
    }
    if (screen->state() != MVLoginViewController::State::SignedIn) {
        printFailure(options, screen->failureMessage());
        return 1;
    }
    auto account = MVAccount::cachedAccount();
    auto discriminator = MVDiscriminator::sharedDiscriminator();
    const auto homeTenant =
        MVDiscriminator::stringForRegionTenant(discriminator ? discriminator->homeTenant() : MVRegionTenantNone);
    Json json = {{"signedIn", true},
                 {"userName", userName},
                 {"account", account ? accountObject(*account) : Json(nullptr)},
                 {"homeTenant", homeTenant ? Json(*homeTenant) : Json(nullptr)}};
    std::string text = "Signed in as " + userName + "\n";
    if (account) text += accountText(*account) + "\n";
    text += "Home tenant: " + homeTenant.value_or("unknown");
    printResult(options, json, text);
    return 0;
}

}  // namespace movra::cli
