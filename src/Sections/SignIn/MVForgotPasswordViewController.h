// MVForgotPasswordViewController: the account's forgot-password screen. It asks the service to send the
// subscriber at the e-mail address given (prefilled for a known subscriber) the means to choose a new
// password; a refusal is shown in an "Error" alert.
//
// Thread contract: main queue only. Completions hold the screen weakly.
#pragma once

#include "Platform/ViewController.h"

#include <string>

namespace movra {

class MVForgotPasswordViewController : public ViewController {
  public:
    enum class State {
        Idle,     // waiting for the user (also after a refusal)
        Sending,  // the request is under way
        Sent,     // the service has taken the request
    };

    explicit MVForgotPasswordViewController(std::string userName) : userName_(std::move(userName)) {}

    std::string className() const override { return "MVForgotPasswordViewController"; }
    std::string describe() const override;

    const std::string& userName() const { return userName_; }
    void setUserName(std::string userName) { userName_ = std::move(userName); }
    State state() const { return state_; }

    /// Sends the request for the e-mail address shown; ignored while one is under way.
    void submit();

  private:
    std::string userName_;
    State state_ = State::Idle;
};

}  // namespace movra
