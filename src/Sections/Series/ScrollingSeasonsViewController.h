// ScrollingSeasonsViewController: a series' seasons as horizontally scrolling tabs, each showing its season
// screen.
//
// Thread contract: main queue only.
#pragma once

#include "Sections/Series/ScrollingSeasonsViewControllerSource.h"

#include <memory>

namespace movra {

class ScrollingSeasonsViewController : public ViewController {
  public:
    explicit ScrollingSeasonsViewController(std::weak_ptr<ScrollingSeasonsViewControllerSource> source)
        : source_(std::move(source)) {}

    std::string className() const override { return "ScrollingSeasonsViewController"; }
    std::string describe() const override;

    std::size_t currentPage() const { return currentPage_; }
    /// Shows the tab at `index` (outside the tabs: nothing changes); its season screen is made then.
    void setCurrentPage(std::size_t index);
    /// The season screen of the current tab.
    ViewControllerPtr currentViewController() const { return current_; }

    void viewDidLoad() override;

  private:
    std::weak_ptr<ScrollingSeasonsViewControllerSource> source_;
    std::size_t currentPage_ = 0;
    ViewControllerPtr current_;
};

}  // namespace movra
