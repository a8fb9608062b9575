// RawTerminal: single key presses from a terminal on standard input, without echo and without waiting for a
// line, for as long as the object lives; the terminal's own settings come back afterwards. Ctrl-C still
// sends SIGINT and Ctrl-Z SIGTSTP. Without a terminal on standard input it reads nothing.
#pragma once

#include <optional>
#include <string>
#include <termios.h>

namespace movra::cli {

class RawTerminal {
  public:
    enum class Key { Space, Left, Right, Quit, Subtitles, Audio, Digit };
    struct Press {
        Key key;
        /// For Key::Digit.
        int digit = 0;
    };

    RawTerminal();
    ~RawTerminal();
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;

    bool isActive() const { return active_; }
    /// The next key pressed, if one is waiting; other keys are skipped.
    std::optional<Press> readKey();
    /// Gives the terminal its own settings back while the program is stopped, and takes it again.
    void suspend();
    void resume();

  private:
    bool active_ = false;
    termios saved_{};
    std::string pending_;
};

}  // namespace movra::cli
