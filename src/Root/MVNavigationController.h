// The app's navigation controller.
#pragma once

#include "Platform/NavigationController.h"

namespace movra {

class MVNavigationController : public NavigationController {
  public:
    std::string className() const override { return "MVNavigationController"; }
};

}  // namespace movra
