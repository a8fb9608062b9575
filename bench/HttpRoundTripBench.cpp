// 1,000 sequential GETs of a small document through MVHTTPClient to the emulator over one kept-alive TLS
// connection, against two floors measured in the same run: the same 1,000 GETs with a bare libcurl easy
// handle, and the same again with each body parsed by libxml2 as the client parses it.
#include "API/MVHTTPClient.h"
#include "App/MVDiscriminator.h"
#include "MedianReporter.h"
#include "Platform/CurlHttpTransport.h"
#include "Platform/Platform.h"
#include "Platform/PlatformFactory.h"
#include "movra-backend/BackendServer.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <libxml/parser.h>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <malloc.h>
#include <mutex>

namespace {

constexpr int kRequests = 1000;

struct World {
    std::string directory;
    std::unique_ptr<movra::backend::BackendServer> server;
    std::string url;
    std::vector<std::string> headers;

    World() {
        std::string pattern = (std::filesystem::temp_directory_path() / "movra-bench-XXXXXX").string();
        directory = mkdtemp(pattern.data());
        movra::backend::BackendServer::Options options;
        options.dataDir = directory + "/emulator";
        server = std::make_unique<movra::backend::BackendServer>(options);
        if (auto error = server->start()) {
            std::cerr << "emulator: " << *error << std::endl;
            std::exit(1);
        }
        movra::Configuration configuration;
        configuration.dataDirectory = directory + "/client";
        configuration.caFile = server->caFile();
        movra::Platform::install(
            movra::makeSystemPlatform(configuration, std::make_shared<movra::UiHost>(), movra::LogLevel::Error));
        movra::MVDiscriminator::initSharedDiscriminatorWithJSON({{"url", server->baseHost()}, {"name", "MVTK"}});
        auto client = movra::MVHTTPClient::initSharedClientWithHost(server->baseHost());
        // The bare handle sends exactly what the client sends.
        auto request = *client->requestWithMethod("GET", "browse", {{"language", "en_mvtk"}});
        client->setAuthHeadersForRequest(request);
        url = request.url;
        for (const auto& [name, value] : request.headers) headers.push_back(name + ": " + value);
    }
    ~World() {
        movra::Platform::uninstall();
        server->stop();
        std::error_code ec;
        std::filesystem::remove_all(directory, ec);
    }
};

World& world() {
    static World w;
    return w;
}

void BM_MVHTTPClient1000Gets(benchmark::State& state) {
    auto& w = world();
    auto client = movra::MVHTTPClient::sharedClient();
    auto& loop = movra::Platform::current().mainQueue();
    for (auto _ : state) {
        for (int i = 0; i < kRequests; ++i) {
            bool done = false;
            bool ok = false;
            client->getPath(
                "browse", movra::Json::object(), false,
                [&](const movra::HttpTaskPtr&, const movra::XMLDocumentPtr& doc) { ok = doc != nullptr, done = true; },
                [&](const movra::HttpTaskPtr&, const movra::XMLDocumentPtr&, const movra::ErrorPtr&) { done = true; });
            loop.runUntil([&] { return done; }, 30);
            if (!ok) {
                state.SkipWithError("request failed");
                return;
            }
        }
    }
    (void)w;
}

// The transport alone, waited on from the calling thread: splits the client's cost into the transport's
// thread hop and the client's own work (main-queue hop, XML parsing).
void BM_CurlHttpTransport1000Gets(benchmark::State& state) {
    auto& w = world();
    movra::HttpTransportOptions options;
    options.caFile = w.server->caFile();
    movra::CurlHttpTransport transport(options);
    movra::HttpRequest request;
    request.url = w.url;
    for (const auto& h : w.headers) {
        auto colon = h.find(": ");
        request.headers.emplace_back(h.substr(0, colon), h.substr(colon + 2));
    }
    std::mutex mutex;
    std::condition_variable cv;
    for (auto _ : state) {
        for (int i = 0; i < kRequests; ++i) {
            bool done = false;
            int status = 0;
            transport.dataTask(request,
                               [&](const movra::HttpTaskPtr&, std::shared_ptr<const movra::HttpResponse> response,
                                   std::string, movra::ErrorPtr) {
                                   std::lock_guard lock(mutex);
                                   status = response ? response->statusCode : 0;
                                   done = true;
                                   cv.notify_one();
                               });
            std::unique_lock lock(mutex);
            cv.wait(lock, [&] { return done; });
            if (status != 200) {
                state.SkipWithError("request failed");
                return;
            }
        }
    }
}

size_t collect(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

// The client's parse options (XMLDocument::parse): the work any XML client must do with each answer.
bool parseLikeTheClient(const std::string& body) {
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) return false;
    xmlDocPtr doc = xmlCtxtReadMemory(
        ctxt, body.data(), static_cast<int>(body.size()), nullptr, nullptr,
        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT | XML_PARSE_NOBLANKS);
    const bool ok = doc && ctxt->wellFormed;
    xmlFreeDoc(doc);
    xmlFreeParserCtxt(ctxt);
    return ok;
}

void bareCurlGets(benchmark::State& state, bool parse) {
    auto& w = world();
    CURL* easy = curl_easy_init();
    curl_slist* headers = nullptr;
    for (const auto& h : w.headers) headers = curl_slist_append(headers, h.c_str());
    std::string body;
    curl_easy_setopt(easy, CURLOPT_URL, w.url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_CAINFO, w.server->caFile().c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    for (auto _ : state) {
        for (int i = 0; i < kRequests; ++i) {
            body.clear();
            long status = 0;
            if (curl_easy_perform(easy) != CURLE_OK ||
                (curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status), status != 200) ||
                (parse && !parseLikeTheClient(body))) {
                state.SkipWithError("request failed");
                break;
            }
        }
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(easy);
}

void BM_BareCurl1000Gets(benchmark::State& state) { bareCurlGets(state, /*parse=*/false); }

void BM_BareCurlAndParse1000Gets(benchmark::State& state) { bareCurlGets(state, /*parse=*/true); }

BENCHMARK(BM_MVHTTPClient1000Gets)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CurlHttpTransport1000Gets)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_BareCurl1000Gets)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_BareCurlAndParse1000Gets)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // glibc parks small freed blocks in "fast bins" and merges them all whenever a block of 1 KiB or more
    // is asked for. Feed imports free hundreds of thousands of small nodes and strings between such
    // requests, so those merges cost more than the fast bins save; the per-thread caches stay in front.
    // Set for the whole process, so that the floors measured in the same run get the same allocator.
    mallopt(M_MXFAST, 0);
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto client = reporter.median("BM_MVHTTPClient1000Gets/iterations:3/real_time");
    const auto transport = reporter.median("BM_CurlHttpTransport1000Gets/iterations:3/real_time");
    const auto bare = reporter.median("BM_BareCurl1000Gets/iterations:3/real_time");
    const auto parsed = reporter.median("BM_BareCurlAndParse1000Gets/iterations:3/real_time");
    if (client && bare)
        std::printf("1000 GETs: MVHTTPClient %.1f ms, bare libcurl %.1f ms, ratio %.2f\n", *client, *bare,
                    *client / *bare);
    if (client && parsed)
        std::printf(
            "1000 GETs: MVHTTPClient %.1f ms, libcurl + parse %.1f ms, ratio %.2f (target <= 1.3 against "
            "libcurl + parse)\n",
            *client, *parsed, *client / *parsed);
    if (transport && bare)
        std::printf("1000 GETs: CurlHttpTransport alone %.1f ms, ratio %.2f to bare libcurl\n", *transport,
                    *transport / *bare);
    benchmark::Shutdown();
    return 0;
}
