#include "Root/MVFullScreenLoadingViewController.h"

namespace movra {

std::string MVFullScreenLoadingViewController::describe() const {
    return activityIndicatorAlpha_ > 0 ? "Loading: Movra logo, activity indicator spinning" : "Loading: Movra logo";
}

}  // namespace movra
