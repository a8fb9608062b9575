#include "movra/SecretInput.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <termios.h>

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

std::optional<std::string> SecretInput::read(bool fromStdin, const std::string& prompt, std::string& problem) const {
    if (fromStdin) {
        std::string line;
        if (!std::getline(std::cin, line)) {
            problem = std::string("no ") + name + " on standard input";
            return std::nullopt;
        }
        return withoutLineEnd(line);
    }
    if (const char* fromEnvironment = std::getenv(environmentVariable)) return std::string(fromEnvironment);
    if (auto typed = promptWithoutEcho(prompt)) return typed;
    problem = std::string("no ") + name + " given: use " + stdinOption + ", " + environmentVariable + " or a terminal";
    return std::nullopt;
}

}  // namespace movra::cli
