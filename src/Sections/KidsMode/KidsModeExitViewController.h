// KidsModeExitViewController: "Exit Family": the PIN stored in the subscriber's settings lets the user out of
// the kids profile, as often as the user tries; "Forgot PIN?" lets the account password do it instead.
// While no PIN is stored, any four digits let the user out.
//
// Thread contract: main queue only. Completions hold the screen weakly.
#pragma once

#include "Sections/KidsMode/KidsModeViewController.h"
#include "Sections/KidsMode/PINView.h"

#include <optional>

namespace movra {

class KidsModeExitViewController : public KidsModeViewController,
                                   public PINViewDelegate,
                                   public KidsModeFinishedDelegate {
  public:
    KidsModeExitViewController(std::shared_ptr<const ProfileTheme> theme,
                               std::weak_ptr<KidsModeFinishedDelegate> finishedDelegate)
        : KidsModeViewController(std::move(theme), std::move(finishedDelegate)), pinView_(*this) {}

    std::string className() const override { return "KidsModeExitViewController"; }
    std::string describe() const override;
    PINView& pinView() { return pinView_; }
    /// PINs refused since the screen opened.
    int wrongAttempts() const { return wrongAttempts_; }

    /// "Forgot PIN?": the forgot-PIN screen, over this one.
    void forgotPIN();

    void pinFilledWithText(const std::string& text) override;
    /// The forgot-PIN screen's end.
    void didSucceedWithViewController(ViewController& forgotPIN) override;
    void didCancelWithViewController(ViewController& forgotPIN) override;

  protected:
    /// The profile is the adult one now; tells the delegate.
    virtual void exitSucceeded() { reportSuccess(); }

  private:
    void checkPIN(const std::string& entered, const std::optional<KidsModeConfiguration>& configuration,
                  const ErrorPtr& error);
    void leaveKidsProfile();

    PINView pinView_;
    int wrongAttempts_ = 0;
};

}  // namespace movra
