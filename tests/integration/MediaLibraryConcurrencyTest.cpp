// Two emulators starting on the same empty media folder at once: one generates, the other waits and uses
// the same set, and no half-made set is left behind.
#include "movra-backend/MediaLibrary.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace movra::backend {
namespace {

TEST(MediaLibraryConcurrencyTest, ConcurrentFirstRunsGenerateOneSetThatBothUse) {
    test::TemporaryDirectory folder;
    MediaLibrary first(folder.path(), "ffmpeg");
    MediaLibrary second(folder.path(), "ffmpeg");
    std::optional<std::string> firstError, secondError;
    std::thread other([&] { secondError = second.ensure(); });
    firstError = first.ensure();
    other.join();
    ASSERT_FALSE(firstError) << *firstError;
    ASSERT_FALSE(secondError) << *secondError;

    for (const StreamAsset& asset : MediaLibrary::catalogue()) {
        ASSERT_TRUE(first.asset(asset.id) && second.asset(asset.id));
        EXPECT_EQ(first.asset(asset.id)->key, second.asset(asset.id)->key);
        EXPECT_EQ(first.assetWithKeyId(second.asset(asset.id)->keyId)->id, asset.id);
        EXPECT_TRUE(std::filesystem::exists(first.root() + "/" + asset.id + "/master.m3u8"));
    }
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        entries.push_back(entry.path().filename().string());
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{".lock", "v" + std::to_string(MediaLibrary::kVersion)}));
}

}  // namespace
}  // namespace movra::backend
