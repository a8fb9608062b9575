// The file keychain: values, file names, modes, damaged files, interrupted writes and concurrent writers.
#include "Platform/FileCredentialStore.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace movra {
namespace {

namespace fs = std::filesystem;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

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

TEST_F(FileCredentialStoreTest, StoresReplacesAndDeletesValues) {
    EXPECT_EQ(store.password("movratavik", "token"), std::nullopt);
    EXPECT_EQ(store.deletePassword("movratavik", "token"), nullptr);  // nothing to delete is no error

    ASSERT_EQ(store.setPassword("", "movratavik", "token"), nullptr);
    EXPECT_EQ(store.password("movratavik", "token"), "");  // an empty value is still a value
    ASSERT_EQ(store.setPassword("t-1", "movratavik", "token"), nullptr);
    ASSERT_EQ(store.setPassword("ABC-DEF", "movratavik", "id"), nullptr);
    ASSERT_EQ(store.setPassword("other", "second", "token"), nullptr);
    EXPECT_EQ(store.password("movratavik", "token"), "t-1");
    EXPECT_EQ(store.password("second", "token"), "other");

    ASSERT_EQ(store.deletePassword("movratavik", "token"), nullptr);
    EXPECT_EQ(store.password("movratavik", "token"), std::nullopt);
    EXPECT_EQ(store.password("movratavik", "id"), "ABC-DEF");
    // A second instance (a later run) sees the same entries.
    EXPECT_EQ(FileCredentialStore(folder).password("movratavik", "id"), "ABC-DEF");
}

TEST_F(FileCredentialStoreTest, FolderAndFilesArePrivateWhateverTheUmask) {
    const mode_t old = ::umask(0);
    auto error = store.setPassword("secret", "movratavik", "token");
    ::umask(old);
    ASSERT_EQ(error, nullptr);
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(store.pathForService("movratavik")), 0600u);
    EXPECT_EQ(modeOf(folder + "/.lock"), 0600u);
}

TEST_F(FileCredentialStoreTest, ServiceNamesBecomeDistinctFilesInsideTheFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"movratavik", "movratavik.json"},
        {"com.movra.tavik", "com.movra.tavik.json"},
        {"../escape", "%2E.%2Fescape.json"},
        {"/etc/passwd", "%2Fetc%2Fpasswd.json"},
        {".lock", "%2Elock.json"},
        {"a b%", "a%20b%25.json"},
        {"", "%.json"},
    };
    std::set<std::string> paths;
    for (const auto& [service, file] : cases) {
        const auto path = store.pathForService(service);
        EXPECT_EQ(path, folder + "/" + file) << service;
        paths.insert(path);
        ASSERT_EQ(store.setPassword(service, service, "account"), nullptr) << service;
    }
    EXPECT_EQ(paths.size(), std::size(cases));
    for (const auto& [service, file] : cases) EXPECT_EQ(store.password(service, "account"), service);
    // Nothing was written outside the keychain folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 1);
}

TEST_F(FileCredentialStoreTest, DamagedFileIsNeverOverwritten) {
    const std::pair<const char*, std::string> damages[] = {
        {"truncated", "{\"token\": \"abc"},
        {"not an object", "[\"token\"]"},
        {"value not text", "{\"token\": 42}"},
        {"binary", std::string("\0\x01\x02", 3)},
    };
    ASSERT_EQ(store.setPassword("x", "movratavik", "token"), nullptr);
    const auto path = store.pathForService("movratavik");
    for (const auto& [what, contents] : damages) {
        writeFile(path, contents);
        EXPECT_EQ(store.password("movratavik", "token"), std::nullopt) << what;
        EXPECT_NE(store.setPassword("new", "movratavik", "token"), nullptr) << what;
        EXPECT_NE(store.deletePassword("movratavik", "token"), nullptr) << what;
        EXPECT_EQ(readFile(path), contents) << what;
    }
    // Other services are unaffected.
    EXPECT_EQ(store.setPassword("v", "second", "a"), nullptr);
    EXPECT_EQ(store.password("second", "a"), "v");
}

TEST_F(FileCredentialStoreTest, UnreadableFileIsAnErrorNotAnEmptyKeychain) {
    fs::create_directories(store.pathForService("movratavik"));  // open() works, read() fails
    EXPECT_EQ(store.password("movratavik", "token"), std::nullopt);
    EXPECT_NE(store.setPassword("new", "movratavik", "token"), nullptr);
}

TEST_F(FileCredentialStoreTest, LeftoversOfAnInterruptedWriteChangeNothing) {
    ASSERT_EQ(store.setPassword("old", "movratavik", "token"), nullptr);
    // A crash before the rename leaves the temporary file beside the intact old one.
    writeFile(folder + "/.movratavik.json.tmp-Ab12Cd", "{\"token\": \"ne");
    EXPECT_EQ(store.password("movratavik", "token"), "old");
    ASSERT_EQ(store.setPassword("new", "movratavik", "token"), nullptr);
    EXPECT_EQ(FileCredentialStore(folder).password("movratavik", "token"), "new");
    // A completed write leaves no temporary file of its own.
    std::size_t temporaries = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().find(".tmp-") != std::string::npos) ++temporaries;
    EXPECT_EQ(temporaries, 1u);
}

TEST_F(FileCredentialStoreTest, ValuesThatAreNotUtf8AreRefused) {
    EXPECT_NE(store.setPassword("\xff\xfe", "movratavik", "token"), nullptr);
    EXPECT_NE(store.setPassword("v", "movratavik", "\xc3"), nullptr);
    EXPECT_EQ(store.password("movratavik", "token"), std::nullopt);
}

// Two stores on one folder stand in for two processes: they share no mutex, only the lock file.
TEST_F(FileCredentialStoreTest, ConcurrentWritersLoseNoUpdate) {
    FileCredentialStore otherProcess(folder);
    constexpr int kThreads = 4;
    constexpr int kWrites = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            CredentialStore& s = t % 2 ? static_cast<CredentialStore&>(otherProcess) : store;
            for (int i = 0; i < kWrites; ++i) {
                const auto account = "t" + std::to_string(t) + "-" + std::to_string(i);
                EXPECT_EQ(s.setPassword(account, "movratavik", account), nullptr);
                // Readers never see a half-written file.
                EXPECT_EQ(s.password("movratavik", account), account);
            }
        });
    }
    for (auto& t : threads) t.join();
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kWrites; ++i) {
            const auto account = "t" + std::to_string(t) + "-" + std::to_string(i);
            EXPECT_EQ(store.password("movratavik", account), account);
        }
}

}  // namespace
}  // namespace movra
