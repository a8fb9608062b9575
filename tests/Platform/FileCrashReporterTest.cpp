// Crash and non-fatal reports on disk.
#include "Platform/FileCrashReporter.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>

namespace movra {
namespace {

namespace fs = std::filesystem;

std::string utcNow() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return buffer;
}

TEST(FileCrashReporterDeathTest, CrashWritesAReportAndStillKillsTheProcess) {
    // "fast" forks at the statement, so the child writes into this test's folder.
    GTEST_FLAG_SET(death_test_style, "fast");
    test::TemporaryDirectory temp;
    const auto folder = temp.file("crashes");
    const auto before = utcNow();
    EXPECT_EXIT(
        {
            FileCrashReporter reporter(folder);
            reporter.start("key");
            std::raise(SIGFPE);
        },
        ::testing::KilledBySignal(SIGFPE), "");
    const auto after = utcNow();

    std::vector<fs::path> reports;
    for (const auto& entry : fs::directory_iterator(folder)) reports.push_back(entry.path());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(std::regex_match(reports[0].filename().string(), std::regex(R"(crash-\d{8}T\d{6}Z-\d+\.txt)")))
        << reports[0];
    const auto report = temp.read("crashes/" + reports[0].filename().string());
    const std::string expected = "signal: SIGFPE \\(" + std::to_string(SIGFPE) + "\\)\ntime: (" + before + "|" + after +
                                 ")\npid: \\d+\nbacktrace:\n[\\s\\S]+";
    EXPECT_TRUE(std::regex_match(report, std::regex(expected))) << report;
}

}  // namespace
}  // namespace movra
