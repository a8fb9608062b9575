// A process importing pages in a loop is killed with SIGKILL at random moments; the store it leaves must
// pass SQLite's integrity check and hold, in the channel, whole pages of one round only (never part of a
// page), at least as far as the process had reported committed.
#include "Foundation/Strings.h"
#include "Model/MVItem.h"
#include "Model/SQLiteDatabase.h"
#include "Model/SQLiteStatement.h"
#include "Model/StoreContext.h"
#include "support/ChildProcess.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <random>
#include <thread>

namespace movra {
namespace {

constexpr int kPageSize = 100;
constexpr int kPages = 3;

struct Progress {
    long round = -1;
    int page = -1;
};

/// The last save `output` reports.
Progress lastCommitted(const std::string& output) {
    Progress last;
    for (const std::string& line : split(output, "\n")) {
        Progress p;
        if (std::sscanf(line.c_str(), "committed %ld %d", &p.round, &p.page) == 2) last = p;
    }
    return last;
}

/// Starts the import loop, waits for `commits` reported saves plus a random pause, and kills it.
Progress runAndKill(const std::string& directory, int commits, int pauseMicroseconds) {
    test::ChildProcess child({{MOVRA_STORE_IMPORT_LOOP, directory}, {}, {}, {}});
    while (child.running() && std::ranges::count(child.output(), '\n') < commits)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    std::this_thread::sleep_for(std::chrono::microseconds(pauseMicroseconds));
    child.sendSignal(SIGKILL);
    // Saves reported between the pause and the kill count as committed too.
    return lastCommitted(child.finish(60).out);
}

TEST(StoreCrashSafetyTest, AKilledImportLeavesWholeCommittedPages) {
    test::TemporaryDirectory directory;
    std::mt19937 random(20261206);
    for (int run = 0; run < 16; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const int commits = 1 + static_cast<int>(random() % 5);
        const int pause = static_cast<int>(random() % 40000);
        const Progress reported = runAndKill(directory.path(), commits, pause);
        ASSERT_GE(reported.round, 0) << "the import loop reported no save";

        ErrorPtr error;
        auto database =
            SQLiteDatabase::open(directory.file("MovraTavik.sqlite"), SQLiteDatabase::Mode::ReadWrite, &error);
        ASSERT_TRUE(database) << error->summary();
        auto* check = database->prepare("PRAGMA integrity_check", &error);
        ASSERT_TRUE(check);
        ASSERT_EQ(check->step(), SQLiteStatement::Step::Row);
        EXPECT_EQ(check->columnText(0).value_or(""), "ok");
        check->reset();

        StoreContext context(*database);
        StoreContext::ItemQuery query;
        query.channelGuid = "GENERATED";
        const auto items = context.fetchItems(query, &error);
        ASSERT_FALSE(error);
        ASSERT_FALSE(items.empty());
        ASSERT_EQ(items.size() % kPageSize, 0u) << items.size() << " items: part of a page";
        ASSERT_LE(items.size(), static_cast<std::size_t>(kPages * kPageSize));
        const std::string title = items.front()->title().value_or("");
        const std::string mark = title.substr(0, title.find('|') + 1);
        ASSERT_EQ(mark.front(), 'R');
        for (std::size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i]->indexInChannel().value_or(-1), static_cast<int>(i));
            EXPECT_EQ(items[i]->title().value_or("").rfind(mark, 0), 0u) << "item " << i << " of another round";
        }
        // Nothing the process reported as saved is lost.
        const long round = std::stol(mark.substr(1));
        const int pages = static_cast<int>(items.size()) / kPageSize;
        EXPECT_TRUE(round > reported.round || (round == reported.round && pages >= reported.page + 1))
            << "stored round " << round << " with " << pages << " pages; reported " << reported.round << "/"
            << reported.page;
    }
}

}  // namespace
}  // namespace movra
