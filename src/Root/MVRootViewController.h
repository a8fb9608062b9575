// MVRootViewController: the base of every browsing screen. It turns a catalogue item into the screen that
// shows it (the routing table), pushes that screen, starts playback of a playable title, and sends a screen
// view when it becomes visible.
//
// Thread contract: main queue only.
#pragma once

#include "Platform/ViewController.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace movra {

struct Image;
class MVItem;
class ProfileTheme;

class MVRootViewController : public ViewController {
  public:
    /// The alert of a title that cannot be played.
    static constexpr const char* kUnknownPlaybackErrorMessage =
        "We are sorry, but the selected video is currently "
        "unavailable.";

    /// A new screen for `item`, or nullptr when no screen shows it.
    static ViewControllerPtr viewControllerForCatalogItem(const std::shared_ptr<MVItem>& item, bool atTopLevel = false);
    /// Asks the main window's stack for its menu's home entry.
    static void navigateHome();

    /// (whether a screen was pushed).
    using NavigationCompletion = std::function<void(bool pushed)>;
    /// Routes `item` and pushes its screen; `source` names where the tap came from (analytics), `title`
    /// replaces the pushed screen's title.
    void navigateToCatalogItem(const std::shared_ptr<MVItem>& item, const std::optional<std::string>& source = {},
                               const std::optional<std::string>& title = {}, NavigationCompletion completion = nullptr);
    /// Presents the playback screen for `item`, or says the title is unavailable.
    void playCatalogItem(const std::shared_ptr<MVItem>& item,
                         std::shared_ptr<ViewControllerTransitioningDelegate> transitioningDelegate = nullptr,
                         std::shared_ptr<const Image> splashImage = nullptr);
    void showUnknownPlaybackError();

    const std::optional<std::string>& navigationSource() const { return navigationSource_; }
    void setNavigationSource(std::optional<std::string> source) { navigationSource_ = std::move(source); }
    bool automaticallySendAnalyticsPageView() const { return sendsPageView_; }
    void setAutomaticallySendAnalyticsPageView(bool send) { sendsPageView_ = send; }
    std::shared_ptr<const ProfileTheme> theme() const { return theme_; }
    void setTheme(std::shared_ptr<const ProfileTheme> theme) { theme_ = std::move(theme); }
    const std::optional<std::string>& title() const { return title_; }
    void setTitle(std::optional<std::string> title) { title_ = std::move(title); }
    bool canShowCastBar() const { return canShowCastBar_; }
    void setCanShowCastBar(bool can) { canShowCastBar_ = can; }
    bool canShowCastIntro() const { return canShowCastIntro_; }
    void setCanShowCastIntro(bool can) { canShowCastIntro_ = can; }
    bool showCastIntroductionAfterLoad() const { return castIntroAfterLoad_; }
    void setShowCastIntroductionAfterLoad(bool show) { castIntroAfterLoad_ = show; }

    void viewDidAppear(bool animated) override;

  protected:
    /// Tells the front end that what this screen shows changed.
    void contentChanged() const;

  private:
    std::optional<std::string> navigationSource_;
    bool sendsPageView_ = false;
    std::shared_ptr<const ProfileTheme> theme_;
    std::optional<std::string> title_;
    bool canShowCastBar_ = false;
    bool canShowCastIntro_ = false;
    bool castIntroAfterLoad_ = false;
};

}  // namespace movra
