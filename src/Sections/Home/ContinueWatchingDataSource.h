// ContinueWatchingDataSource: the titles the continue-watching shelf's cell shows, as last read from the
// store (the recently-watched channel's items, MVDataManager::channelItemsQuery).
//
// Thread contract: main queue.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace movra {

class MVItem;

class ContinueWatchingDataSource {
  public:
    const std::vector<std::shared_ptr<MVItem>>& items() const { return items_; }
    void setItems(std::vector<std::shared_ptr<MVItem>> items) { items_ = std::move(items); }
    std::size_t numberOfItems() const { return items_.size(); }
    /// nullptr outside the list.
    std::shared_ptr<MVItem> itemAtIndex(std::size_t index) const;

  private:
    std::vector<std::shared_ptr<MVItem>> items_;
};

}  // namespace movra
