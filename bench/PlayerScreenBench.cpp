// The player screen's own work on the main queue while a title plays: MVDRMVideoPlayerViewController on the
// GStreamer engine (headless sinks that keep real time) against the in-process emulator, with everything the
// main queue runs for it in one second of playback: the 0.5-second UI updates, the cue-point check, the
// engine's bus messages and time observers, bookmarks and the seek pictures' completions. Measured from the
// first second of playback on, one iteration per wall second; target under 1 ms per second.
#include "BenchSignedInClient.h"
#include "MedianReporter.h"
#include "Sections/MoviePlayer/MVDRMVideoPlayerViewController.h"
#include "Sections/MoviePlayer/MVVideoPlayer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <gst/gst.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSecondsPerRepetition = 10;

struct World : BenchSignedInClient {
    explicit World(const std::string& mediaDir) : BenchSignedInClient("PlayerScreenBench", mediaDir) {
        gst_init(nullptr, nullptr);
    }
};

World* theWorld = nullptr;
double worstSecondMs = 0;

/// Turns the main queue for one wall second; the time spent running its tasks.
double mainQueueWorkInOneSecond() {
    auto& loop = movra::Platform::current().mainQueue();
    const auto end = Clock::now() + std::chrono::seconds(1);
    Clock::duration busy{};
    while (Clock::now() < end) {
        const auto before = Clock::now();
        if (loop.runPending() > 0) busy += Clock::now() - before;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return std::chrono::duration<double>(busy).count();
}

void BM_ScreenWorkPerSecond(benchmark::State& state) {
    auto& loop = movra::Platform::current().mainQueue();
    auto screen = std::make_shared<movra::MVDRMVideoPlayerViewController>();
    screen->loadViewIfNeeded();
    screen->setAssetItem(theWorld->item);
    screen->setStartFromBeginning(true);
    screen->viewDidAppear(/*animated=*/false);
    const bool playing = loop.runUntil(
        [&] {
            auto player = screen->currentVideoPlayer();
            return screen->errorAlert() || (player && player->currentPosition() >= 1);
        },
        BenchSignedInClient::kStepTimeoutSeconds);
    if (!playing || screen->errorAlert()) {
        state.SkipWithError("the title did not start playing");
        return;
    }
    for (auto _ : state) {
        const double busy = mainQueueWorkInOneSecond();
        worstSecondMs = std::max(worstSecondMs, busy * 1000);
        state.SetIterationTime(busy);
    }
    state.counters["position"] = screen->currentVideoPlayer()->currentPosition();
    bool closed = false;
    screen->tearDown([&] { closed = true; });
    loop.runUntil([&] { return closed; }, BenchSignedInClient::kStepTimeoutSeconds);
}
BENCHMARK(BM_ScreenWorkPerSecond)->Unit(benchmark::kMicrosecond)->Iterations(kSecondsPerRepetition)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    World world((std::filesystem::absolute(argv[0]).parent_path() / "playback-media").string());
    theWorld = &world;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (const auto perSecond = reporter.median("BM_ScreenWorkPerSecond/iterations:10/manual_time"))
        std::printf(
            "player screen's main-queue work per second of playback: median %.0f us, worst second %.0f us "
            "(target under 1000 us)\n",
            *perSecond, worstSecondMs * 1000);
    benchmark::Shutdown();
    theWorld = nullptr;
    return 0;
}
