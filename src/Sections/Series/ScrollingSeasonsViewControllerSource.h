// ScrollingSeasonsViewControllerSource: what the season tabs show, given by the series screen.
#pragma once

#include "Platform/ViewController.h"

#include <cstddef>
#include <string>

namespace movra {

class ScrollingSeasonsViewControllerSource {
  public:
    virtual ~ScrollingSeasonsViewControllerSource() = default;
    virtual std::size_t numberOfTabs() const = 0;
    virtual std::string titleForTabAtIndex(std::size_t index) const = 0;
    /// The season screen of the tab, made when first needed; nullptr outside the tabs.
    virtual ViewControllerPtr childViewControllerForSeason(std::size_t index) = 0;
    /// The overview of the series, from its first season; nullptr without seasons.
    virtual ViewControllerPtr seriesOverview() = 0;
};

}  // namespace movra
