// The generated list for load tests: served at its size, the same page made without a server, and found by
// search.
#include "CatalogueTest.h"

#include <gtest/gtest.h>

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

// The paging and sorting rules are CatalogueFeedTest's; here the list's own route, its total, the cap on a
// page (the sample lists are shorter than it) and its pictures.
TEST_F(GeneratedCatalogueTest, ServedPagesAreThePagesMadeWithoutAServer) {
    Page last = browse(Catalogue::kGeneratedPath, "offset=240&max=30");
    ASSERT_EQ(last.status, 200) << last.body;
    EXPECT_EQ(last.totalResults(), static_cast<int>(kCount));
    EXPECT_EQ(last.items.size(), 10u);
    EXPECT_EQ(last.body, Catalogue::generatedPageXml(kCount, 240, 30, baseUrl(), "sv"));
    // Served pages are cut to the largest page size; pages made for benchmarks are not.
    EXPECT_EQ(browse(Catalogue::kGeneratedPath, "max=1000").items.size(),
              static_cast<std::size_t>(FeedQuery::kLargestMax));

    EXPECT_EQ(client()->Get("/images/generated-000249/TAVIK-THUMB.png")->status, 200);
    EXPECT_EQ(client()->Get("/images/generated-000250/TAVIK-THUMB.png")->status, 404);
    EXPECT_EQ(client()->Get("/images/generated-249/TAVIK-THUMB.png")->status, 404);
}

// Generated titles name towns with diacritics ("Tromsø"); search finds them typed without.
TEST_F(GeneratedCatalogueTest, SearchFindsTheGeneratedFilmsBesideTheSampleOnes) {
    std::set<std::string> expected{"film-tromso-after-dark"};
    for (const XMLNode& item : browseAll(Catalogue::kGeneratedPath))
        if (text(item, "title").find("Tromsø") != std::string::npos) expected.insert(text(item, "guid"));
    ASSERT_GT(expected.size(), 1u);
    std::set<std::string> found;
    for (const XMLNode& item : browseAll(Catalogue::kSearchPath, "query=tromso")) found.insert(text(item, "guid"));
    EXPECT_EQ(found, expected);
}

}  // namespace
}  // namespace movra::backend
