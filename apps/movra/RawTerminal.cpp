#include "movra/RawTerminal.h"

#include <unistd.h>

namespace movra::cli {

RawTerminal::RawTerminal() {
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved_) != 0) return;
    active_ = true;
    resume();
}

RawTerminal::~RawTerminal() {
    if (active_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
}

void RawTerminal::suspend() {
    if (active_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
}

void RawTerminal::resume() {
    if (!active_) return;
    termios raw = saved_;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    // Reads return at once, with or without a key, so the run loop is never held up.
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    active_ = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
}

std::optional<RawTerminal::Press> RawTerminal::readKey() {
    if (!active_) return std::nullopt;
    char buffer[64];
    const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
    if (count > 0) pending_.append(buffer, static_cast<std::size_t>(count));
    while (!pending_.empty()) {
        const char c = pending_.front();
        if (c == '\x1b') {
            // Arrow keys come as ESC [ C (right) and ESC [ D (left).
            if (pending_.size() >= 2 && pending_[1] != '[') {
                pending_.erase(0, 1);
                continue;
            }
            if (pending_.size() < 3) return std::nullopt;
            const char code = pending_[2];
            pending_.erase(0, 3);
            if (code == 'C') return Press{Key::Right};
            if (code == 'D') return Press{Key::Left};
            continue;
        }
        pending_.erase(0, 1);
        if (c == ' ') return Press{Key::Space};
        if (c == 'q' || c == 'Q') return Press{Key::Quit};
        if (c == 's' || c == 'S') return Press{Key::Subtitles};
        if (c == 'a' || c == 'A') return Press{Key::Audio};
        if (c >= '0' && c <= '9') return Press{Key::Digit, c - '0'};
    }
    return std::nullopt;
}

}  // namespace movra::cli
