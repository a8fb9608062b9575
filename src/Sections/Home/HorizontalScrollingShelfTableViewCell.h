// HorizontalScrollingShelfTableViewCell: one shelf row of a shelves screen. It shows the shelf item's own
// children, read from the store by a live query and fetched by browsing the shelf's link, and keeps its
// horizontal offset across reloads.
//
// Thread contract: main queue only.
#pragma once

#include "Foundation/Error.h"
#include "Model/FetchedResultsController.h"
#include "Platform/HttpTask.h"
#include "Root/MVLoadingState.h"

#include <functional>
#include <memory>
#include <vector>

namespace movra {

class MVItem;

class HorizontalScrollingShelfTableViewCell
    : public FetchedResultsControllerDelegate,
      public std::enable_shared_from_this<HorizontalScrollingShelfTableViewCell> {
  public:
    /// Points of a shelf row: taller for the shelves whose pictures are posters.
    static double heightForShelfItem(const MVItem& shelfItem);

    /// `changed` runs after each change of what the row shows.
    explicit HorizontalScrollingShelfTableViewCell(std::function<void()> changed);
    ~HorizontalScrollingShelfTableViewCell() override;

    const std::shared_ptr<MVItem>& shelfItem() const { return shelfItem_; }
    /// Takes the shelf, starts its live query and fetches its children.
    void setShelfItem(std::shared_ptr<MVItem> item);
    void downloadItems();

    const std::vector<std::shared_ptr<MVItem>>& items() const;
    /// Loading while the first fetch runs, then Loaded or Failed.
    MVLoadingState loadingState() const { return state_; }
    const ErrorPtr& error() const { return error_; }
    double contentOffset() const { return offset_; }
    void setContentOffset(double offset) { offset_ = offset; }

    void controllerDidChangeContent(FetchedResultsController& controller) override;

  private:
    std::shared_ptr<MVItem> shelfItem_;
    std::function<void()> changed_;
    std::shared_ptr<FetchedResultsController> results_;
    HttpTaskPtr download_;
    MVLoadingState state_ = MVLoadingState::None;
    ErrorPtr error_;
    double offset_ = 0;
};

}  // namespace movra
