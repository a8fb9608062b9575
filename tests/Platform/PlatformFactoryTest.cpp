// The real platform keeps every file of the client in its data directory.
#include "Platform/PlatformFactory.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace movra {
namespace {

namespace fs = std::filesystem;

class PlatformFactoryTest : public ::testing::Test {
  protected:
    // Logging set up by the factory writes into the test's folder; hand the console back afterwards.
    ~PlatformFactoryTest() override { Log::setup("", LogLevel::Warning); }
    test::TemporaryDirectory temp;
};

TEST_F(PlatformFactoryTest, ServicesKeepTheirFilesInThePrivateDataDirectory) {
    Configuration configuration;
    configuration.dataDirectory = temp.file("data");
    configuration.language = "nb-NO,en";
    configuration.deviceName = "Living room";
    auto platform = makeSystemPlatform(configuration, std::make_shared<UiHost>(), LogLevel::Error);

    struct stat st {};
    ASSERT_EQ(::stat(configuration.dataDirectory.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(platform->credentials().setPassword("token", "movratavik", "movraTavikDeviceToken"), nullptr);
    platform->defaults().setObject("CurrentInstall", "YES");
    ASSERT_TRUE(platform->defaults().synchronize());
    platform->crashReporter().notifyNonFatal("name", "reason");
    Log::warning("written to the log file");
    for (const char* file : {"keychain/movratavik.json", "defaults.json", "crashes/nonfatal.jsonl", "movra.log"})
        EXPECT_TRUE(fs::exists(temp.file("data/") + file)) << file;

    EXPECT_EQ(platform->locale().languageCode(), "nb");
    EXPECT_EQ(platform->device().name(), "Living room");
    EXPECT_TRUE(platform->reachability().isReachable());
    EXPECT_NE(platform->makeTransport().get(), &platform->sharedTransport());
}

}  // namespace
}  // namespace movra
