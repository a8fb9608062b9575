// KidsModeSetPINViewController: "Set 4-digit PIN": the four digits typed become the PIN that guards the kids
// profile, and the kids-mode set-up is on.
//
// Thread contract: main queue only.
#pragma once

#include "Sections/KidsMode/KidsModeViewController.h"
#include "Sections/KidsMode/PINView.h"

namespace movra {

class KidsModeSetPINViewController : public KidsModeViewController, public PINViewDelegate {
  public:
    KidsModeSetPINViewController(std::shared_ptr<const ProfileTheme> theme,
                                 std::weak_ptr<KidsModeFinishedDelegate> finishedDelegate)
        : KidsModeViewController(std::move(theme), std::move(finishedDelegate)), pinView_(*this) {}

    std::string className() const override { return "KidsModeSetPINViewController"; }
    std::string describe() const override;
    PINView& pinView() { return pinView_; }

    void pinFilledWithText(const std::string& text) override;

  protected:
    void handleSetConfiguration() override;
    void handleConfigurationNotSet() override { pinView_.clearWithAnimated(true); }

  private:
    PINView pinView_;
};

}  // namespace movra
