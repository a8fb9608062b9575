// MVLoginViewController: the sign-in screen. It tells its delegate when sign-in has finished.
//
// Thread contract: main queue.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "Platform/ViewController.h"

namespace movra {

class MVLoginViewController;

class MVLoginViewControllerDelegate {
public:
    virtual ~MVLoginViewControllerDelegate() = default;
    /// Sign-in and the home-tenant set-up have finished.
    virtual void loginComplete(MVLoginViewController& controller) {}
};

class MVLoginViewController : public ViewController {
public:
    std::string className() const override { return "MVLoginViewController"; }
    std::string describe() const override;

    std::shared_ptr<MVLoginViewControllerDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<MVLoginViewControllerDelegate> delegate) { delegate_ = std::move(delegate); }
    /// The authentication challenge this screen answers, when it was shown for one.
    const std::optional<std::string>& challenge() const { return challenge_; }
    const std::optional<std::string>& protectionSpace() const { return protectionSpace_; }
    void setChallenge(std::optional<std::string> challenge, std::optional<std::string> protectionSpace) {
        challenge_ = std::move(challenge);
        protectionSpace_ = std::move(protectionSpace);
    }

private:
    std::weak_ptr<MVLoginViewControllerDelegate> delegate_;
    std::optional<std::string> challenge_, protectionSpace_;
};

}  // namespace movra
