// The geo-block screen: the service is not available where the device is.
#pragma once

#include "Platform/ViewController.h"

#include <string>

namespace movra {

class MVGeoBlockViewController : public ViewController {
  public:
    MVGeoBlockViewController();
    std::string className() const override { return "MVGeoBlockViewController"; }
    std::string describe() const override { return "Not available here: " + message_ + " [" + linkTitle_ + "]"; }
    const std::string& message() const { return message_; }
    const std::string& linkTitle() const { return linkTitle_; }

  private:
    std::string message_;
    std::string linkTitle_;
};

}  // namespace movra
