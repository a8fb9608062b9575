// ViewControllerTransitioningDelegate: a custom transition for presenting a screen. The platform draws it;
// the client only chooses whether a presentation uses one.
#pragma once

namespace movra {

class ViewControllerTransitioningDelegate {
  public:
    virtual ~ViewControllerTransitioningDelegate() = default;
};

}  // namespace movra
