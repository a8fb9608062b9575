// The defaults file: persistence across instances, damaged files, failed writes and the typed readers.
#include "Platform/JsonDefaultsStore.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace movra {
namespace {

namespace fs = std::filesystem;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class JsonDefaultsStoreTest : public ::testing::Test {
  protected:
    test::TemporaryDirectory temp;
    std::string path = temp.file("data/defaults.json");
};

TEST_F(JsonDefaultsStoreTest, ValuesSurviveANewInstance) {
    {
        JsonDefaultsStore defaults(path);
        defaults.setObject("CurrentInstall", "YES");
        defaults.setObject("currentTenant", 2);
        defaults.setObject("inKidsMode", true);
        defaults.setObject("MVLastSelectedSubtitleKey", Json{{"language", "sv"}, {"forced", false}});
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
    EXPECT_TRUE(reopened.boolForKey("inKidsMode"));
    EXPECT_EQ(reopened.object("MVLastSelectedSubtitleKey"), (Json{{"language", "sv"}, {"forced", false}}));
    EXPECT_EQ(reopened.object("gone"), std::nullopt);
    EXPECT_EQ(reopened.object("unsynchronised"), Json(1));
    // Only the file itself is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.file("data")), fs::directory_iterator()), 1);
}

TEST_F(JsonDefaultsStoreTest, DamagedFileIsMovedAsideAndTheStoreStartsEmpty) {
    for (const std::string damaged : {"{\"currentTenant\": 2", "[1, 2]", "\"text\""}) {
        fs::create_directories(temp.file("data"));
        std::ofstream(path) << damaged;
        {
            JsonDefaultsStore defaults(path);
            EXPECT_EQ(defaults.object("currentTenant"), std::nullopt) << damaged;
            EXPECT_EQ(readFile(path + ".corrupt"), damaged);
            defaults.setObject("currentTenant", 1);
            EXPECT_TRUE(defaults.synchronize());
        }
        EXPECT_EQ(JsonDefaultsStore(path).integerForKey("currentTenant"), 1);
    }
}

TEST_F(JsonDefaultsStoreTest, FailedWriteReportsFalseAndKeepsTheChangesPending) {
    std::ofstream(temp.file("blocker")) << "a file where the folder should be";
    JsonDefaultsStore defaults(temp.file("blocker/defaults.json"));
    defaults.setObject("k", "v");
    EXPECT_FALSE(defaults.synchronize());
    EXPECT_FALSE(defaults.synchronize());  // still pending, still failing
    EXPECT_EQ(defaults.stringForKey("k"), "v");
}

TEST_F(JsonDefaultsStoreTest, TypedReadersFollowThePlatformRules) {
    JsonDefaultsStore defaults(path);
    const std::tuple<Json, bool, long long> cases[] = {
        {true, true, 1},  {false, false, 0}, {0, false, 0},     {7, true, 7},        {0.5, true, 0},
        {"YES", true, 0}, {"yes", true, 0},  {"NO", false, 0},  {"true", true, 0},   {"false", false, 0},
        {"1", true, 1},   {"0", false, 0},   {"12x", true, 12}, {nullptr, false, 0}, {Json::array(), false, 0},
    };
    for (const auto& [value, asBool, asInteger] : cases) {
        defaults.setObject("k", value);
        EXPECT_EQ(defaults.boolForKey("k"), asBool) << value.dump();
        EXPECT_EQ(defaults.integerForKey("k"), asInteger) << value.dump();
    }
    EXPECT_FALSE(defaults.boolForKey("missing"));
    EXPECT_EQ(defaults.stringForKey("k"), std::nullopt);
}

}  // namespace
}  // namespace movra
