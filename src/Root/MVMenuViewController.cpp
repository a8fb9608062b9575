#include "Root/MVMenuViewController.h"

#include "API/MVHTTPClient.h"
#include "App/MVAnalytics.h"
#include "App/MVAppDelegate.h"
#include "App/MVDiscriminator.h"
#include "Cast/MVCastManager.h"
#include "Foundation/Localization.h"
#include "Foundation/Log.h"
#include "Model/MVChannel.h"
#include "Model/MVDataManager.h"
#include "Model/MVItem.h"
#include "Model/MVItemType.h"
#include "Model/MVRootMenuEntries.h"
#include "Model/ProfileManager.h"
#include "Platform/AlertController.h"
#include "Platform/Platform.h"
#include "Platform/UiHost.h"
#include "Root/MVNavigationController.h"
#include "Root/MVRootViewController.h"
#include "Root/MVStackViewController.h"

#include <algorithm>
#include <cctype>

namespace movra {

namespace {

using Items = std::vector<std::shared_ptr<MVItem>>;

/// The cast session and the lockable entry go by "lockable" with its case.
bool keywordsContainCaseSensitive(const MVItem& item, std::string_view word) {
    return item.keywords().value_or("").find(word) != std::string::npos;
}

std::optional<std::size_t> indexOf(const Items& items, const std::shared_ptr<MVItem>& item) {
    auto it = std::find(items.begin(), items.end(), item);
    return it == items.end() ? std::nullopt : std::optional<std::size_t>(it - items.begin());
}

std::optional<std::size_t> firstWithKeyword(const Items& items, std::string_view word) {
    auto it =
        std::find_if(items.begin(), items.end(), [word](const auto& item) { return item->keywordsContain(word); });
    return it == items.end() ? std::nullopt : std::optional<std::size_t>(it - items.begin());
}

void postWithItem(const char* name, const char* key, const std::shared_ptr<MVItem>& item) {
    Notification notification;
    notification.name = name;
    notification.objects[key] = item;
    Platform::current().notificationCenter().post(notification);
}

/// A menu that cannot load signs the user out; a load that failed without an error (an empty menu) says 0.
void postLogOut(const ErrorPtr& error) {
    Platform::current().notificationCenter().post(MVNotificationLogOut, nullptr,
                                                  Json{{"error", error ? error->code : 0}});
}

}  // namespace

std::string MVMenuViewController::describe() const {
    std::string text = "Menu:";
    for (std::size_t row = 0; row < numberOfRows(); ++row)
        text += std::string(row ? " |" : "") + (selectedRow_ == row ? " > " : " ") + titleForRow(row);
    return text;
}

std::string MVMenuViewController::titleForRow(std::size_t row) const {
    if (row < menuItems_.size()) return menuItems_[row]->title().value_or("");
    return row == menuItems_.size() ? MVLocalizedString(kLogOutTitle) : std::string();
}

void MVMenuViewController::tapRow(std::size_t row) {
    if (row >= numberOfRows()) return;
    willSelectRow(row);
    selectedRow_ = row;
    Platform::current().uiHost().contentDidChange(*this);
    didSelectRow(row);
}

void MVMenuViewController::willSelectRow(std::size_t row) {
    lastSelectedIndexPath_ = selectedRow_;
    if (row == menuItems_.size()) showLogOutConfirmation();
}

void MVMenuViewController::didSelectRow(std::size_t row) {
    if (row >= menuItems_.size()) return;
    auto item = menuItems_[row];
    if (keywordsContainCaseSensitive(*item, "lockable")) {
        // Entering the kids section ends a cast session first.
        auto delegate = MVAppDelegate::sharedAppDelegate();
        if (auto cast = delegate ? delegate->castManager() : nullptr) cast->disconnectFromDevice(/*stopCasting=*/true);
    }
    setContentViewForStackViewController(stack_.lock(), item);
}

void MVMenuViewController::loadAndSelectInitialContentViewForStackController(
    const std::shared_ptr<MVStackViewController>& stack) {
    stack_ = stack;
    std::weak_ptr<ViewController> weak = weak_from_this();
    MVDataManager::loadRootMenuItemsWithCompletion([weak](ErrorPtr error, std::shared_ptr<MVChannel> channel) {
        if (weak.expired()) return;
        if (error || !channel) return postLogOut(error);
        Platform::current().mainQueue().post([weak, channel] {
            if (auto self = std::static_pointer_cast<MVMenuViewController>(weak.lock()))
                self->updateMenuWithChannel(channel);
        });
    });
}

void MVMenuViewController::updateMenuWithChannel(const std::shared_ptr<MVChannel>& channel) {
    if (!channel) return;
    menuItems_ = channel->items();
    registerMenuItems();
    Platform::current().uiHost().contentDidChange(*this);
    if (selectedRow_) return didSelectRow(*selectedRow_);

    landingIndex_ = firstWithKeyword(menuItems_, "landing").value_or(0);
    auto discriminator = MVDiscriminator::sharedDiscriminator();
    if (!discriminator) {
        // Kids mode cannot be confirmed without a region answer: the adult home it is.
        navigateHome();
        return;
    }
    std::weak_ptr<ViewController> weak = weak_from_this();
    discriminator->allowsKidsMode([weak](bool allowed, ErrorPtr error) {
        if (weak.expired()) return;
        if (error) return postLogOut(error);
        Platform::current().mainQueue().post([weak, allowed] {
            auto self = std::static_pointer_cast<MVMenuViewController>(weak.lock());
            if (!self) return;
            if (allowed && ProfileManager::activeProfile() == ProfileTypeKids)
                self->navigateToFamily();
            else
                self->navigateHome();
        });
    });
}

void MVMenuViewController::registerMenuItems() {
    auto entries = MVRootMenuEntries::shared();
    entries->setSearchItem(nullptr);
    entries->setWatchlistItem(nullptr);
    entries->setRecentlyWatched(nullptr);
    entries->setLockableItem(nullptr);
    auto remove = [this](const std::shared_ptr<MVItem>& item) { std::erase(menuItems_, item); };
    Items hidden;  // search, settings and identity: reached from elsewhere than the menu
    const Items items = menuItems_;
    for (const auto& item : items) {
        const auto type = item->itemType().value_or(MVItemTypeUnknown);
        if (type == MVItemTypeSearch) {
            entries->setSearchItem(item);
            hidden.push_back(item);
        } else if (type == MVItemTypeSettings || type == MVItemTypeIdentity) {
            hidden.push_back(item);
        } else if (item->isRecentlyWatched()) {
            entries->setRecentlyWatched(item);
            postWithItem(MVRecentlyWatchedUpdated, "Recently Watched", item);
            remove(item);
        }
        if (item->keywordsContain("landing"))
            if (auto index = indexOf(menuItems_, item)) landingIndex_ = *index;
        if (item->isWatchlist()) {
            entries->setWatchlistItem(item);
            postWithItem(MVNotificationWatchlistChanged, "Watchlist", item);
        }
        if (!entries->lockableItem() && keywordsContainCaseSensitive(*item, "lockable")) entries->setLockableItem(item);
        if (type == MVItemTypeSaved) remove(item);
    }
    for (const auto& item : hidden) remove(item);
}

void MVMenuViewController::navigateHome() {
    if (landingIndex_ >= menuItems_.size()) return;
    selectedRow_ = landingIndex_;
    Platform::current().uiHost().contentDidChange(*this);
    didSelectRow(landingIndex_);
}

void MVMenuViewController::navigateToFamily() {
    auto row = firstWithKeyword(menuItems_, "lockable");
    if (!row) return;
    selectedRow_ = row;
    Platform::current().uiHost().contentDidChange(*this);
    didSelectRow(*row);
}

void MVMenuViewController::setContentViewForStackViewController(const std::shared_ptr<MVStackViewController>& stack,
                                                                const std::shared_ptr<MVItem>& item) {
    if (!item) return;
    lastSelectedItem_ = item;
    auto label = item->analyticsLabel().value_or("");
    std::erase_if(label, [](unsigned char c) { return std::isspace(c); });
    MVTrackEvent("Menu", "Menu_" + label, std::nullopt, 0);
    auto screen = MVRootViewController::viewControllerForCatalogItem(item, /*atTopLevel=*/true);
    if (!screen) {
        Log::warning("No screen shows the menu entry {}", item->title().value_or("(untitled)"));
        return;
    }
    if (auto root = std::dynamic_pointer_cast<MVRootViewController>(screen))
        root->setNavigationSource(item->analyticsLabel());
    auto navigation = std::make_shared<MVNavigationController>();
    navigation->setRootViewController(screen);
    if (stack) stack->setContentViewController(navigation, /*snapToContentViewController=*/true, /*animated=*/true);
}

void MVMenuViewController::showLogOutConfirmation() {
    if (showingAlert_) return;
    showingAlert_ = true;
    auto alert = std::make_shared<AlertController>(MVLocalizedString(kLogOutTitle), MVLocalizedString(kLogOutMessage));
    // A button tapped twice before the alert has gone answers once.
    auto answered = std::make_shared<bool>(false);
    std::weak_ptr<ViewController> weak = weak_from_this();
    auto answer = [weak, answered](bool signOut) {
        if (*answered) return;
        *answered = true;
        auto self = std::static_pointer_cast<MVMenuViewController>(weak.lock());
        if (self) self->showingAlert_ = false;
        if (signOut) {
            MVTrackEvent("Menu", "Menu_Logout", std::nullopt, 0);
            Platform::current().notificationCenter().post(MVNotificationLogOut);
        } else if (self) {
            self->selectedRow_ = self->lastSelectedIndexPath_;
            Platform::current().uiHost().contentDidChange(*self);
        }
    };
    alert->addAction({MVLocalizedString("Cancel"), AlertController::ActionStyle::Cancel, [answer] { answer(false); }});
    alert->addAction({MVLocalizedString("OK"), AlertController::ActionStyle::Default, [answer] { answer(true); }});
    // Alerts go over whatever the main screens present, where a person sees them.
    ViewControllerPtr presenter = stack_.lock();
    if (!presenter) presenter = shared_from_this();
    while (presenter->presentedViewController()) presenter = presenter->presentedViewController();
    presenter->presentViewController(alert, /*animated=*/true);
}

}  // namespace movra
