// A catalogue store file that cannot be read is a lost cache, not a reason to stop: it is kept aside and a new
// store made. The new store is private to the user, as are its journal files.
#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sys/stat.h>

namespace movra {
namespace {

namespace fs = std::filesystem;

/// A store with one channel, closed again.
void makeStore(test::TestPlatform& env, const std::string& directory) {
    MVCoreDataService store(directory);
    ASSERT_FALSE(store.setupStack());
    env.await<ErrorPtr>([&](auto done) {
        store.saveInBackground(
            [](StoreContext& context) {
                MVChannel channel;
                channel.setChannelID("films");
                channel.setGuid("films");
                return context.saveChannel(channel);
            },
            done);
    });
}

TEST(UnreadableStore, IsMovedAsideAndReplacedByAnEmptyPrivateStore) {
    const std::vector<std::pair<const char*, std::function<void(test::TestPlatform&, const std::string&)>>> cases = {
        {"garbage",
         [](test::TestPlatform&, const std::string& path) {
             std::mt19937 random(7);
             std::ofstream out(path, std::ios::binary);
             for (int i = 0; i < 4096; ++i) out.put(static_cast<char>(random()));
         }},
        {"truncated",
         [](test::TestPlatform& env, const std::string& path) {
             makeStore(env, fs::path(path).parent_path().string());
             fs::remove(path + "-wal");
             fs::remove(path + "-shm");
             fs::resize_file(path, 1000);  // past the header, before the schema's pages end
         }},
    };
    for (const auto& [name, damage] : cases) {
        SCOPED_TRACE(name);
        test::TemporaryDirectory directory;
        test::TestPlatform env;
        const auto path = directory.path() + "/MovraTavik.sqlite";
        damage(env, path);
        const auto damagedSize = fs::file_size(path);

        MVCoreDataService store(directory.path());
        ASSERT_FALSE(store.setupStack());
        ASSERT_TRUE(store.mainContext());
        EXPECT_FALSE(store.mainContext()->fetchChannel("films"));
        std::vector<fs::path> aside;
        for (const auto& entry : fs::directory_iterator(directory.path()))
            if (entry.path().filename().string().starts_with("MovraTavik.sqlite.unreadable-")) aside.push_back(entry);
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(fs::file_size(aside.front()), damagedSize);

        // Usable, and private with its journal.
        auto [error] = env.await<ErrorPtr>([&](auto done) {
            store.saveInBackground([](StoreContext& context) { return context.deleteAll(); }, done);
        });
        EXPECT_FALSE(error);
        for (const char* suffix : {"", "-wal"}) {
            struct stat info {};
            ASSERT_EQ(::stat((path + suffix).c_str(), &info), 0) << suffix;
            EXPECT_EQ(info.st_mode & 0777, 0600u) << suffix;
        }
    }
}

}  // namespace
}  // namespace movra
