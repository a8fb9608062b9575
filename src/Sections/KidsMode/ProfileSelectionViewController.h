// ProfileSelectionViewController: the start-up dialog that asks who is watching. It is offered when the
// tenant has kids mode and no profile was chosen since sign-in (or none was launched with). Picking a
// profile stores it; the adult profile first reads the kids-mode configuration, and when no PIN guards
// the kids profile yet (and the set-up was not turned off) the kids-mode primer comes before the adult
// catalogue.
//
// Thread contract: main queue.
#pragma once

#include "Foundation/Error.h"
#include "Model/KidsModeConfiguration.h"
#include "Model/ProfileTheme.h"
#include "Model/ProfileType.h"
#include "Platform/ViewController.h"
#include "Sections/KidsMode/KidsModeFinishedDelegate.h"

#include <memory>
#include <optional>
#include <string>

namespace movra {

class ProfileSelectionViewController;

class ProfileSelectionViewControllerDelegate {
  public:
    virtual ~ProfileSelectionViewControllerDelegate() = default;
    /// The choice is complete and its analytics event sent. The owner closes the dialog, moving to the
    /// kids section first for the kids profile.
    virtual void didSelectProfileWithViewController(ProfileSelectionViewController& /*controller*/,
                                                    ProfileType /*type*/) {}
    /// The adult profile was picked and no PIN guards the kids profile: the owner presents the kids-mode
    /// primer over the dialog, with the dialog as the primer's finished delegate.
    virtual void showKidsModePrimerWithViewController(ProfileSelectionViewController& /*controller*/) {}
};

class ProfileSelectionViewController : public ViewController, public KidsModeFinishedDelegate {
  public:
    enum class State {
        Choosing,              // waiting for a pick (also after a failed configuration read)
        ReadingConfiguration,  // the adult profile was picked; the kids-mode configuration is being read
        ShowingPrimer,         // the kids-mode primer is up before the adult catalogue
        Finished,              // the choice is complete and the delegate was told
    };

    /// Whether the dialog is due: kids mode is allowed and either no profile was chosen since sign-in or
    /// none was launched with.
    static bool shouldPresent(bool kidsModeAllowed);

    /// buildWithTheme:finishedDelegate:
    ProfileSelectionViewController(std::shared_ptr<const ProfileTheme> theme,
                                   std::weak_ptr<ProfileSelectionViewControllerDelegate> delegate);

    std::string className() const override { return "ProfileSelectionViewController"; }
    std::string describe() const override;

    /// Picking a profile (adult or kids); ignored while a pick is being completed.
    void selectProfile(ProfileType type);
    /// The kids-mode primer has ended, however the user left it: the adult choice completes.
    void kidsModePrimerDidFinish();
    /// The primer presented over the dialog has ended: it goes, and the adult choice completes.
    void didSucceedWithViewController(ViewController& primer) override;
    void didCancelWithViewController(ViewController& primer) override;

    State state() const { return state_; }
    const std::shared_ptr<const ProfileTheme>& theme() const { return theme_; }
    /// The configuration the adult pick read, once it has.
    const std::optional<KidsModeConfiguration>& configuration() const { return configuration_; }

  private:
    void configurationRead(std::optional<KidsModeConfiguration> configuration, ErrorPtr error);
    void finish(ProfileType type);

    std::shared_ptr<const ProfileTheme> theme_;
    std::weak_ptr<ProfileSelectionViewControllerDelegate> delegate_;
    State state_ = State::Choosing;
    std::optional<KidsModeConfiguration> configuration_;
};

}  // namespace movra
