// CatalogChangeViewController: the start-up notice that the catalogue shown is that of another region than
// the subscriber's home region.
//
// Thread contract: main queue only.
#pragma once

#include "Model/ProfileTheme.h"
#include "Platform/ViewController.h"

#include <memory>

namespace movra {

class CatalogChangeViewController;

class CatalogChangeViewControllerDelegate {
  public:
    virtual ~CatalogChangeViewControllerDelegate() = default;
    /// The user has read the notice: the owner closes it and goes on with the start-up.
    virtual void catalogChangeViewControllerDidFinish(CatalogChangeViewController& /*controller*/) {}
};

class CatalogChangeViewController : public ViewController {
  public:
    /// Whether a notice has been on screen since the process started.
    static bool hasShownTenantChangeAlert();

    /// buildWithTheme:finishedDelegate:
    CatalogChangeViewController(std::shared_ptr<const ProfileTheme> theme,
                                std::weak_ptr<CatalogChangeViewControllerDelegate> delegate);

    std::string className() const override { return "CatalogChangeViewController"; }
    std::string describe() const override;
    const std::shared_ptr<const ProfileTheme>& theme() const { return theme_; }

    /// The user is done with the notice: tells the delegate.
    void finish();

    void viewDidLoad() override;

  private:
    std::shared_ptr<const ProfileTheme> theme_;
    std::weak_ptr<CatalogChangeViewControllerDelegate> delegate_;
};

}  // namespace movra
