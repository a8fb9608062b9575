// MVWebViewController: a web page of the catalogue (an external item), loaded from its link.
//
// Thread contract: main queue only.
#pragma once

#include "Root/MVRootViewController.h"

namespace movra {

class MVWebViewController : public MVRootViewController {
  public:
    explicit MVWebViewController(std::optional<std::string> url) : url_(std::move(url)) {}
    std::string className() const override { return "MVWebViewController"; }
    std::string describe() const override { return className() + " " + url_.value_or("(no address)"); }
    const std::optional<std::string>& url() const { return url_; }

  private:
    std::optional<std::string> url_;
};

}  // namespace movra
