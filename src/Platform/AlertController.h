// AlertController: an alert with a title, a message and buttons. Tapping a button dismisses the alert
// and then runs the button's handler.
//
// Thread contract: main queue only.
#pragma once

#include "Platform/ViewController.h"

#include <functional>
#include <string>
#include <vector>

namespace movra {

class AlertController : public ViewController {
  public:
    enum class ActionStyle { Default, Cancel, Destructive };
    struct Action {
        std::string title;
        ActionStyle style = ActionStyle::Default;
        std::function<void()> handler;
    };

    AlertController(std::string title, std::string message) : title_(std::move(title)), message_(std::move(message)) {}

    std::string className() const override { return "UIAlertController"; }
    std::string describe() const override;

    const std::string& title() const { return title_; }
    const std::string& message() const { return message_; }
    void addAction(Action action) { actions_.push_back(std::move(action)); }
    const std::vector<Action>& actions() const { return actions_; }
    /// Taps the button at `index` (out of range does nothing); false when nothing was tapped.
    bool tapButton(std::size_t index);
    /// Taps the button titled `title`.
    bool tapButton(const std::string& title);

  private:
    std::string title_;
    std::string message_;
    std::vector<Action> actions_;
};

}  // namespace movra
