#include "Root/MVLoadingViewController.h"

namespace movra {

void MVLoadingViewController::setLoadingState(MVLoadingState state) {
    if (state_ == state) return;
    state_ = state;
    contentChanged();
}

void MVLoadingViewController::reloadContent(bool ignoreCache) {
    if (state_ != MVLoadingState::Loaded || ignoreCache) runLoad(ignoreCache);
}

void MVLoadingViewController::runLoad(bool ignoreCache) {
    cancelNetworkOperations();
    setLoadingState(ignoreCache ? MVLoadingState::Refreshing : MVLoadingState::Loading);
    std::weak_ptr<ViewController> weak = weak_from_this();
    loadContentIgnoreCache(ignoreCache, [weak](ErrorPtr error, std::shared_ptr<MVChannel> result) {
        auto self = std::static_pointer_cast<MVLoadingViewController>(weak.lock());
        if (!self) return;
        if (error && error->code == kURLErrorCancelled) {
            self->setLoadingState(MVLoadingState::Cancelled);
        } else if (error) {
            self->loadFailed(error);
            self->setLoadingState(MVLoadingState::Failed);
        } else {
            self->setLoadingState(self->loadSuccess(result) ? MVLoadingState::Loaded : MVLoadingState::Failed);
        }
    });
}

void MVLoadingViewController::viewDidAppear(bool animated) {
    MVRootViewController::viewDidAppear(animated);
    reloadContent();
}

}  // namespace movra
