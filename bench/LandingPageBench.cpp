// The landing page against the in-process emulator, signed in.
// - Cold: from an empty store, the root menu, the landing feed, every shelf, continue watching and the
//   watchlist, until the landing screen reports everything loaded. The floor makes the same requests (taken
//   from the emulator's request log of a cold load) with curl's multi interface all at once, parses each
//   answer with libxml2 and inserts its items into SQLite.
// - Warm: the landing page opened again within the feeds' ttl: its sections and every shelf row's titles
//   from the store, before any of the refreshes each visit makes has answered.
#include "BenchStoreClient.h"
#include "Foundation/Strings.h"
#include "MedianReporter.h"
#include "Model/MVChannel.h"
#include "Model/MVItem.h"
#include "Root/MVNavigationController.h"
#include "Sections/Home/HorizontalScrollingShelfTableViewCell.h"
#include "Sections/Home/LandingPageViewController.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <sqlite3.h>

#include <algorithm>

namespace {

using namespace movra;

struct World : BenchStoreClient {
    World() : BenchStoreClient("LandingPageBench") {}

    void emptyStore() {
        bool done = false;
        store->saveInBackground([](StoreContext& context) { return context.deleteAll(); },
                                [&](ErrorPtr) { done = true; });
        if (!wait([&] { return done; })) die("the store was not emptied");
    }
    /// The menu's landing entry.
    std::shared_ptr<MVItem> landingEntry() {
        const auto menu = rootMenu();
        for (const auto& item : menu->items())
            if (item->keywordsContain("landing")) return item;
        die("the menu has no landing entry");
    }
    /// A landing page made and shown, as the menu shows it.
    std::shared_ptr<LandingPageViewController> open(const std::shared_ptr<MVItem>& entry) {
        auto landing = std::dynamic_pointer_cast<LandingPageViewController>(
            MVRootViewController::viewControllerForCatalogItem(entry, /*atTopLevel=*/true));
        if (!landing) die("the landing entry routes elsewhere");
        navigation = std::make_shared<MVNavigationController>();
        navigation->setRootViewController(landing);
        landing->viewWillAppear(false);
        landing->viewDidAppear(false);
        return landing;
    }
    static bool personalShelvesAnswered(const LandingPageViewController& landing) {
        auto answered = [](MVLoadingState state) {
            return state == MVLoadingState::Loaded || state == MVLoadingState::Failed;
        };
        return answered(landing.watchlistState()) && answered(landing.continueWatchingState());
    }
    static bool everythingLoaded(LandingPageViewController& landing) {
        if (landing.loadingState() != MVLoadingState::Loaded || !personalShelvesAnswered(landing)) return false;
        auto rows = landing.shelfRows();
        return !rows.empty() && std::all_of(rows.begin(), rows.end(), [](const auto& row) {
            return row->loadingState() == MVLoadingState::Loaded;
        });
    }
    /// Drops the screen and lets its cancelled requests finish.
    void close() {
        navigation.reset();
        Platform::current().mainQueue().runUntil([] { return false; }, 0.05);
    }

    std::shared_ptr<MVNavigationController> navigation;
};

World& world() {
    static World w;
    return w;
}

void BM_ColdLandingPage(benchmark::State& state) {
    auto& w = world();
    for (auto _ : state) {
        state.PauseTiming();
        w.close();
        w.emptyStore();
        state.ResumeTiming();
        auto landing = w.open(w.landingEntry());
        if (!World::wait([&] { return World::everythingLoaded(*landing); })) {
            state.SkipWithError("the landing page did not load");
            return;
        }
    }
    w.close();
}

/// The requests of a cold load, as the emulator logged them.
struct Request {
    std::string url;
    std::vector<std::string> headers;
};
std::vector<Request> coldRequests() {
    auto& w = world();
    w.close();
    w.emptyStore();
    w.server->requestLog().clear();
    auto landing = w.open(w.landingEntry());
    if (!World::wait([&] { return World::everythingLoaded(*landing); })) w.die("the landing page did not load");
    std::vector<Request> requests;
    for (const auto& entry : w.server->requestLog().entries()) {
        if (entry.path.find("/browse") == std::string::npos) continue;
        Request request{"https://" + w.server->baseHost() + entry.path, {}};
        for (std::size_t i = 0; i < entry.query.size(); ++i)
            request.url += (i ? "&" : "?") + entry.query[i].first + "=" + entry.query[i].second;
        // The log keeps no credentials: the client's own are added, as it adds them.
        HttpRequest credentials;
        credentials.url = request.url;
        w.client->setAuthHeadersForRequest(credentials);
        for (const auto& [name, value] : entry.headers)
            if (std::none_of(credentials.headers.begin(), credentials.headers.end(),
                             [&](const auto& added) { return toLower(added.first) == toLower(name); }))
                request.headers.push_back(name + ": " + value);
        for (const auto& [name, value] : credentials.headers) request.headers.push_back(name + ": " + value);
        requests.push_back(std::move(request));
    }
    w.close();
    return requests;
}

std::size_t collect(void* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(static_cast<const char*>(data), size * count);
    return size * count;
}

/// The guid and title of each item of a feed page.
std::vector<std::pair<std::string, std::string>> pageItems(const std::string& xml) {
    std::vector<std::pair<std::string, std::string>> items;
    xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, XML_PARSE_NONET);
    xmlNodePtr root = doc ? xmlDocGetRootElement(doc) : nullptr;
    for (xmlNodePtr channel = root ? root->children : nullptr; channel; channel = channel->next)
        for (xmlNodePtr item = channel->children; item; item = item->next) {
            if (item->type != XML_ELEMENT_NODE || xmlStrcmp(item->name, BAD_CAST "item")) continue;
            std::pair<std::string, std::string> fields;
            for (xmlNodePtr field = item->children; field; field = field->next) {
                if (field->type != XML_ELEMENT_NODE) continue;
                xmlChar* text = xmlNodeGetContent(field);
                if (!xmlStrcmp(field->name, BAD_CAST "guid")) fields.first = reinterpret_cast<const char*>(text);
                if (!xmlStrcmp(field->name, BAD_CAST "title")) fields.second = reinterpret_cast<const char*>(text);
                xmlFree(text);
            }
            items.push_back(std::move(fields));
        }
    if (doc) xmlFreeDoc(doc);
    return items;
}

