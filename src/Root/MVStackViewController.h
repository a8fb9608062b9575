// MVStackViewController: the main screen container, a side menu beside a stack of content screens.
// So far it only holds the menu panel state; the menu and its screens come with the catalogue screens.
#pragma once

#include "Platform/ViewController.h"

namespace movra {

class MVStackViewController : public ViewController {
  public:
    std::string className() const override { return "MVStackViewController"; }
    std::string describe() const override;
    bool isLeftPanelOpen() const { return leftPanelOpen_; }
    void openLeftPanel(bool /*animated*/) { leftPanelOpen_ = true; }
    void closeLeftPanel(bool /*animated*/) { leftPanelOpen_ = false; }

  private:
    bool leftPanelOpen_ = true;
};

}  // namespace movra
