#include "Utilities/MTLXMLAdapter.h"
#include "Utilities/MVAccount.h"
#include "Utilities/MVSettingsResponse.h"
#include "Utilities/XMLDocument.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

XMLNode documentNode(const std::string& xml) {
    auto doc = XMLDocument::parse(xml);
    EXPECT_TRUE(doc) << xml;
    return doc ? doc->documentNode() : XMLNode();
}

TEST(ResponseRecordsTest, SettingWithNameFindsTheFirstExactMatch) {
    auto settings = MTLXMLAdapter::modelOfClass<MVSettingsResponse>(documentNode(R"(<result><status>success</status>
        <settings>
          <setting><name>kidsModePIN</name><value>1234</value></setting>
          <setting><name>kidsModePIN</name><value>9999</value></setting>
          <setting><name>subtitle</name></setting>
          <setting><name>KidsModeIgnore</name><value>true</value></setting>
        </settings></result>)"));
    ASSERT_TRUE(settings);
    ASSERT_EQ(settings->settings().size(), 4u);
    EXPECT_EQ(settings->settingWithName("kidsModePIN"), "1234");
    EXPECT_EQ(settings->settingWithName("subtitle"), std::nullopt);
    EXPECT_EQ(settings->settingWithName("kidsModeIgnore"), std::nullopt);
    EXPECT_EQ(settings->settingWithName("missing"), std::nullopt);

    auto empty =
        MTLXMLAdapter::modelOfClass<MVSettingsResponse>(documentNode("<result><status>success</status></result>"));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->settings().empty());
}

TEST(ResponseRecordsTest, AccountCacheAndStoredFirstName) {
    test::TestPlatform platform;
    const std::string account =
        "<result><status>success</status><account><guid>g1</guid><firstName>Ada</firstName>"
        "<country>Solara</country></account></result>";
    auto first = MTLXMLAdapter::modelOfClass<MVAccount>(documentNode(account));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->country(), "Solara");
    EXPECT_EQ(first->lastName(), std::nullopt);
    EXPECT_EQ(MVAccount::cachedAccount(), first);
    EXPECT_EQ(platform.defaults->stringForKey("MVTKCachedUserAccountNameKey"), "Ada");

    // A later account without a first name replaces both.
    auto second =
        MTLXMLAdapter::modelOfClass<MVAccount>(documentNode("<result><account><guid>g2</guid></account></result>"));
    ASSERT_TRUE(second);
    EXPECT_EQ(MVAccount::cachedAccount(), second);
    EXPECT_EQ(MVAccount::cachedAccountName(), std::nullopt);

    MTLXMLAdapter::modelOfClass<MVAccount>(documentNode(account));
    MVAccount::clearCache();
    EXPECT_FALSE(MVAccount::cachedAccount());
    EXPECT_FALSE(platform.defaults->object("MVTKCachedUserAccountNameKey"));
}

}  // namespace
}  // namespace movra
