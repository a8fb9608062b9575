// KidsModeFinishedDelegate: hears how a kids-mode PIN flow ended. Whoever presented the flow dismisses it;
// the owner of the profile switch leaves the kids profile on success.
//
// Thread contract: main queue only.
#pragma once

namespace movra {

class ViewController;

class KidsModeFinishedDelegate {
  public:
    virtual ~KidsModeFinishedDelegate() = default;
    virtual void didSucceedWithViewController(ViewController& /*controller*/) {}
    virtual void didCancelWithViewController(ViewController& /*controller*/) {}
};

}  // namespace movra
