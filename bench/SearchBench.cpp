// Search against the in-process emulator with a 10,000-title catalogue, signed in:
// - typing a ten-character query on the search screen: from each keystroke to the suggestions it shows
//   (median and worst over the characters that send a request), against the same requests sent with bare
//   libcurl, whose time is the emulator's (and the network's) share;
// - the full search of the query;
// - the screen reopened on the same query within the feed's ttl: its lists read back from the store.
#include "BenchStoreClient.h"
#include "Model/MVChannel.h"
#include "Model/MVItem.h"
#include "Model/MVRootMenuEntries.h"
#include "Model/MVSharedSearchCache.h"
#include "Sections/Search/MVSearchViewController.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using namespace movra;
using Steady = std::chrono::steady_clock;

constexpr const char* kQuery = "harbour of";
constexpr int kRounds = 20;
constexpr std::size_t kCatalogueSize = 10000;

double since(Steady::time_point start) {
    return std::chrono::duration<double, std::milli>(Steady::now() - start).count();
}

struct Figures {
    double median = 0, worst = 0;
};
Figures figures(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? Figures{} : Figures{values[values.size() / 2], values.back()};
}

struct World : BenchStoreClient {
    World() : BenchStoreClient("SearchBench", kCatalogueSize) {
        rootMenu();
        searchItem = MVRootMenuEntries::shared()->searchItem();
        if (!searchItem || !searchItem->suggestions()) die("the menu has no search entry");
    }
    std::shared_ptr<MVSearchViewController> screen() const {
        auto search = std::make_shared<MVSearchViewController>(cache);
        search->setSearchItem(searchItem);
        search->loadViewIfNeeded();
        return search;
    }
    /// The URL of a request to `path` with `query`, and the client's headers for it.
    std::pair<std::string, curl_slist*> bareRequest(const std::string& path, const std::string& query) const {
        HttpRequest request;
        request.url = "https://" + server->baseHost() + "/stoffice/client/ios/" + path + "?language=en_mvtk&query=";
        CURL* escaper = curl_easy_init();
        char* escaped = curl_easy_escape(escaper, query.c_str(), static_cast<int>(query.size()));
        request.url += escaped;
        curl_free(escaped);
        curl_easy_cleanup(escaper);
        client->setAuthHeadersForRequest(request);
        curl_slist* headers = nullptr;
        for (const auto& [name, value] : request.headers)
            headers = curl_slist_append(headers, (name + ": " + value).c_str());
        return {request.url, headers};
    }

    std::shared_ptr<MVItem> searchItem;
    std::shared_ptr<MVSharedSearchCache> cache = std::make_shared<MVSharedSearchCache>();
};

std::size_t discard(void*, std::size_t size, std::size_t count, void*) { return size * count; }

}  // namespace

int main() {
    World world;
    const std::string query = kQuery;
    std::vector<double> perCharacter, bare, search, reopen;

    // The bare floor: the same suggestion requests, one after the other, on one kept connection.
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_CAINFO, world.server->caFile().c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, discard);
    for (int round = 0; round < kRounds; ++round)
        for (std::size_t length = 2; length <= query.size(); ++length) {
            auto [url, headers] = world.bareRequest(*world.searchItem->suggestions(), query.substr(0, length));
            curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
            curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
            const auto start = Steady::now();
            curl_easy_perform(easy);
            bare.push_back(since(start));
            curl_slist_free_all(headers);
        }
    curl_easy_cleanup(easy);

    for (int round = 0; round < kRounds; ++round) {
        auto screen = world.screen();
        for (std::size_t length = 1; length <= query.size(); ++length) {
            const auto start = Steady::now();
            screen->searchBarTextDidChange(query.substr(0, length));
            if (!World::wait([&] { return !screen->isLoading(); })) world.die("no suggestions");
            if (length >= 2) perCharacter.push_back(since(start));
        }
        if (screen->suggestedItems().empty()) world.die("the query suggests nothing");
        auto start = Steady::now();
        screen->searchBarSearchButtonClicked(query);
        if (!World::wait([&] { return !screen->isLoading(); }) || screen->items().empty()) world.die("no results");
        search.push_back(since(start));

        start = Steady::now();
        auto reopened = world.screen();
        reopened->viewWillAppear(false);
        reopen.push_back(since(start));
        if (reopened->items().size() != screen->items().size()) world.die("the reopened screen lost its results");
    }

    const auto client = figures(perCharacter), floor = figures(bare), full = figures(search), back = figures(reopen);
    std::printf("Catalogue of %zu generated titles plus the sample ones; query \"%s\" (%d rounds)\n", kCatalogueSize,
                kQuery, kRounds);
    std::printf("Suggestions after a keystroke: median %.2f ms, worst %.2f ms\n", client.median, client.worst);
    std::printf("Same requests with bare libcurl (the emulator's share): median %.2f ms, worst %.2f ms\n", floor.median,
                floor.worst);
    std::printf("Client's own share per character (median): %.2f ms (target under 10 ms)\n",
                client.median - floor.median);
    std::printf("Full search: median %.2f ms, worst %.2f ms\n", full.median, full.worst);
    std::printf("Reopened on the same query, from the store: median %.3f ms\n", back.median);
    return 0;
}
