// The loading screen shown from launch until the first route: the logo and an activity indicator.
#pragma once

#include "Platform/ViewController.h"

namespace movra {

class MVFullScreenLoadingViewController : public ViewController {
  public:
    std::string className() const override { return "MVFullScreenLoadingViewController"; }
    std::string describe() const override;
    double activityIndicatorAlpha() const { return activityIndicatorAlpha_; }
    void setActivityIndicatorAlpha(double alpha) { activityIndicatorAlpha_ = alpha; }

  private:
    double activityIndicatorAlpha_ = 1;
};

}  // namespace movra