void BM_FloorCurlMultiParseInsert(benchmark::State& state) {
    const auto requests = coldRequests();
    auto& w = world();
    const std::string path = w.directory + "/floor.sqlite";
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; CREATE TABLE Item (guid TEXT, title TEXT)",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Item VALUES (?, ?)", -1, &insert, nullptr);
    // Handles made once and used again, as a client keeps its connections.
    CURLM* multi = curl_multi_init();
    // Every connection stays open between rounds, whatever the number of handles added at the moment.
    curl_multi_setopt(multi, CURLMOPT_MAXCONNECTS, 64L);
    curl_multi_setopt(multi, CURLMOPT_MAX_HOST_CONNECTIONS, 6L);
    std::vector<std::string> bodies(requests.size());
    std::vector<CURL*> handles;
    std::vector<curl_slist*> lists;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        CURL* easy = curl_easy_init();
        curl_slist* headers = nullptr;
        for (const auto& header : requests[i].headers) headers = curl_slist_append(headers, header.c_str());
        curl_easy_setopt(easy, CURLOPT_URL, requests[i].url.c_str());
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(easy, CURLOPT_CAINFO, w.server->caFile().c_str());
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, collect);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &bodies[i]);
        handles.push_back(easy);
        lists.push_back(headers);
    }
    std::size_t items = 0;
    long newConnections = 0;
    for (auto _ : state) {
        for (std::size_t i = 0; i < handles.size(); ++i) {
            bodies[i].clear();
            curl_multi_add_handle(multi, handles[i]);
        }
        int running = 1;
        while (running) {
            curl_multi_perform(multi, &running);
            if (running) curl_multi_poll(multi, nullptr, 0, 1, nullptr);
        }
        items = 0;
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        for (const auto& body : bodies)
            for (const auto& [guid, title] : pageItems(body)) {
                sqlite3_bind_text(insert, 1, guid.data(), static_cast<int>(guid.size()), SQLITE_STATIC);
                sqlite3_bind_text(insert, 2, title.data(), static_cast<int>(title.size()), SQLITE_STATIC);
                sqlite3_step(insert);
                sqlite3_reset(insert);
                ++items;
            }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        for (CURL* easy : handles) {
            long connects = 0;
            curl_easy_getinfo(easy, CURLINFO_NUM_CONNECTS, &connects);
            newConnections += connects;
            curl_multi_remove_handle(multi, easy);
        }
        if (items == 0) {
            state.SkipWithError("the floor's requests brought no items");
            break;
        }
    }
    for (std::size_t i = 0; i < handles.size(); ++i) {
        curl_easy_cleanup(handles[i]);
        curl_slist_free_all(lists[i]);
    }
    state.counters["requests"] = static_cast<double>(requests.size());
    state.counters["items"] = static_cast<double>(items);
    state.counters["connects"] = static_cast<double>(newConnections);
    curl_multi_cleanup(multi);
    sqlite3_finalize(insert);
    sqlite3_close(db);
}

void BM_WarmLandingPageFromTheStore(benchmark::State& state) {
    auto& w = world();
    auto entry = w.landingEntry();
    {
        auto landing = w.open(entry);
        if (!World::wait([&] { return World::everythingLoaded(*landing); })) {
            state.SkipWithError("the landing page did not load");
            return;
        }
        w.close();
    }
    for (auto _ : state) {
        auto landing = w.open(entry);
        // Nothing has answered yet: the main queue has not turned since the screen appeared.
        const auto rows = landing->shelfRows();
        const bool fromStore =
            landing->loadingState() == MVLoadingState::Loaded && !rows.empty() &&
            std::all_of(rows.begin(), rows.end(), [](const auto& row) { return !row->items().empty(); });
        state.PauseTiming();
        if (!fromStore) {
            state.SkipWithError("the screen's data did not come from the store");
            return;
        }
        w.close();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_ColdLandingPage)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();
BENCHMARK(BM_FloorCurlMultiParseInsert)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();
BENCHMARK(BM_WarmLandingPageFromTheStore)->Unit(benchmark::kMillisecond)->Iterations(50)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto cold = reporter.median("BM_ColdLandingPage/iterations:20/real_time");
    const auto floor = reporter.median("BM_FloorCurlMultiParseInsert/iterations:20/real_time");
    const auto warm = reporter.median("BM_WarmLandingPageFromTheStore/iterations:50/real_time");
    if (cold && floor)
        std::printf("Cold landing page: %.1f ms, floor (curl multi, libxml2, SQLite) %.1f ms, ratio %.2f\n", *cold,
                    *floor, *cold / *floor);
    if (warm) std::printf("Warm landing page from the store: %.2f ms (target under 5 ms)\n", *warm);
    return 0;
}
