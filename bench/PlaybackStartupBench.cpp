// Playback on the GStreamer engine against a bare playbin3 floor, both headless (fake sinks that keep real
// time) and both fed by the in-process emulator:
//   - start-up: the client from "play" (opening the title's streaming session) through the key exchange and
//     the native player's set-up to the first video frame at the sink, against a bare playbin3 given the same
//     master playlist and the key directly, to its first video frame at its sink. Both read the moment the
//     first video buffer reaches the video sink's pad on the streaming thread.
//   - the key exchange: one key request of MVTavikAssetLoaderDelegate, with a fresh delegate as each play has.
//   - CPU per minute of playback: play, then 20 s past the first frame, as getrusage(RUSAGE_SELF). The process
//     also runs the emulator; both sides fetch the same playlists and segments from it over TLS (the engine
//     through its loopback endpoint, the floor through a loopback proxy that swaps the key URI), so its
//     serving is counted equally on both sides and only the client's session and key calls come on top.
#include "API/MVHTTPClient.h"
#include "App/MVStreamingSessionClient.h"
#include "BenchSignedInClient.h"
#include "DRM/MVTavikAssetLoaderDelegate.h"
#include "Foundation/Crypto.h"
#include "MedianReporter.h"
#include "Platform/GStreamerPlayerItem.h"
#include "Platform/Platform.h"
#include "Sections/MoviePlayer/MVNativeVideoPlayer.h"
#include "movra-backend/BackendServer.h"
#include "movra-backend/MediaLibrary.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gst/gst.h>
#include <iostream>
#include <mutex>
#include <sys/resource.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kPlaySeconds = 20;
constexpr double kTimeoutSeconds = 30;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double secondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

[[noreturn]] void die(const std::string& problem) {
    std::cerr << "PlaybackStartupBench: " << problem << std::endl;
    std::exit(1);
}

struct World : BenchSignedInClient {
    std::string certificate;

    explicit World(const std::string& mediaDir) : BenchSignedInClient("PlaybackStartupBench", mediaDir) {
        std::ifstream file(server->drmCertificateFile(), std::ios::binary);
        certificate.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        gst_init(nullptr, nullptr);
    }
};

World* theWorld = nullptr;

/// The floor's loopback proxy of the emulator's media, answering the key itself; one per playback, as the
/// engine has one endpoint per item.
std::unique_ptr<httplib::Server> startProxy(std::thread& thread, std::string& entryUrl) {
    auto proxy = std::make_unique<httplib::Server>();
    // As the engine's endpoint: the demuxer keeps connections open, each holding a server thread.
    proxy->set_keep_alive_timeout(2);
    const int port = proxy->bind_to_any_port("127.0.0.1");
    const std::string keyUrl = "http://127.0.0.1:" + std::to_string(port) + "/key/";
    proxy->Get(R"(/media/.*)", [keyUrl](const httplib::Request& request, httplib::Response& response) {
        // One kept-alive connection per proxy thread, as the engine keeps its transport's.
        thread_local std::unique_ptr<httplib::SSLClient> upstream;
        if (!upstream) {
            upstream = std::make_unique<httplib::SSLClient>("127.0.0.1", theWorld->server->port());
            upstream->set_ca_cert_path(theWorld->server->caFile().c_str());
            upstream->set_keep_alive(true);
        }
        auto answer = upstream->Get(request.path.c_str());
        if (!answer) {
            response.status = 502;
            return;
        }
        std::string body = answer->body;
        if (request.path.ends_with(".m3u8")) {
            const std::string scheme = "skd://";
            for (auto at = body.find(scheme); at != std::string::npos; at = body.find(scheme, at + keyUrl.size()))
                body.replace(at, scheme.size(), keyUrl);
        }
        response.status = answer->status;
        response.set_content(body, answer->get_header_value("Content-Type").c_str());
    });
    proxy->Get(R"(/key/.*)", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(theWorld->asset.key, "application/octet-stream");
    });
    thread = std::thread([server = proxy.get()] { server->listen_after_bind(); });
    while (!proxy->is_running()) std::this_thread::yield();
    entryUrl = "http://127.0.0.1:" + std::to_string(port) + "/media/" + theWorld->asset.id + "/master.m3u8";
    return proxy;
}

struct Playback {
    Clock::time_point play;
    Clock::time_point firstFrame;
    double cpuSeconds = 0;
    /// Media seconds played at the end: proves that the time was spent playing.
    double position = 0;
};

