// The full-screen error shown while the service is down for maintenance.
#pragma once

#include "Platform/ViewController.h"

#include <string>

namespace movra {

class MVFullScreenErrorViewController : public ViewController {
  public:
    MVFullScreenErrorViewController();
    std::string className() const override { return "MVFullScreenErrorViewController"; }
    std::string describe() const override { return "Error: " + maintenanceMessage_; }

    const std::string& maintenanceMessage() const { return maintenanceMessage_; }
    const std::string& geoblockMessage() const { return geoblockMessage_; }
    const std::string& reachabilityMessage() const { return reachabilityMessage_; }

  private:
    std::string maintenanceMessage_;
    std::string geoblockMessage_;
    std::string reachabilityMessage_;
};

}  // namespace movra
