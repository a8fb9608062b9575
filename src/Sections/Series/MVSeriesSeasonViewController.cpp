#include "Sections/Series/MVSeriesSeasonViewController.h"

namespace movra {

MVSeriesSeasonViewController::MVSeriesSeasonViewController() {
    setCanShowCastBar(false);
    setAutomaticallySendAnalyticsPageView(false);
}

void MVSeriesSeasonViewController::didSelectItem(std::size_t section, std::size_t row) {
    if (section == 0) {
        headerExpanded_ = !headerExpanded_;
        contentChanged();
        return;
    }
    const auto episodes = items();
    if (section != 1 || row >= episodes.size()) return;
    if (auto series = seriesScreen_.lock()) series->setTitle(seasonTitle_);
    navigateToCatalogItem(episodes[row], navigationSource());
}

}  // namespace movra
