#include "Sections/Home/HorizontalScrollingShelvesTableViewController.h"

#include "Model/MVDataManager.h"
#include "Model/MVItem.h"
#include "Model/ProfileManager.h"
#include "Sections/Home/HorizontalScrollingShelfTableViewCell.h"
#include "Sections/KidsMode/KidsModeExitViewController.h"
#include "Sections/KidsMode/KidsModeSetPINViewController.h"
#include "Sections/KidsMode/PINConfigurationErrorAlert.h"

namespace movra {

const char* HorizontalScrollingShelvesTableViewController::sectionKindName(SectionKind kind) {
    switch (kind) {
        case SectionKind::Carousel:
            return "Carousel";
        case SectionKind::RecommendedShelves:
            return "Recommended";
        case SectionKind::ContinueWatching:
            return "Continue watching";
        case SectionKind::AgeRangeShelves:
            return "Age ranges";
        case SectionKind::Shelves:
            return "Shelves";
        case SectionKind::Watchlist:
            return "Watchlist";
    }
    return "";
}

std::string HorizontalScrollingShelvesTableViewController::describe() const {
    std::string text = className();
    if (title()) text += " \"" + *title() + "\"";
    return text + " (" + loadingStateName(loadingState()) + ")";
}

void HorizontalScrollingShelvesTableViewController::viewDidLoad() {
    configureForKidsModeIfNeeded();
    setCanShowCastBar(true);
    MVBrowsingViewController::viewDidLoad();
}

void HorizontalScrollingShelvesTableViewController::configureForKidsModeIfNeeded() {
    kidsMode_ = navigationParentItem() && navigationParentItem()->isKidsItem();
}

void HorizontalScrollingShelvesTableViewController::homeButtonTapped() {
    if (ProfileManager::activeProfile() != ProfileTypeKids) return navigateHome();
    if (readingKidsModeConfiguration_ || presentedViewController()) return;
    readingKidsModeConfiguration_ = true;
    std::weak_ptr<ViewController> weakScreen = weak_from_this();
    ProfileManager::getKidsModeConfiguration([weakScreen](std::optional<KidsModeConfiguration> configuration,
                                                          ErrorPtr error) {
        if (auto screen = std::static_pointer_cast<HorizontalScrollingShelvesTableViewController>(weakScreen.lock()))
            screen->presentKidsModeExit(configuration, error);
    });
}

void HorizontalScrollingShelvesTableViewController::presentKidsModeExit(
    const std::optional<KidsModeConfiguration>& configuration, const ErrorPtr& error) {
    readingKidsModeConfiguration_ = false;
    if (!configuration) return presentViewController(alertControllerWithPINConfigurationError(error, nullptr), true);
    auto self = std::static_pointer_cast<HorizontalScrollingShelvesTableViewController>(shared_from_this());
    auto theme = ProfileManager::themeForActiveProfile();
    const bool makesPIN =
        configuration->kidsModePIN().value_or("").empty() && !configuration->kidsModeIgnore().value_or(false);
    ViewControllerPtr flow;
    if (makesPIN)
        flow = std::make_shared<KidsModeSetPINViewController>(theme, self);
    else
        flow = std::make_shared<KidsModeExitViewController>(theme, self);
    presentViewController(flow, true);
}

void HorizontalScrollingShelvesTableViewController::didSucceedWithViewController(ViewController& /*flow*/) {
    ProfileManager::setActiveProfile(ProfileTypeAdult);
    dismissViewController(true);
    navigateHome();
}

void HorizontalScrollingShelvesTableViewController::didCancelWithViewController(ViewController& /*flow*/) {
    dismissViewController(true);
}

StoreContext::ItemQuery HorizontalScrollingShelvesTableViewController::storedItemsQuery() const {
    auto query = MVDataManager::channelItemsQuery(navigationParentItem() ? navigationParentItem()->guid().value_or("")
                                                                         : std::string());
    // The shelves themselves: which titles a profile sees is each row's business.
    query.filter.reset();
    query.sortKeys = {{"isNotCarouselItem", true}, {"indexInChannel", true}, {"category", true}};
    return query;
}

std::optional<std::string> HorizontalScrollingShelvesTableViewController::sectionNameKeyPath() const {
    return "category";
}

void HorizontalScrollingShelvesTableViewController::storedItemsChanged() { resetSections(); }

void HorizontalScrollingShelvesTableViewController::resetSections() { sections_.reset(); }

const std::vector<HorizontalScrollingShelvesTableViewController::ShelfSection>&
HorizontalScrollingShelvesTableViewController::sections() {
    if (!sections_) sections_ = buildSections();
    return *sections_;
}

std::optional<HorizontalScrollingShelvesTableViewController::SectionKind>
HorizontalScrollingShelvesTableViewController::classify(const MVItem& item, bool withAgeRange) {
    if (item.isCarousel()) return SectionKind::Carousel;
    if (item.isRecommendedShelf()) return SectionKind::RecommendedShelves;
    if (withAgeRange && item.isAgeRangeShelf()) return SectionKind::AgeRangeShelves;
    if (item.isShelf()) return SectionKind::Shelves;
    return std::nullopt;
}

void HorizontalScrollingShelvesTableViewController::place(std::vector<ShelfSection>& sections, SectionKind kind,
                                                          std::shared_ptr<MVItem> item) {
    for (auto& section : sections)
        if (section.kind == kind) {
            section.items.push_back(std::move(item));
            return;
        }
}

std::vector<HorizontalScrollingShelvesTableViewController::ShelfSection>
HorizontalScrollingShelvesTableViewController::buildSections() {
    std::vector<ShelfSection> built = {
        {SectionKind::Carousel, {}}, {SectionKind::Shelves, {}}, {SectionKind::RecommendedShelves, {}}};
    for (const auto& item : items())
        if (auto kind = classify(*item, /*withAgeRange=*/false)) place(built, *kind, item);
    // Without a carousel the screen shows its parent's full picture as header.
    if (built.front().items.empty() && navigationParentItem()) built.front().items.push_back(navigationParentItem());
    return built;
}

std::shared_ptr<HorizontalScrollingShelfTableViewCell> HorizontalScrollingShelvesTableViewController::rowForShelfItem(
    const std::shared_ptr<MVItem>& shelf) {
    const std::string key = shelf->guid().value_or("");
    if (auto it = rows_.find(key); it != rows_.end() && it->second->shelfItem() == shelf) return it->second;
    std::weak_ptr<ViewController> weakScreen = weak_from_this();
    auto row = std::make_shared<HorizontalScrollingShelfTableViewCell>([weakScreen, key] {
        if (auto screen = std::static_pointer_cast<HorizontalScrollingShelvesTableViewController>(weakScreen.lock()))
            screen->rowChanged(key);
    });
    rows_[key] = row;
    row->setShelfItem(shelf);
    return row;
}

std::vector<std::shared_ptr<HorizontalScrollingShelfTableViewCell>>
HorizontalScrollingShelvesTableViewController::shelfRows() {
    std::vector<std::shared_ptr<HorizontalScrollingShelfTableViewCell>> rows;
    for (const auto& section : sections())
        if (section.kind == SectionKind::RecommendedShelves || section.kind == SectionKind::AgeRangeShelves ||
            section.kind == SectionKind::Shelves)
            for (const auto& shelf : section.items) rows.push_back(rowForShelfItem(shelf));
    return rows;
}

void HorizontalScrollingShelvesTableViewController::rowChanged(const std::string& shelfGuid) {
    auto row = rows_.find(shelfGuid);
    auto offset = scrollOffsets_.find(shelfGuid);
    if (row != rows_.end() && offset != scrollOffsets_.end()) row->second->setContentOffset(offset->second);
    contentChanged();
}

}  // namespace movra
