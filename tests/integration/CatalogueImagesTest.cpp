// The catalogue's pictures: drawn at the size of their profile or of the request, fetched the way the
// client fetches them, and found at the URLs the feeds give.
#include "CatalogueTest.h"
#include "Foundation/Strings.h"
#include "Platform/StbImageCodec.h"
#include "movra-backend/ImageProfile.h"

#include <gtest/gtest.h>

namespace movra::backend {
namespace {

class CatalogueImagesTest : public CatalogueTest {
  protected:
    // A picture request as the client's image download sends it: its own query, "Accept: image/*" and
    // none of the API's headers.
    httplib::Result fetch(const std::string& path, const std::string& query = "language=sv_mvtk&type=ios&deviceId=X",
                          const std::string& accept = "image/*") const {
        httplib::Headers headers;
        if (!accept.empty()) headers.emplace("Accept", accept);
        return client()->Get((path + (query.empty() ? "" : "?" + query)).c_str(), headers);
    }
};

// A size in the query wins over the profile's. (CatalogueFeedTest checks the sizes a feed gives the profiles.)
TEST_F(CatalogueImagesTest, ThumbnailsOfAFeedLeadToPicturesOfTheirSizeOrOfTheSizeAsked) {
    struct Case {
        std::string path;
        std::string query;
        std::string width;
        std::string height;
    };
    std::vector<Case> cases = {
        {"/images/film-frost-line/TAVIK-THUMB.png", "", "320", "180"},
        {"/images/film-frost-line/TAVIK-THUMB.png", "width=100&height=50&deviceId=X", "100", "50"},
        {"/images/film-frost-line/TAVIK-THUMB.png", "width=64", "64", "180"},
    };
    Page page = browse("browse/shelf-kids-series");
    ASSERT_FALSE(page.items.empty()) << page.body;
    auto thumbnails = select(page.items.front(), "media:thumbnail | media:group/media:thumbnail");
    ASSERT_EQ(thumbnails.size(), ImageProfile::all().size());
    for (const XMLNode& thumbnail : thumbnails) {
        const std::string url = thumbnail.attribute("url").value_or("");
        ASSERT_TRUE(startsWith(url, baseUrl())) << url;
        cases.push_back({url.substr(baseUrl().size()), "language=sv_mvtk&type=ios&deviceId=X",
                         thumbnail.attribute("width").value_or(""), thumbnail.attribute("height").value_or("")});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + "?" + c.query);
        auto result = fetch(c.path, c.query);
        ASSERT_TRUE(result);
        ASSERT_EQ(result->status, 200) << result->body;
        EXPECT_EQ(result->get_header_value("Content-Type"), "image/png");
        auto image = StbImageCodec().decode(result->body);
        ASSERT_TRUE(image);
        EXPECT_EQ(std::to_string(image->width), c.width);
        EXPECT_EQ(std::to_string(image->height), c.height);
    }
}

TEST_F(CatalogueImagesTest, UnknownPicturesBadSizesAndNonImageAcceptsAreRefused) {
    struct Case {
        const char* name;
        std::string path;
        std::string query;
        std::string accept;
        int status;
    };
    const std::vector<Case> cases = {
        {"unknown guid", "/images/film-nowhere/TAVIK-POSTER.png", "", "image/*", 404},
        {"unknown profile", "/images/film-frost-line/TAVIK-HUGE.png", "", "image/*", 404},
        {"zero width", "/images/film-frost-line/TAVIK-POSTER.png", "width=0", "image/*", 400},
        {"width not a number", "/images/film-frost-line/TAVIK-POSTER.png", "width=big", "image/*", 400},
        {"accepts only XML", "/images/film-frost-line/TAVIK-POSTER.png", "", "application/xml", 406},
        {"no accept header", "/images/film-frost-line/TAVIK-POSTER.png", "", "", 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto result = fetch(c.path, c.query, c.accept);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, c.status) << result->body;
    }
}

}  // namespace
}  // namespace movra::backend
