// KidsModeViewController: what the kids-mode PIN screens share: the theme they are drawn in, the delegate
// that hears how the flow ended, the activity indicator, the error alert and sending a kids-mode
// configuration.
//
// Thread contract: main queue only. Completions hold the screen weakly.
#pragma once

#include "Foundation/Error.h"
#include "Model/KidsModeConfiguration.h"
#include "Model/ProfileTheme.h"
#include "Platform/ViewController.h"
#include "Sections/KidsMode/KidsModeFinishedDelegate.h"

#include <memory>

namespace movra {

class KidsModeViewController : public ViewController {
  public:
    const std::shared_ptr<const ProfileTheme>& theme() const { return theme_; }
    /// A request of the screen is under way; the screen ignores its buttons meanwhile.
    bool isShowingActivityIndicator() const { return showingActivityIndicator_; }
    /// The close button: the flow ends without a change.
    void cancel();

  protected:
    /// buildWithTheme:finishedDelegate:
    KidsModeViewController(std::shared_ptr<const ProfileTheme> theme,
                           std::weak_ptr<KidsModeFinishedDelegate> finishedDelegate);

    void setShowingActivityIndicator(bool showing) { showingActivityIndicator_ = showing; }
    void reportSuccess();
    /// "Error", the error's description and "OK": the alert of a configuration error and of a refused
    /// password alike.
    void showErrorAlert(const ErrorPtr& error);
    /// Writes `configuration` behind the activity indicator. A PIN refused by validation is logged and nothing
    /// is sent; a failed request shows the alert for configuration errors; success runs handleSetConfiguration().
    void sendConfiguration(const KidsModeConfiguration& configuration);
    virtual void handleSetConfiguration() {}
    /// The configuration was refused before sending or failed on the way; the indicator is hidden.
    virtual void handleConfigurationNotSet() {}

  private:
    void configurationSent(const ErrorPtr& error);
    void configurationFailed(const ErrorPtr& error);

    std::shared_ptr<const ProfileTheme> theme_;
    std::weak_ptr<KidsModeFinishedDelegate> finishedDelegate_;
    bool showingActivityIndicator_ = false;
};

}  // namespace movra
