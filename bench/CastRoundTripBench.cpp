// The cast sender against the emulator's receiver over TLS on loopback: a load to the first "PLAYING"
// status, and a command's round trip (pause or play to the status that shows it), each against the floor of
// a bare round trip over TLS to the same receiver: PING to PONG on a cast socket of its own, its answer
// reaching the main queue as every report of the sender does.
#include "MedianReporter.h"
#include "Platform/CastMediaControlChannel.h"
#include "Platform/CastSocket.h"
#include "Platform/CastV2DeviceManager.h"
#include "Platform/Platform.h"
#include "Platform/PlatformFactory.h"
#include "movra-backend/BackendServer.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace {

using namespace movra;

constexpr const char* kDeviceId = "B3C4D5E6-0000-4000-8000-00000000CA57";
constexpr const char* kTitle = "series-coastline-s1e01";

struct Delegate : CastDeviceManagerDelegate, CastMediaControlChannelDelegate {
    void deviceManagerDidConnect(CastDeviceManager&) override { connected = true; }
    void deviceManagerDidConnectToApplication(CastDeviceManager&, const CastApplicationMetadata&, const std::string&,
                                              bool) override {
        launched = true;
    }
    void mediaControlChannelDidUpdateStatus(CastMediaControlChannel&) override { ++statuses; }
    bool connected = false;
    bool launched = false;
    int statuses = 0;
};

struct World {
    std::string directory;
    std::unique_ptr<backend::BackendServer> server;
    std::string token;
    Delegate delegate;
    std::unique_ptr<CastV2DeviceManager> manager;
    CastMediaControlChannel media;

    World() {
        std::string pattern = (std::filesystem::temp_directory_path() / "movra-bench-XXXXXX").string();
        directory = mkdtemp(pattern.data());
        backend::BackendServer::Options options;
        options.dataDir = directory + "/emulator";
        options.castReceiverName = "Bench TV";
        server = std::make_unique<backend::BackendServer>(options);
        if (auto error = server->start()) fail("emulator: " + *error);
        token = server->accounts().signIn(kDeviceId, {"ios", "iPhone", "bench", "anna.lindqvist@tavik.example"});
        Configuration configuration;
        configuration.dataDirectory = directory + "/client";
        Platform::install(makeSystemPlatform(configuration, std::make_shared<UiHost>(), LogLevel::Error));
        manager = std::make_unique<CastV2DeviceManager>(device(), "bench");
        manager->setDelegate(&delegate);
        manager->connect();
        if (!wait([&] { return delegate.connected; })) fail("no connection");
        manager->launchApplication(server->castReceiver()->options().applicationId, /*relaunchIfRunning=*/false);
        if (!wait([&] { return delegate.launched; })) fail("no application");
        manager->addChannel(media);
        media.setDelegate(&delegate);
    }
    ~World() {
        manager.reset();
        Platform::uninstall();
        server->stop();
        std::error_code ec;
        std::filesystem::remove_all(directory, ec);
    }

    [[noreturn]] static void fail(const std::string& why) {
        std::cerr << why << std::endl;
        std::exit(1);
    }
    CastDevice device() const { return server->castReceiver()->device(); }
    static bool wait(const std::function<bool()>& done) { return Platform::current().mainQueue().runUntil(done, 10); }
    /// Waits for a status that shows `state`.
    bool waitFor(CastMediaPlayerState state) {
        return wait([&] { return media.mediaStatus() && media.mediaStatus()->playerState == state; });
    }
    CastMediaInformation title() const {
        return CastMediaInformation("https://127.0.0.1/cast/" + std::string(kTitle), CastMediaStreamType::Buffered,
                                    "text/xml", {}, 0,
                                    {{"deviceId", kDeviceId},
                                     {"deviceToken", token},
                                     {"assetId", kTitle},
                                     {"language", "sv"},
                                     {"subtitleLanguage", ""},
                                     {"audioTrack", ""},
                                     {"item", {{"guid", kTitle}}},
                                     {"convivaMetadata", Json::object()}});
    }
};

World& world() {
    static World w;
    return w;
}

/// Loads the title and waits for the new media session to play; false when it did not.
bool load(World& w) {
    const auto before = w.media.mediaStatus() ? w.media.mediaStatus()->mediaSessionID : 0;
    w.media.loadMedia(w.title(), /*autoplay=*/true, 0);
    return World::wait([&] {
        return w.media.mediaStatus() && w.media.mediaStatus()->mediaSessionID != before &&
               w.media.mediaStatus()->playerState == CastMediaPlayerState::Playing;
    });
}

void BM_CastLoadToPlaying(benchmark::State& state) {
    auto& w = world();
    for (auto _ : state) {
        if (!load(w)) {
            state.SkipWithError("no PLAYING status");
            return;
        }
    }
}

void BM_CastCommandRoundTrip(benchmark::State& state) {
    auto& w = world();
    if (!load(w)) {
        state.SkipWithError("no PLAYING status");
        return;
    }
    for (auto _ : state) {
        const bool playing = w.media.mediaStatus()->playerState == CastMediaPlayerState::Playing;
        playing ? w.media.pause() : w.media.play();
        if (!w.waitFor(playing ? CastMediaPlayerState::Paused : CastMediaPlayerState::Playing)) {
            state.SkipWithError("no status");
            return;
        }
    }
}

void BM_BareTlsRoundTrip(benchmark::State& state) {
    auto& w = world();
    auto main = Platform::current().mainQueue().handle();
    // Counted on the main queue, where the sender reports too: the floor includes that hop.
    bool open = false;
    int pongs = 0;
    CastSocket::Handlers handlers;
    handlers.opened = [&open, main] { main.post([&open] { open = true; }); };
    handlers.message = [&pongs, main](CastEnvelope) { main.post([&pongs] { ++pongs; }); };
    handlers.closed = [](const std::string&) {};
    auto socket = CastSocket::connect("127.0.0.1", w.server->castReceiver()->port(), 10, handlers);
    const CastEnvelope ping{.sourceId = "sender-1",
                            .destinationId = "receiver-0",
                            .nameSpace = kCastHeartbeatNamespace,
                            .payload = R"({"type":"PING"})"};
    if (!World::wait([&] { return open; })) {
        state.SkipWithError("no connection");
        return;
    }
    for (auto _ : state) {
        const int expected = pongs + 1;
        socket->send(ping);
        if (!World::wait([&] { return pongs == expected; })) {
            state.SkipWithError("no PONG");
            return;
        }
    }
    socket.reset();
    // Whatever the socket posted before it closed.
    Platform::current().mainQueue().runPending();
}

BENCHMARK(BM_CastLoadToPlaying)->Unit(benchmark::kMicrosecond)->Iterations(200)->UseRealTime();
BENCHMARK(BM_CastCommandRoundTrip)->Unit(benchmark::kMicrosecond)->Iterations(200)->UseRealTime();
BENCHMARK(BM_BareTlsRoundTrip)->Unit(benchmark::kMicrosecond)->Iterations(200)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto load = reporter.median("BM_CastLoadToPlaying/iterations:200/real_time");
    const auto command = reporter.median("BM_CastCommandRoundTrip/iterations:200/real_time");
    const auto bare = reporter.median("BM_BareTlsRoundTrip/iterations:200/real_time");
    if (load && bare)
        std::printf("Load to PLAYING: %.0f us, bare TLS round trip %.0f us, ratio %.2f\n", *load, *bare, *load / *bare);
    if (command && bare)
        std::printf("Command to its status: %.0f us, bare TLS round trip %.0f us, ratio %.2f\n", *command, *bare,
                    *command / *bare);
    return 0;
}
