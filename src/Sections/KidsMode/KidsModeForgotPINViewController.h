// KidsModeForgotPINViewController: "Forgot PIN": the account password, checked by signing the subscriber in
// again, lets the user out of the kids profile and clears the PIN, so that a new one is offered next time.
// A refused password changes nothing.
//
// Thread contract: main queue only. Completions hold the screen weakly.
#pragma once

#include "Sections/KidsMode/KidsModeViewController.h"

#include <string>

namespace movra {

class KidsModeForgotPINViewController : public KidsModeViewController {
  public:
    KidsModeForgotPINViewController(std::shared_ptr<const ProfileTheme> theme,
                                    std::weak_ptr<KidsModeFinishedDelegate> finishedDelegate)
        : KidsModeViewController(std::move(theme), std::move(finishedDelegate)) {}

    std::string className() const override { return "KidsModeForgotPINViewController"; }
    std::string describe() const override;

    /// "Submit" with the password typed.
    void submit(const std::string& password);
    /// "Forgot Password?": the account's forgot-password screen for the signed-in subscriber.
    void forgotPassword();

  protected:
    void handleSetConfiguration() override;

  private:
    void passwordChecked(const ErrorPtr& error);
};

}  // namespace movra
