// The defaults file: persistence across instances, damaged files and failed writes.
#include "Platform/JsonDefaultsStore.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace movra {
namespace {

namespace fs = std::filesystem;

class JsonDefaultsStoreTest : public ::testing::Test {
  protected:
    test::TemporaryDirectory temp;
    std::string path = temp.file("data/defaults.json");
};

TEST_F(JsonDefaultsStoreTest, ValuesSurviveANewInstance) {
    const Json subtitle = {{"language", "sv"}, {"forced", false}};
    {
        JsonDefaultsStore defaults(path);
        defaults.setObject("CurrentInstall", "YES");
        defaults.setObject("currentTenant", 2);
        defaults.setObject("MVLastSelectedSubtitleKey", subtitle);
        defaults.setObject("gone", "soon");
        ASSERT_TRUE(defaults.synchronize());
        defaults.removeObject("gone");
        defaults.setObject("unsynchronised", 1);  // written when the store goes away
    }
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    JsonDefaultsStore reopened(path);
    EXPECT_EQ(reopened.stringForKey("CurrentInstall"), "YES");
    EXPECT_EQ(reopened.integerForKey("currentTenant"), 2);
    EXPECT_EQ(reopened.object("MVLastSelectedSubtitleKey"), subtitle);
    EXPECT_EQ(reopened.object("gone"), std::nullopt);
    EXPECT_EQ(reopened.object("unsynchronised"), Json(1));
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.file("data")), fs::directory_iterator()), 1);  // no leftovers
}

TEST_F(JsonDefaultsStoreTest, DamagedFileIsMovedAsideAndTheStoreStartsEmpty) {
    fs::create_directories(temp.file("data"));
    for (const std::string damaged : {"{\"currentTenant\": 2", "[1, 2]"}) {
        temp.write("data/defaults.json", damaged);
        {
            JsonDefaultsStore defaults(path);
            EXPECT_EQ(defaults.object("currentTenant"), std::nullopt) << damaged;
            EXPECT_EQ(temp.read("data/defaults.json.corrupt"), damaged);
            defaults.setObject("currentTenant", 1);
            EXPECT_TRUE(defaults.synchronize());
        }
        EXPECT_EQ(JsonDefaultsStore(path).integerForKey("currentTenant"), 1);
    }
}

}  // namespace
}  // namespace movra
