// KidsModePrimerViewController: offered when the adult profile is chosen and no PIN guards the kids profile
// yet: set a PIN now, later, or stop being asked.
//
// Thread contract: main queue only.
#pragma once

#include "Sections/KidsMode/KidsModeViewController.h"

namespace movra {

class KidsModePrimerViewController : public KidsModeViewController, public KidsModeFinishedDelegate {
  public:
    KidsModePrimerViewController(std::shared_ptr<const ProfileTheme> theme,
                                 std::weak_ptr<KidsModeFinishedDelegate> finishedDelegate)
        : KidsModeViewController(std::move(theme), std::move(finishedDelegate)) {}

    std::string className() const override { return "KidsModePrimerViewController"; }
    std::string describe() const override;

    /// "Set PIN": the set-PIN screen; its success ends the primer.
    void setPIN();
    /// "Maybe Later": nothing changes and the primer comes again next time.
    void maybeLater();
    /// "Don't Ask Again": turns the kids-mode set-up off.
    void dontAskAgain();

    void didSucceedWithViewController(ViewController& setPIN) override;
    void didCancelWithViewController(ViewController& setPIN) override;

  protected:
    void handleSetConfiguration() override { reportSuccess(); }
};

}  // namespace movra
