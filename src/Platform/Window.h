// Window: a top-level window (main, sign-in, full-screen error). Holds a root screen and the few visual
// properties the client sets (alpha, level, scale transform, key status). Changes are reported to UiHost.
// The root appears when the window is shown (or is set on a shown window) and disappears when it is hidden
// or replaced.
//
// Thread contract: main queue only.
#pragma once

#include "Platform/ViewController.h"

#include <memory>
#include <string>

namespace movra {

class UiHost;

inline constexpr double kWindowLevelNormal = 0;
inline constexpr double kWindowLevelAlert = 2000;

class Window : public std::enable_shared_from_this<Window> {
  public:
    /// `name` says which window this is in logs and renderings ("main", "sign-in", "error").
    Window(UiHost& host, std::string name);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    const std::string& name() const { return name_; }
    ViewControllerPtr rootViewController() const { return root_; }
    void setRootViewController(ViewControllerPtr root);
    double alpha() const { return alpha_; }
    void setAlpha(double alpha);
    double windowLevel() const { return level_; }
    void setWindowLevel(double level);
    /// Uniform scale of the transform (1 = identity); translation is kept apart.
    double scale() const { return scale_; }
    double translationX() const { return tx_; }
    double translationY() const { return ty_; }
    void setTransform(double scale, double translationX = 0, double translationY = 0);
    bool isIdentityTransform() const { return scale_ == 1 && tx_ == 0 && ty_ == 0; }
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);
    bool isKeyWindow() const;
    void makeKeyAndVisible();
    void resignKeyWindow();
    /// Shows a still picture of its own content instead of the live screens (used while animating away).
    bool showsSnapshot() const { return snapshot_; }
    void setShowsSnapshot(bool snapshot);
    /// Whether the window is visible on screen: not hidden and not fully transparent.
    bool isVisible() const { return !hidden_ && alpha_ > 0; }

  private:
    /// Tells the root it appeared or disappeared with the window.
    void rootVisibilityChanged();
    void changed();

    UiHost& host_;
    std::string name_;
    ViewControllerPtr root_;
    double alpha_ = 1;
    double level_ = kWindowLevelNormal;
    double scale_ = 1, tx_ = 0, ty_ = 0;
    bool hidden_ = true;
    bool snapshot_ = false;
};

using WindowPtr = std::shared_ptr<Window>;

}  // namespace movra
