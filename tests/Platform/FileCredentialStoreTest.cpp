// The file keychain: values, file names, modes, damaged files, interrupted writes and concurrent writers.
#include "Platform/FileCredentialStore.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace movra {
namespace {

namespace fs = std::filesystem;

unsigned modeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

class FileCredentialStoreTest : public ::testing::Test {
  protected:
    test::TemporaryDirectory temp;
    std::string folder = temp.file("keychain");
    FileCredentialStore store{folder};
};

TEST_F(FileCredentialStoreTest, StoresReplacesAndDeletesValuesInPrivateFiles) {
    const mode_t oldMask = ::umask(0);                                // the modes must not depend on the caller's umask
    EXPECT_EQ(store.deletePassword("movratavik", "token"), nullptr);  // nothing to delete is no error
    ASSERT_EQ(store.setPassword("", "movratavik", "token"), nullptr);
    ::umask(oldMask);
    EXPECT_EQ(store.password("movratavik", "token"), "");  // an empty value is still a value
    ASSERT_EQ(store.setPassword("t-1", "movratavik", "token"), nullptr);
    ASSERT_EQ(store.setPassword("ABC-DEF", "movratavik", "id"), nullptr);
    ASSERT_EQ(store.setPassword("other", "second", "token"), nullptr);
    ASSERT_EQ(store.deletePassword("movratavik", "token"), nullptr);

    FileCredentialStore later(folder);
    EXPECT_EQ(later.password("movratavik", "token"), std::nullopt);
    EXPECT_EQ(later.password("movratavik", "id"), "ABC-DEF");
    EXPECT_EQ(later.password("second", "token"), "other");
    EXPECT_EQ(modeOf(store.pathForService("movratavik")), 0600u);
    EXPECT_EQ(modeOf(folder + "/.lock"), 0600u);
    // Accounts and values must be UTF-8 to fit the file.
    EXPECT_NE(store.setPassword("\xff\xfe", "movratavik", "id"), nullptr);
    EXPECT_NE(store.setPassword("v", "movratavik", "\xc3"), nullptr);
}

TEST_F(FileCredentialStoreTest, ServiceNamesBecomeDistinctFilesInsideTheFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"movratavik", "movratavik.json"},
        {"../escape", "%2E.%2Fescape.json"},
        {".lock", "%2Elock.json"},
        {"a b%", "a%20b%25.json"},
        {"", "%.json"},
    };
    std::set<std::string> paths;
    for (const auto& [service, file] : cases) {
        EXPECT_EQ(store.pathForService(service), folder + "/" + file) << service;
        paths.insert(store.pathForService(service));
        ASSERT_EQ(store.setPassword(service, service, "account"), nullptr) << service;
    }
    EXPECT_EQ(paths.size(), std::size(cases));
    for (const auto& [service, file] : cases) EXPECT_EQ(store.password(service, "account"), service);
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 1);  // only the folder
}

TEST_F(FileCredentialStoreTest, DamagedOrUnreadableFileIsNeverOverwritten) {
    const std::pair<const char*, std::string> damages[] = {
        {"truncated", "{\"token\": \"abc"},
        {"not an object", "[\"token\"]"},
        {"value not text", "{\"token\": 42}"},
    };
    ASSERT_EQ(store.setPassword("x", "movratavik", "token"), nullptr);
    for (const auto& [what, contents] : damages) {
        temp.write("keychain/movratavik.json", contents);
        EXPECT_EQ(store.password("movratavik", "token"), std::nullopt) << what;
        EXPECT_NE(store.setPassword("new", "movratavik", "token"), nullptr) << what;
        EXPECT_NE(store.deletePassword("movratavik", "token"), nullptr) << what;
        EXPECT_EQ(temp.read("keychain/movratavik.json"), contents) << what;
    }
    fs::create_directories(store.pathForService("unreadable"));  // open() works, read() fails
    EXPECT_EQ(store.password("unreadable", "token"), std::nullopt);
    EXPECT_NE(store.setPassword("new", "unreadable", "token"), nullptr);
}

TEST_F(FileCredentialStoreTest, LeftoversOfAnInterruptedWriteChangeNothing) {
    ASSERT_EQ(store.setPassword("old", "movratavik", "token"), nullptr);
    // A crash before the rename leaves the temporary file beside the intact old one.
    temp.write("keychain/.movratavik.json.tmp-Ab12Cd", "{\"token\": \"ne");
    EXPECT_EQ(store.password("movratavik", "token"), "old");
    ASSERT_EQ(store.setPassword("new", "movratavik", "token"), nullptr);
    EXPECT_EQ(FileCredentialStore(folder).password("movratavik", "token"), "new");
    std::size_t temporaries = 0;  // a completed write leaves none of its own
    for (const auto& entry : fs::directory_iterator(folder))
        temporaries += entry.path().filename().string().find(".tmp-") != std::string::npos;
    EXPECT_EQ(temporaries, 1u);
}

class FileCredentialStoreConcurrencyTest : public FileCredentialStoreTest {};

// Two stores on one folder stand in for two processes: they share no mutex, only the lock file.
TEST_F(FileCredentialStoreConcurrencyTest, WritersOfTwoProcessesLoseNoUpdate) {
    FileCredentialStore otherProcess(folder);
    constexpr int kThreads = 4;
    constexpr int kWrites = 25;
    auto account = [](int t, int i) { return "t" + std::to_string(t) + "-" + std::to_string(i); };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            CredentialStore& s = t % 2 ? static_cast<CredentialStore&>(otherProcess) : store;
            for (int i = 0; i < kWrites; ++i) {
                EXPECT_EQ(s.setPassword(account(t, i), "movratavik", account(t, i)), nullptr);
                EXPECT_EQ(s.password("movratavik", account(t, i)), account(t, i));  // never a half-written file
            }
        });
    }
    for (auto& t : threads) t.join();
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kWrites; ++i) EXPECT_EQ(store.password("movratavik", account(t, i)), account(t, i));
}

}  // namespace
}  // namespace movra
