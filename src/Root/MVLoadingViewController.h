// MVLoadingViewController: a screen whose content comes from one request. It keeps the loading state, runs a
// load when the screen appears (unless it is already loaded) and sorts the answer into success, failure and
// cancellation.
//
// Thread contract: main queue only.
#pragma once

#include "Foundation/Error.h"
#include "Root/MVLoadingState.h"
#include "Root/MVRootViewController.h"

#include <functional>
#include <memory>

namespace movra {

class MVChannel;

class MVLoadingViewController : public MVRootViewController {
  public:
    MVLoadingState loadingState() const { return state_; }
    virtual void setLoadingState(MVLoadingState state);

    /// Loads unless the content is loaded, or always when `ignoreCache`.
    virtual void reloadContent(bool ignoreCache);
    void reloadContent() { reloadContent(false); }

    void viewDidAppear(bool animated) override;

  protected:
    using LoadCompletion = std::function<void(ErrorPtr error, std::shared_ptr<MVChannel> result)>;
    /// Starts the request; `completion` runs once on the main queue.
    virtual void loadContentIgnoreCache(bool ignoreCache, LoadCompletion completion) = 0;
    /// Takes a result; false refuses it (the screen fails).
    virtual bool loadSuccess(const std::shared_ptr<MVChannel>& result) = 0;
    virtual void loadFailed(const ErrorPtr& error) = 0;
    /// Cancels the screen's requests under way.
    virtual void cancelNetworkOperations() {}
    /// Runs the load and files its outcome.
    void runLoad(bool ignoreCache);

  private:
    MVLoadingState state_ = MVLoadingState::None;
};

}  // namespace movra
