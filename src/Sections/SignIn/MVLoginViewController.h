// MVLoginViewController: the sign-in screen. It signs the subscriber in, restarts the catalogue store,
// sets up the home tenant and tells its delegate when all that has finished; a failure is shown in an
// "Error" alert.
//
// Thread contract: main queue.
#pragma once

#include "Foundation/Error.h"
#include "Platform/ViewController.h"
#include "Utilities/XMLDocument.h"

#include <memory>
#include <optional>
#include <string>

namespace movra {

class MVLoginViewController;

class MVLoginViewControllerDelegate {
  public:
    virtual ~MVLoginViewControllerDelegate() = default;
    /// Sign-in and the home-tenant set-up have finished.
    virtual void loginComplete(MVLoginViewController& /*controller*/) {}
    /// The service answered the sign-in, either way: the catalogue store starts afresh for whoever is signed in.
    virtual void loginAnswered(MVLoginViewController& /*controller*/) {}
};

class MVLoginViewController : public ViewController {
  public:
    /// Defaults key of the finished profile selection; a new sign-in asks for a profile again.

    enum class State {
        Idle,       // waiting for the user
        SigningIn,  // the sign-in request or the home-tenant set-up is under way
        SignedIn,   // signed in; the delegate has been told
        Failed,     // the last attempt failed; failureMessage() says why
    };

    std::string className() const override { return "MVLoginViewController"; }
    std::string describe() const override;

    std::shared_ptr<MVLoginViewControllerDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<MVLoginViewControllerDelegate> delegate) { delegate_ = std::move(delegate); }

    /// The sign-in button. Ignored while an attempt is under way.
    void signIn(const std::string& userName, const std::string& password);
    State state() const { return state_; }
    /// The message of the last failure's alert.
    const std::string& failureMessage() const { return failureMessage_; }
    /// The alert message for a failed sign-in: the client's own messages as they are, else the network
    /// state, else the error document's user message or the generic text.
    static std::string alertMessageForError(const ErrorPtr& error, const XMLDocumentPtr& document);

  private:
    void signedIn();
    void finish();
    void fail(const ErrorPtr& error, const XMLDocumentPtr& document);

    std::weak_ptr<MVLoginViewControllerDelegate> delegate_;
    State state_ = State::Idle;
    std::string failureMessage_;
};

}  // namespace movra
