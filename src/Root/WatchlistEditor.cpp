#include "Root/WatchlistEditor.h"

#include "API/MVHTTPClient.h"
#include "App/MVAnalytics.h"
#include "Foundation/Localization.h"
#include "Foundation/MainQueue.h"
#include "Model/MVItem.h"
#include "Model/ProfileManager.h"
#include "Platform/AlertController.h"
#include "Platform/Platform.h"

namespace movra {

std::string WatchlistEditor::failureMessage(bool add) {
    return MVLocalizedString(add ? "Could not add to watch list. Please try again later."
                                 : "Could not remove from watch list. Please try again later.");
}

void WatchlistEditor::changeWatchlist(const std::optional<std::string>& guid, bool add,
                                      std::weak_ptr<ViewController> screen, std::function<void(ErrorPtr)> done) {
    MOVRA_ASSERT_MAIN_QUEUE();
    auto client = MVHTTPClient::sharedClient();
    auto answer = [guid, add, screen, done](ErrorPtr error, XMLDocumentPtr) {
        if (!error) {
            // Done once the stored records carry the change.
            auto updated = [done] {
                if (done) done(nullptr);
            };
            if (add)
                MVHTTPClient::updateCacheForAddedWatchlistItemGuids({*guid}, updated);
            else
                MVHTTPClient::updateCacheForRemovedWatchlistItemGuids({*guid}, updated);
            return;
        }
        if (auto shown = screen.lock()) {
            auto alert = std::make_shared<AlertController>("", failureMessage(add));
            alert->addAction({MVLocalizedString("OK"), AlertController::ActionStyle::Default, nullptr});
            shown->presentViewController(alert, true);
        }
        if (done) done(error);
    };
    if (!client)
        return answer(makeError(kURLErrorDomain, kURLErrorBadURL, MVLocalizedString("unsupported URL")), nullptr);
    if (add)
        client->addToWatchlistWithGUID(guid, answer);
    else
        client->removeFromWatchlistWithGUID(guid, answer);
}

WatchlistEditor::WatchlistEditor(std::shared_ptr<MVItem> item, std::string navigationSource,
                                 std::weak_ptr<ViewController> screen)
    : item_(std::move(item)),
      navigationSource_(std::move(navigationSource)),
      screen_(std::move(screen)),
      inWatchlist_(item_ && item_->isInWatchlist().value_or(false)) {}

void WatchlistEditor::toggle() {
    if (!enabled_ || !item_) return;
    auto& platform = Platform::current();
    if (ProfileManager::activeProfile() == ProfileTypeKids) {
        // The kids profile shows no watchlist button; a tap that arrives all the same is a fault to hear of.
        platform.crashReporter().notifyNonFatal(kKidsModeReport, "The watchlist is not available in the kids profile");
        return;
    }
    enabled_ = false;
    const auto label = item_->analyticsLabel().value_or("");
    if (!navigationSource_.empty() && !label.empty())
        MVTrackEvent("Watchlist", "Watchlist_" + navigationSource_, label, 0);
    std::weak_ptr<WatchlistEditor> weak = weak_from_this();
    platform.mainQueue().postAfter(kAnimationDelay, [weak] {
        if (!weak.lock()) return;
        Platform::current().uiHost().animate(kAnimationDuration, nullptr, [weak](bool) {
            if (auto self = weak.lock()) self->send();
        });
    });
}

void WatchlistEditor::send() {
    const bool add = !item_->isInWatchlist().value_or(false);
    std::weak_ptr<WatchlistEditor> weak = weak_from_this();
    changeWatchlist(item_->guid(), add, screen_, [weak, add](ErrorPtr error) {
        auto self = weak.lock();
        if (!self) return;
        if (!error) self->item_->setIsInWatchlist(add);
        self->inWatchlist_ = self->item_->isInWatchlist().value_or(false);
        self->enabled_ = true;
    });
}

}  // namespace movra
