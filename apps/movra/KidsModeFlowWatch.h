// KidsModeFlowWatch: the finished delegate of a kids-mode PIN screen that a command runs: it remembers how
// the flow ended and turns the main queue while the screen's request is under way.
#pragma once

#include "Sections/KidsMode/KidsModeViewController.h"
#include "movra/ClientSession.h"

#include <string>

namespace movra::cli {

class KidsModeFlowWatch final : public KidsModeFinishedDelegate {
  public:
    /// Turns the main queue until `screen` has no request under way; false when that timed out.
    static bool waitFor(ClientSession& session, const KidsModeViewController& screen);
    /// The message of the alert `screen` shows, or "".
    static std::string alertMessage(const ViewController& screen);

    bool succeeded() const { return succeeded_; }
    void didSucceedWithViewController(ViewController& /*controller*/) override { succeeded_ = true; }

  private:
    bool succeeded_ = false;
};

}  // namespace movra::cli
