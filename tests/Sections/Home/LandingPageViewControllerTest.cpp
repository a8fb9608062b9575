// The landing page and a plain shelves screen against scripted feeds: the sections and what goes into each,
// the shelf rows with their own children (one failing while the others load), and the personal shelves.
#include "Model/MVItem.h"
#include "Model/MVItemType.h"
#include "Model/MVRootMenuEntries.h"
#include "Model/ProfileManager.h"
#include "Model/StoreTest.h"
#include "Sections/Home/HorizontalScrollingShelfTableViewCell.h"
#include "Sections/Home/LandingPageViewController.h"

namespace movra {
namespace {

using Kind = HorizontalScrollingShelvesTableViewController::SectionKind;

struct FeedItem {
    std::string guid, keywords, series = {}, category = {};
};

std::string feedOf(const std::string& guid, const std::vector<FeedItem>& items) {
    std::string body;
    for (const auto& item : items)
        body += "<item><guid>" + item.guid + "</guid><title>" + item.guid + "</title><link>browse/" + item.guid +
                "</link><stravo:itemType>folder</stravo:itemType><media:keywords>" + item.keywords +
                "</media:keywords>" +
                (item.series.empty() ? "" : "<stravo:series>" + item.series + "</stravo:series>") +
                (item.category.empty() ? "" : "<category>" + item.category + "</category>") + "</item>";
    return R"(<rss xmlns:stravo="urn:s" xmlns:media="urn:m"><channel><guid>)" + guid + "</guid><ttl>15</ttl>" +
           "<stravo:totalResults>" + std::to_string(items.size()) + "</stravo:totalResults>" + body +
           "</channel></rss>";
}

std::shared_ptr<MVItem> menuItem(const std::string& guid, const std::string& keywords,
                                 const std::string& category = {}) {
    auto item = std::make_shared<MVItem>();
    item->setGuid(guid);
    item->setNavigationalGUID(guid);
    item->setTitle(guid);
    item->setLink("browse/" + guid);
    item->setItemType(MVItemTypeFolder);
    item->setKeywords(keywords);
    if (!category.empty()) item->setCategory(category);
    return item;
}

class LandingPageViewControllerTest : public test::StoreTest {
  protected:
    LandingPageViewControllerTest() {
        feeds["landing"] = feedOf("landing", {{"c1", "carousel"},
                                              {"s1", "Shelf"},
                                              {"rec", "featured_shelf"},
                                              {"c2", "carousel"},
                                              {"age", "age_range"},
                                              {"s2", "Shelf"},
                                              {"other", "Film"}});
        for (const char* shelf : {"s1", "rec", "age"}) feeds[shelf] = feedOf(shelf, {{"t1", "Film"}, {"t2", "Film"}});
        feeds["watchlist"] = feedOf("watchlist", {{"w1", "Film"}});
        feeds["recent"] =
            feedOf("recent", {{"e2", "Episode", "Coastline"}, {"e1", "Episode", "Coastline"}, {"f1", "Film"}});
        env.network->setScript([this](const HttpRequest& request) {
            for (const auto& [name, xml] : feeds)
                if (request.url.find("/browse/" + name + "?") != std::string::npos) return test::xmlReply(200, xml);
            return test::xmlReply(503, test::errorDocument("Failure", "ST5030"));
        });
        auto entries = MVRootMenuEntries::shared();
        entries->setWatchlistItem(menuItem("watchlist", "watchlist", "watchlist"));
        entries->setRecentlyWatched(menuItem("recent", "recentlywatched"));
    }

    template <class Screen>
    std::shared_ptr<Screen> open(const std::string& keywords) {
        auto screen = std::make_shared<Screen>();
        auto parent = menuItem("landing", keywords);
        screen->setNavigationParentItem(parent);
        screen->setBrowsePath(parent->link());
        screen->loadViewIfNeeded();
        screen->viewWillAppear(false);
        screen->viewDidAppear(false);
        EXPECT_TRUE(env.runUntil([&] { return screen->loadingState() == MVLoadingState::Loaded; }));
        return screen;
    }

    static std::map<Kind, std::vector<std::string>> contents(HorizontalScrollingShelvesTableViewController& screen) {
        std::map<Kind, std::vector<std::string>> out;
        for (const auto& section : screen.sections())
            for (const auto& item : section.items) out[section.kind].push_back(item->guid().value_or("?"));
        return out;
    }

