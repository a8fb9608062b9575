// MVMenuViewController: the side menu of the main screens. It lists the root menu's entries as rows, keeps
// the special entries (search, watchlist, recently watched, lockable) out of the rows and in
// MVRootMenuEntries, routes a tapped entry to its screen as the container's content, and offers sign-out
// in its last row.
//
// Thread contract: main queue only. Completions hold the menu weakly.
#pragma once

#include "Platform/ViewController.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace movra {

class MVChannel;
class MVItem;
class MVStackViewController;

class MVMenuViewController : public ViewController {
  public:
    static constexpr const char* kLogOutTitle = "Log Out";
    static constexpr const char* kLogOutMessage = "Are you sure you want to log out?";

    std::string className() const override { return "MVMenuViewController"; }
    std::string describe() const override;

    // State.
    /// The root menu entries shown as rows, in menu order.
    const std::vector<std::shared_ptr<MVItem>>& menuItems() const { return menuItems_; }
    /// The row of the landing entry: the home row.
    std::size_t landingIndex() const { return landingIndex_; }
    /// The entry of the last routed row.
    const std::shared_ptr<MVItem>& lastSelectedItem() const { return lastSelectedItem_; }
    /// The row selected before the current tap.
    std::optional<std::size_t> lastSelectedIndexPath() const { return lastSelectedIndexPath_; }
    /// A sign-out confirmation is on screen.
    bool showingAlert() const { return showingAlert_; }
    std::shared_ptr<MVStackViewController> stackViewController() const { return stack_.lock(); }
    void setStackViewController(std::weak_ptr<MVStackViewController> stack) { stack_ = std::move(stack); }

    // The table: one row per entry, then the "Log Out" row.
    std::size_t numberOfRows() const { return menuItems_.size() + 1; }
    std::string titleForRow(std::size_t row) const;
    std::optional<std::size_t> selectedRow() const { return selectedRow_; }
    /// A tap on `row` (out of range does nothing).
    void tapRow(std::size_t row);

    /// Loads the root menu and routes its home entry (or, in kids mode, its lockable entry) into `stack`.
    void loadAndSelectInitialContentViewForStackController(const std::shared_ptr<MVStackViewController>& stack);
    void updateMenuWithChannel(const std::shared_ptr<MVChannel>& channel);
    /// Moves the special entries out of the rows and into MVRootMenuEntries, announcing the personal lists.
    void registerMenuItems();
    /// Selects and routes the home row.
    void navigateHome();
    /// Selects and routes the first lockable (kids) entry.
    void navigateToFamily();
    /// Makes the screen of `item` the content of `stack`.
    void setContentViewForStackViewController(const std::shared_ptr<MVStackViewController>& stack,
                                              const std::shared_ptr<MVItem>& item);
    /// Asks whether to sign out, unless that is already being asked.
    void showLogOutConfirmation();

  private:
    void willSelectRow(std::size_t row);
    void didSelectRow(std::size_t row);

    std::vector<std::shared_ptr<MVItem>> menuItems_;
    std::size_t landingIndex_ = 0;
    std::shared_ptr<MVItem> lastSelectedItem_;
    std::optional<std::size_t> lastSelectedIndexPath_;
    std::optional<std::size_t> selectedRow_;
    bool showingAlert_ = false;
    std::weak_ptr<MVStackViewController> stack_;
};

}  // namespace movra