/// The client: the title's session, then the native player on the GStreamer engine; plays `playSeconds`
/// past the first frame.
std::optional<Playback> clientPlayback(double playSeconds, std::string& problem) {
    auto& w = *theWorld;
    auto& loop = movra::Platform::current().mainQueue();
    auto player = std::make_shared<movra::MVNativeVideoPlayer>();
    const double cpuBefore = cpuSeconds();
    Playback run;
    run.play = Clock::now();
    bool refused = false;
    movra::MVStreamingSessionClient::setUpSessionForItem(
        *movra::MVHTTPClient::sharedClient(), *w.item,
        [&](movra::ErrorPtr error, std::optional<std::string> url, std::shared_ptr<movra::MVStreamingSessionResponse>) {
            if (error || !url) {
                problem = "session: " + (error ? error->summary() : std::string("no URL"));
                refused = true;
                return;
            }
            player->setupVideoSessionWithURL(*url, *w.item->guid(), "", "", std::nullopt, 0, true, w.item);
        });
    auto item = [&] {
        auto engine = player->player();
        return engine ? std::dynamic_pointer_cast<movra::GStreamerPlayerItem>(engine->currentItem()) : nullptr;
    };
    auto failed = [&] { return refused || (item() && item()->status() == movra::MediaPlayerItemStatus::Failed); };
    loop.runUntil([&] { return failed() || (item() && item()->firstVideoFrameTime()); }, kTimeoutSeconds);
    std::optional<Playback> result;
    if (failed() || !item() || !item()->firstVideoFrameTime()) {
        if (problem.empty()) problem = "no first frame: " + (item() ? item()->errorLog() : std::string("no item"));
    } else {
        run.firstFrame = *item()->firstVideoFrameTime();
        if (playSeconds > 0) {
            const double left = playSeconds - secondsBetween(run.firstFrame, Clock::now());
            loop.runUntil(failed, left);
            if (failed()) problem = "failed while playing: " + item()->errorLog();
        }
        run.cpuSeconds = cpuSeconds() - cpuBefore;
        run.position = player->currentPosition();
        if (problem.empty()) result = run;
    }
    player->tearDownSession();
    // What the tear-down left on the main queue (observer notices of a pipeline going away) is drained.
    loop.runUntil([] { return false; }, 0.05);
    return result;
}

struct FirstFrame {
    std::mutex mutex;
    std::optional<Clock::time_point> at;
};

GstPadProbeReturn onFirstBuffer(GstPad*, GstPadProbeInfo*, gpointer data) {
    auto* frame = static_cast<FirstFrame*>(data);
    std::lock_guard lock(frame->mutex);
    frame->at = Clock::now();
    return GST_PAD_PROBE_REMOVE;
}

GstElement* fakeSink() {
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    g_object_set(sink, "sync", TRUE, nullptr);
    return sink;
}

/// The floor: a bare playbin3 with the same headless sinks as the engine's "none" outputs.
std::optional<Playback> barePlayback(double playSeconds, std::string& problem) {
    const double cpuBefore = cpuSeconds();
    Playback run;
    run.play = Clock::now();
    std::thread proxyThread;
    std::string entryUrl;
    auto proxy = startProxy(proxyThread, entryUrl);
    GstElement* pipeline = gst_element_factory_make("playbin3", nullptr);
    GstElement* video = fakeSink();
    GstElement* text = fakeSink();
    g_object_set(text, "async", FALSE, nullptr);
    g_object_set(pipeline, "uri", entryUrl.c_str(), "video-sink", video, "audio-sink", fakeSink(), "text-sink", text,
                 nullptr);
    FirstFrame frame;
    GstPad* pad = gst_element_get_static_pad(video, "sink");
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, onFirstBuffer, &frame, nullptr);
    gst_object_unref(pad);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    auto firstFrame = [&] {
        std::lock_guard lock(frame.mutex);
        return frame.at;
    };
    auto until = [&](auto done, double seconds) {
        const auto limit =
            Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        while (!done() && Clock::now() < limit) {
            if (GstMessage* message = gst_bus_timed_pop_filtered(bus, 10 * GST_MSECOND,
                                                                 GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_EOS))) {
                problem = std::string("bare playbin3: ") + GST_MESSAGE_TYPE_NAME(message);
                gst_message_unref(message);
                return;
            }
        }
    };
    until([&] { return firstFrame().has_value(); }, kTimeoutSeconds);
    std::optional<Playback> result;
    if (!firstFrame()) {
        if (problem.empty()) problem = "bare playbin3: no first frame";
    } else {
        run.firstFrame = *firstFrame();
        if (playSeconds > 0)
            until([&] { return secondsBetween(run.firstFrame, Clock::now()) >= playSeconds; }, playSeconds + 1);
        run.cpuSeconds = cpuSeconds() - cpuBefore;
        gint64 position = 0;
        if (gst_element_query_position(pipeline, GST_FORMAT_TIME, &position))
            run.position = static_cast<double>(position) / GST_SECOND;
        if (problem.empty()) result = run;
    }
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    proxy->stop();
    proxyThread.join();
    return result;
}

