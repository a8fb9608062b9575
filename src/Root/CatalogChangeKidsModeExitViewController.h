// CatalogChangeKidsModeExitViewController: the start-up dialog that takes the user out of the kids profile
// when the tenant no longer offers kids mode. It is the exit screen (the PIN, or the account password through
// "Forgot PIN?"), without a way to stay in the kids profile. Until it is completed it comes back at every start.
//
// Thread contract: main queue only.
#pragma once

#include "Sections/KidsMode/KidsModeExitViewController.h"

#include <memory>

namespace movra {

class CatalogChangeKidsModeExitViewController;

class CatalogChangeKidsModeExitViewControllerDelegate {
  public:
    virtual ~CatalogChangeKidsModeExitViewControllerDelegate() = default;
    /// The user has left the kids profile: the owner closes the dialog and goes on with the start-up.
    virtual void catalogChangeKidsModeExitViewControllerDidFinish(
        CatalogChangeKidsModeExitViewController& /*controller*/) {}
};

class CatalogChangeKidsModeExitViewController : public KidsModeExitViewController {
  public:
    /// buildWithTheme:finishedDelegate:
    CatalogChangeKidsModeExitViewController(std::shared_ptr<const ProfileTheme> theme,
                                            std::weak_ptr<CatalogChangeKidsModeExitViewControllerDelegate> delegate);

    std::string className() const override { return "CatalogChangeKidsModeExitViewController"; }
    std::string describe() const override;

    /// The exit is complete: tells the delegate.
    void finish();

  protected:
    void exitSucceeded() override { finish(); }

  private:
    std::weak_ptr<CatalogChangeKidsModeExitViewControllerDelegate> delegate_;
};

}  // namespace movra
