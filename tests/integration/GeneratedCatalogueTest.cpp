// The generated list for load tests: served at its size, paged and sorted like the rest, and the same
// page made without a server.
#include "CatalogueTest.h"
#include "Foundation/Strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace movra::backend {
namespace {

constexpr std::size_t kCount = 250;

class GeneratedCatalogueTest : public CatalogueTest {
  protected:
    void SetUp() override {
        BackendServer::Options options;
        options.generatedItems = kCount;
        start(options);
    }
};

TEST_F(GeneratedCatalogueTest, AFilmIsTheSameWhateverTheSizeOfTheListAndComplete) {
    auto itemsOf = [](const std::string& xml) {
        auto document = XMLDocument::parse(xml);
        return document ? select(document->rootElement(), "channel/item") : std::vector<XMLNode>();
    };
    const std::vector<XMLNode> small = itemsOf(Catalogue::generatedPageXml(10, 0, 10));
    const std::vector<XMLNode> large = itemsOf(Catalogue::generatedPageXml(100000, 0, 10));
    ASSERT_EQ(small.size(), 10u);
    ASSERT_EQ(large.size(), 10u);
    std::set<std::string> titles;
    for (std::size_t i = 0; i < small.size(); ++i) {
        SCOPED_TRACE(text(small[i], "guid"));
        EXPECT_EQ(small[i].xmlString(), large[i].xmlString());
        titles.insert(text(small[i], "title"));
        EXPECT_FALSE(select(small[i], "media:group/media:content[@profile='MVTK-HLS-FPS']").empty());
    }
    EXPECT_GT(titles.size(), 5u);
    EXPECT_EQ(itemsOf(Catalogue::generatedPageXml(100000, 99990, 30)).size(), 10u);
}

// The paging rules are CatalogueFeedTest's; here the list's own route, its total and its sort by name.
TEST_F(GeneratedCatalogueTest, ServedPagesAreThePagesMadeWithoutAServerAndSortByNameAcrossPages) {
    Page last = browse(Catalogue::kGeneratedPath, "offset=240&max=30");
    ASSERT_EQ(last.status, 200) << last.body;
    EXPECT_EQ(last.totalResults(), static_cast<int>(kCount));
    EXPECT_EQ(last.items.size(), 10u);
    EXPECT_EQ(last.body, Catalogue::generatedPageXml(kCount, 240, 30, baseUrl(), "sv"));
    // Served pages are cut to the largest page size; pages made for benchmarks are not.
    EXPECT_EQ(browse(Catalogue::kGeneratedPath, "max=1000").items.size(),
              static_cast<std::size_t>(FeedQuery::kLargestMax));

    std::vector<std::string> names;
    for (const XMLNode& item : browseAll(Catalogue::kGeneratedPath, "sort=name&order=asc"))
        names.push_back(toLower(text(item, "stravo:titleSortName")));
    EXPECT_EQ(names.size(), kCount);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));

    EXPECT_EQ(client()->Get("/images/generated-000249/TAVIK-THUMB.png")->status, 200);
    EXPECT_EQ(client()->Get("/images/generated-000250/TAVIK-THUMB.png")->status, 404);
    EXPECT_EQ(client()->Get("/images/generated-249/TAVIK-THUMB.png")->status, 404);
}

}  // namespace
}  // namespace movra::backend