using Player = std::optional<Playback> (*)(double, std::string&);

void startup(benchmark::State& state, Player play) {
    for (auto _ : state) {
        std::string problem;
        auto run = play(0, problem);
        if (!run) {
            state.SkipWithError(problem.c_str());
            return;
        }
        state.SetIterationTime(secondsBetween(run->play, run->firstFrame));
    }
}

// The "time" of these two is CPU seconds per minute of playback, not wall time.
void cpuPerMinute(benchmark::State& state, Player play) {
    for (auto _ : state) {
        std::string problem;
        auto run = play(kPlaySeconds, problem);
        if (!run) {
            state.SkipWithError(problem.c_str());
            return;
        }
        // CPU of a stalled player is no figure of playback.
        if (run->position < kPlaySeconds - 1) {
            const std::string stalled = "stopped at " + std::to_string(run->position) + " s of the " +
                                        std::to_string(kPlaySeconds) + " s it was given";
            state.SkipWithError(stalled.c_str());
            return;
        }
        state.SetIterationTime(run->cpuSeconds * 60 / kPlaySeconds);
        state.counters["played_s"] = run->position;
    }
}

void BM_ClientStartup(benchmark::State& state) { startup(state, clientPlayback); }
void BM_BareStartup(benchmark::State& state) { startup(state, barePlayback); }
void BM_ClientCpuPerMinute(benchmark::State& state) { cpuPerMinute(state, clientPlayback); }
void BM_BareCpuPerMinute(benchmark::State& state) { cpuPerMinute(state, barePlayback); }

void BM_KeyRequest(benchmark::State& state) {
    auto& w = *theWorld;
    const std::string message = movra::sha256(w.certificate) + w.asset.keyId;
    for (auto _ : state) {
        auto delegate = std::make_shared<movra::MVTavikAssetLoaderDelegate>();
        delegate->setAssetId(*w.item->guid());
        const auto start = Clock::now();
        auto key = delegate->getResponseForKeyId(w.asset.keyId, message);
        state.SetIterationTime(secondsBetween(start, Clock::now()));
        if (key != w.asset.key) {
            state.SkipWithError("the key server did not answer the key");
            return;
        }
    }
}

BENCHMARK(BM_ClientStartup)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(9)->UseManualTime();
BENCHMARK(BM_BareStartup)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(9)->UseManualTime();
BENCHMARK(BM_KeyRequest)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(9)->UseManualTime();
BENCHMARK(BM_ClientCpuPerMinute)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseManualTime();
BENCHMARK(BM_BareCpuPerMinute)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    // Generated once beside the program and reused by later runs: ffmpeg takes longer than the whole bench.
    World world((std::filesystem::absolute(argv[0]).parent_path() / "playback-media").string());
    theWorld = &world;
    // The first play of a process loads GStreamer's plugins; neither side should pay it in the figures.
    for (Player play : {clientPlayback, barePlayback}) {
        std::string problem;
        if (!play(0, problem)) die("warm-up: " + problem);
    }
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto client = reporter.median("BM_ClientStartup/iterations:1/repeats:9/manual_time");
    const auto bare = reporter.median("BM_BareStartup/iterations:1/repeats:9/manual_time");
    const auto key = reporter.median("BM_KeyRequest/iterations:5/repeats:9/manual_time");
    const auto clientCpu = reporter.median("BM_ClientCpuPerMinute/iterations:1/repeats:3/manual_time");
    const auto bareCpu = reporter.median("BM_BareCpuPerMinute/iterations:1/repeats:3/manual_time");
    if (client && bare)
        std::printf(
            "start-up to the first video frame: client %.0f ms, bare playbin3 %.0f ms, ratio %.2f "
            "(target <= 1.3)\n",
            *client, *bare, *client / *bare);
    if (key) std::printf("key request of MVTavikAssetLoaderDelegate: %.1f ms\n", *key);
    if (clientCpu && bareCpu)
        std::printf(
            "CPU per minute of headless playback (%.0f s played): client %.0f ms, bare playbin3 %.0f ms, "
            "ratio %.2f (target <= 1.2)\n",
            kPlaySeconds, *clientCpu, *bareCpu, *clientCpu / *bareCpu);
    benchmark::Shutdown();
    theWorld = nullptr;
    return 0;
}