    std::map<std::string, std::string> feeds;
};

TEST_F(LandingPageViewControllerTest, SortsTheFeedIntoItsSectionsWithThePersonalShelves) {
    ProfileManager::setActiveProfile(ProfileTypeAdult);
    auto landing = open<LandingPageViewController>("Landing");
    ASSERT_TRUE(env.runUntil([&] {
        return landing->watchlistState() == MVLoadingState::Loaded &&
               landing->continueWatchingState() == MVLoadingState::Loaded;
    }));
    std::vector<Kind> order;
    for (const auto& section : landing->sections()) order.push_back(section.kind);
    EXPECT_EQ(order, (std::vector<Kind>{Kind::Carousel, Kind::RecommendedShelves, Kind::ContinueWatching,
                                        Kind::AgeRangeShelves, Kind::Shelves, Kind::Watchlist}));
    EXPECT_EQ(contents(*landing), (std::map<Kind, std::vector<std::string>>{{Kind::Carousel, {"c1", "c2"}},
                                                                            {Kind::RecommendedShelves, {"rec"}},
                                                                            {Kind::ContinueWatching, {"recent"}},
                                                                            {Kind::AgeRangeShelves, {"age"}},
                                                                            {Kind::Shelves, {"s1", "s2"}},
                                                                            {Kind::Watchlist, {"watchlist"}}}));
    // One entry per series: the most recently watched episode.
    std::vector<std::string> continuing;
    for (const auto& item : landing->continueWatchingItems()) continuing.push_back(item->guid().value_or("?"));
    EXPECT_EQ(continuing, (std::vector<std::string>{"e2", "f1"}));

    // Every shelf row fetches its own children; the one whose feed fails says so and the others stand.
    auto rows = landing->shelfRows();
    ASSERT_EQ(rows.size(), 4u);
    ASSERT_TRUE(env.runUntil([&] {
        return std::none_of(rows.begin(), rows.end(),
                            [](const auto& row) { return row->loadingState() == MVLoadingState::Loading; });
    }));
    std::map<std::string, std::pair<MVLoadingState, std::size_t>> states;
    for (const auto& row : rows)
        states[row->shelfItem()->guid().value_or("?")] = {row->loadingState(), row->items().size()};
    EXPECT_EQ(states,
              (std::map<std::string, std::pair<MVLoadingState, std::size_t>>{{"rec", {MVLoadingState::Loaded, 2}},
                                                                             {"age", {MVLoadingState::Loaded, 2}},
                                                                             {"s1", {MVLoadingState::Loaded, 2}},
                                                                             {"s2", {MVLoadingState::Failed, 0}}}));
}

TEST_F(LandingPageViewControllerTest, PersonalShelvesFollowTheProfileAndTheirContents) {
    ProfileManager::setActiveProfile(ProfileTypeKids);
    feeds["recent"] = feedOf("recent", {});
    auto landing = open<LandingPageViewController>("Landing");
    ASSERT_TRUE(env.runUntil([&] {
        return landing->watchlistState() == MVLoadingState::Loaded &&
               landing->continueWatchingState() == MVLoadingState::Loaded;
    }));
    auto sections = contents(*landing);
    EXPECT_FALSE(sections.contains(Kind::Watchlist)) << "the kids profile has no watchlist shelf";
    EXPECT_FALSE(sections.contains(Kind::ContinueWatching));
    EXPECT_TRUE(landing->continueWatchingEmpty());
}

TEST_F(LandingPageViewControllerTest, APlainShelvesScreenWithoutCarouselShowsItsParent) {
    feeds["landing"] = feedOf("landing", {{"s1", "Shelf"}, {"rec", "featured_shelf"}, {"age", "age_range"}});
    auto shelves = open<HorizontalScrollingShelvesTableViewController>("Featured");
    EXPECT_EQ(contents(*shelves),
              (std::map<Kind, std::vector<std::string>>{
                  {Kind::Carousel, {"landing"}}, {Kind::Shelves, {"s1"}}, {Kind::RecommendedShelves, {"rec"}}}))
        << "age ranges are the landing page's alone";
}

}  // namespace
}  // namespace movra
