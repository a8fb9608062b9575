// TextUiHost: shows what a person would see as lines of text. Each time the visible scene changes (the
// key window, a window's screen, an alert) one line says what is on screen now.
#pragma once

#include "Platform/UiHost.h"

#include <ostream>
#include <string>

namespace movra::cli {

class TextUiHost final : public UiHost {
  public:
    explicit TextUiHost(std::ostream& out) : out_(out) {}

    void windowDidChange(const Window& window) override;
    void didPresent(const ViewController& presenter, const ViewController& presented) override;
    void didDismiss(const ViewController& presented) override;
    void didPush(const ViewController& navigation, const ViewController& pushed) override;

    /// The text of the scene as a person sees it now.
    std::string scene() const;
    /// Whether any output was printed.
    bool printedAnything() const { return !last_.empty(); }

  private:
    void refresh();

    std::ostream& out_;
    std::string last_;
};

}  // namespace movra::cli
