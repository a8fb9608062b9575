// HorizontalScrollingShelvesTableViewController: a shelves screen. A list screen whose stored items are not
// rows but sorted into sections: the carousel at the top, then one horizontally scrolling row per shelf,
// each row listing that shelf's own children. In the kids profile its home button leaves the Family section
// through the kids-mode PIN flows.
//
// Thread contract: main queue only.
#pragma once

#include "Foundation/Error.h"
#include "Model/KidsModeConfiguration.h"
#include "Root/MVBrowsingViewController.h"
#include "Sections/KidsMode/KidsModeFinishedDelegate.h"

#include <map>
#include <string>
#include <vector>

namespace movra {

class HorizontalScrollingShelfTableViewCell;

class HorizontalScrollingShelvesTableViewController : public MVBrowsingViewController, public KidsModeFinishedDelegate {
  public:
    /// What a section holds.
    enum class SectionKind { Carousel, RecommendedShelves, ContinueWatching, AgeRangeShelves, Shelves, Watchlist };
    struct ShelfSection {
        SectionKind kind;
        std::vector<std::shared_ptr<MVItem>> items;
    };
    static const char* sectionKindName(SectionKind kind);

    std::string className() const override { return "HorizontalScrollingShelvesTableViewController"; }
    std::string describe() const override;

    /// The sections in screen order, built on first request and kept until the stored items change.
    const std::vector<ShelfSection>& sections();
    /// The row of a shelf item shown in a section, made on first request.
    std::shared_ptr<HorizontalScrollingShelfTableViewCell> rowForShelfItem(const std::shared_ptr<MVItem>& shelf);
    /// Rows whose shelf is shown, in section order; each made and fetching.
    std::vector<std::shared_ptr<HorizontalScrollingShelfTableViewCell>> shelfRows();

    bool kidsMode() const { return kidsMode_; }
    bool showsLogoInTitle() const { return showsLogo_; }
    void setShowsLogoInTitle(bool shows) { showsLogo_ = shows; }
    const std::vector<std::shared_ptr<MVItem>>& specialShelfItems() const { return specialShelfItems_; }
    void setSpecialShelfItems(std::vector<std::shared_ptr<MVItem>> items) { specialShelfItems_ = std::move(items); }
    /// Remembers a row's horizontal offset (by its shelf's guid) for when the row reloads.
    void rememberScrollOffset(const std::string& shelfGuid, double offset) { scrollOffsets_[shelfGuid] = offset; }

    /// The home button. In the kids profile it reads the kids-mode configuration and leaves through the exit
    /// screen, or through the set-PIN screen while no PIN is stored and the set-up is on (the PIN is made on
    /// the way out). Elsewhere it goes to the menu's home entry.
    void homeButtonTapped();
    bool isReadingKidsModeConfiguration() const { return readingKidsModeConfiguration_; }

    void viewDidLoad() override;
    /// The PIN flow let the user out: the adult profile, and the menu's home entry.
    void didSucceedWithViewController(ViewController& flow) override;
    void didCancelWithViewController(ViewController& flow) override;

  protected:
    void configureForKidsModeIfNeeded();
    /// Drops the built sections; the next request builds them again.
    void resetSections();
    /// Sorts the stored items into this screen's sections.
    virtual std::vector<ShelfSection> buildSections();
    /// The first kind whose test `item` passes (carousel, recommended, age range when asked, shelf).
    static std::optional<SectionKind> classify(const MVItem& item, bool withAgeRange);
    /// Adds `item` to the section of `kind`.
    static void place(std::vector<ShelfSection>& sections, SectionKind kind, std::shared_ptr<MVItem> item);

    void storedItemsChanged() override;
    StoreContext::ItemQuery storedItemsQuery() const override;
    std::optional<std::string> sectionNameKeyPath() const override;

  private:
    void rowChanged(const std::string& shelfGuid);
    void presentKidsModeExit(const std::optional<KidsModeConfiguration>& configuration, const ErrorPtr& error);

    std::optional<std::vector<ShelfSection>> sections_;
    std::vector<std::shared_ptr<MVItem>> specialShelfItems_;
    bool kidsMode_ = false;
    bool showsLogo_ = true;
    std::map<std::string, std::shared_ptr<HorizontalScrollingShelfTableViewCell>> rows_;
    std::map<std::string, double> scrollOffsets_;
    bool readingKidsModeConfiguration_ = false;
};

}  // namespace movra
