// Importing generated feed pages of 30, 1,000 and 10,000 films into the catalogue store, against the floor
// measured in the same run: libxml2 parsing the same bytes plus inserting the rows the client stored (same
// table, same columns and indexes) with one prepared statement in one transaction. Also the first 30 items
// of a 10,000-item channel through a live query, and the peak memory of the 10,000-item import.
#include "API/MVHTTPClient.h"
#include "MedianReporter.h"
#include "Model/FetchedResultsController.h"
#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Platform/Platform.h"
#include "Platform/PlatformFactory.h"
#include "Utilities/XMLDocument.h"
#include "movra-backend/Catalogue.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <malloc.h>
#include <map>

namespace {

using namespace movra;

constexpr int kSizes[] = {30, 1000, 10000};

const std::string& page(int count) {
    static std::map<int, std::string> pages;
    auto& xml = pages[count];
    if (xml.empty()) xml = backend::Catalogue::generatedPageXml(static_cast<std::size_t>(count), 0, count);
    return xml;
}

struct World {
    std::string directory;
    std::shared_ptr<MVCoreDataService> store;

    World() {
        std::string pattern = (std::filesystem::temp_directory_path() / "movra-bench-XXXXXX").string();
        directory = mkdtemp(pattern.data());
        Configuration configuration;
        configuration.dataDirectory = directory + "/client";
        std::filesystem::create_directories(configuration.dataDirectory);
        Platform::install(makeSystemPlatform(configuration, std::make_shared<UiHost>(), LogLevel::Error));
        MVHTTPClient::initSharedClientWithHost("127.0.0.1:9");
        store = std::make_shared<MVCoreDataService>(configuration.dataDirectory);
        if (auto error = store->setupStack()) {
            std::cerr << "store: " << error->summary() << std::endl;
            std::exit(1);
        }
        MVCoreDataService::setRegistered(store);
    }
    ~World() {
        store->invalidateStack();
        Platform::uninstall();
        std::error_code ec;
        std::filesystem::remove_all(directory, ec);
    }
    void clear() const {
        bool done = false;
        store->deleteAllDataWithCompletion([&done](ErrorPtr) { done = true; });
        Platform::current().mainQueue().runUntil([&done] { return done; }, 600);
    }
};

World& world() {
    static World w;
    return w;
}

/// What a page costs from the answer's bytes to the items stored: the parse the response serializer does,
/// then the client's import, waited for on the main queue as the screens wait for it. The stored channel's
/// guid, or nullopt when the import failed.
std::optional<std::string> importPage(const std::string& xml) {
    auto document = XMLDocument::parse(xml);
    bool done = false;
    ErrorPtr failure;
    std::shared_ptr<MVChannel> channel;
    MVHTTPClient::sharedClient()->handleXMLResponse(
        document, 0, /*clearExistingData=*/true,
        [&](ErrorPtr error, std::shared_ptr<MVChannel> stored, XMLDocumentPtr) {
            failure = error;
            channel = stored;
            done = true;
        });
    Platform::current().mainQueue().runUntil([&] { return done; }, 120);
    if (!done || failure || !channel || !channel->guid()) return std::nullopt;
    return channel->guid();
}

void BM_ClientImport(benchmark::State& state) {
    auto& w = world();
    const auto& xml = page(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        w.clear();
        state.ResumeTiming();
        if (!importPage(xml)) {
            state.SkipWithError("import failed");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * xml.size()));
}

// The import's first two stages on their own, to show where its time goes.
void BM_StageParse(benchmark::State& state) {
    const auto& xml = page(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(XMLDocument::parse(xml));
}

void BM_StageMap(benchmark::State& state) {
    world();  // the mapping logs through the platform
    auto document = XMLDocument::parse(page(static_cast<int>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(MVChannel::dictionaryFromDocument(document));
}

/// The rows the client stores for a page, read back with their table's definition, so that the floor
/// inserts exactly the same data into exactly the same table.
struct StoredRows {
    std::vector<std::string> schema;  // CREATE TABLE and CREATE INDEX statements of Item
    int columns = 0;
    std::vector<std::vector<std::string>> rows;  // NULL kept as a missing value below
    std::vector<std::vector<bool>> nulls;
};

StoredRows storedRows(int count) {
    auto& w = world();
    w.clear();
    importPage(page(count));
    StoredRows result;
    sqlite3* db = nullptr;
    sqlite3_open_v2(w.store->storePath().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT sql FROM sqlite_master WHERE tbl_name = 'Item' AND sql IS NOT NULL", -1, &statement,
                       nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW)
        result.schema.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    sqlite3_prepare_v2(db, "SELECT * FROM Item", -1, &statement, nullptr);
    result.columns = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        auto& row = result.rows.emplace_back();
        auto& nulls = result.nulls.emplace_back();
        for (int i = 0; i < result.columns; ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
            nulls.push_back(text == nullptr);
            row.emplace_back(text ? text : "");
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

void BM_FloorParseAndInsert(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const auto& xml = page(count);
    const auto rows = storedRows(count);
    if (rows.rows.size() != static_cast<std::size_t>(count)) {
        state.SkipWithError("the client stored a different number of items");
        return;
    }
    const auto path = world().directory + "/floor-" + std::to_string(count) + ".sqlite";
    std::filesystem::remove(path);
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    for (const auto& sql : rows.schema) sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    std::string insert = "INSERT INTO Item VALUES (?";
    for (int i = 1; i < rows.columns; ++i) insert += ",?";
    insert += ")";
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, insert.c_str(), -1, &statement, nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        sqlite3_exec(db, "DELETE FROM Item", nullptr, nullptr, nullptr);
        state.ResumeTiming();
        xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, XML_PARSE_NONET);
        benchmark::DoNotOptimize(doc);
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        for (std::size_t r = 0; r < rows.rows.size(); ++r) {
            for (int i = 0; i < rows.columns; ++i) {
                if (rows.nulls[r][i])
                    sqlite3_bind_null(statement, i + 1);
                else
                    sqlite3_bind_text(statement, i + 1, rows.rows[r][i].data(),
                                      static_cast<int>(rows.rows[r][i].size()), SQLITE_STATIC);
            }
            sqlite3_step(statement);
            sqlite3_reset(statement);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        xmlFreeDoc(doc);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * xml.size()));
}

/// A list screen opening on a fresh 10,000-item channel: its live query's first result, 30 items.
void BM_LiveQueryFirst30Of10000(benchmark::State& state) {
    auto& w = world();
    w.clear();
    const auto guid = importPage(page(10000));
    if (!guid) {
        state.SkipWithError("import failed");
        return;
    }
    for (auto _ : state) {
        FetchedResultsController controller([&] {
            StoreContext::ItemQuery query;
            query.channelGuid = guid;
            query.limit = 30;
            return query;
        });
        if (controller.performFetch() || controller.fetchedObjects().size() != 30) {
            state.SkipWithError("the live query did not give 30 items");
            return;
        }
    }
}

long statusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
    return -1;
}

/// The resident-set high-water mark during one 10,000-item import, above the resident size before it. Run
/// before the benchmarks, whose freed memory the allocator would otherwise hand to this import.
void printPeakMemory() {
    auto& w = world();
    w.clear();
    const auto& xml = page(10000);
    malloc_trim(0);
    // Writing 5 to clear_refs resets the high-water mark to the current resident size.
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = statusKilobytes("VmRSS");
    const bool imported = importPage(xml).has_value();
    const long peak = statusKilobytes("VmHWM");
    std::printf("Peak memory importing 10,000 items: %.1f MB above the %.1f MB resident before (document %.1f MB)%s\n",
                static_cast<double>(peak - before) / 1024.0, static_cast<double>(before) / 1024.0,
                static_cast<double>(xml.size()) / (1024.0 * 1024.0), imported ? "" : " [import failed]");
}

BENCHMARK(BM_ClientImport)->Arg(30)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FloorParseAndInsert)->Arg(30)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StageParse)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StageMap)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LiveQueryFirst30Of10000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // glibc parks small freed blocks in "fast bins" and merges them all whenever a block of 1 KiB or more
    // is asked for. Feed imports free hundreds of thousands of small nodes and strings between such
    // requests, so those merges cost more than the fast bins save; the per-thread caches stay in front.
    // Set for the whole process, so that the floors measured in the same run get the same allocator.
    mallopt(M_MXFAST, 0);
    benchmark::Initialize(&argc, argv);
    printPeakMemory();
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (int count : kSizes) {
        const auto client = reporter.median("BM_ClientImport/" + std::to_string(count) + "/real_time");
        const auto floor = reporter.median("BM_FloorParseAndInsert/" + std::to_string(count) + "/real_time");
        if (client && floor)
            std::printf("Import of %d items: client %.2f ms, floor %.2f ms, ratio %.2f%s\n", count, *client, *floor,
                        *client / *floor, count == 30 ? " (target: client under 5 ms)" : " (target <= 2.00)");
    }
    if (auto live = reporter.median("BM_LiveQueryFirst30Of10000/real_time"))
        std::printf("First 30 of 10,000 items through a live query: %.3f ms (target under 2 ms)\n", *live);
    benchmark::Shutdown();
    return 0;
}
