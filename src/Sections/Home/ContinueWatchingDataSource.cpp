#include "Sections/Home/ContinueWatchingDataSource.h"

namespace movra {

std::shared_ptr<MVItem> ContinueWatchingDataSource::itemAtIndex(std::size_t index) const {
    return index < items_.size() ? items_[index] : nullptr;
}

}  // namespace movra
