// Seek thumbnails against the in-process emulator:
//   - a lookup from the disk cache: MVSeekCache::cachedImageForTime of a prefetched title (the picture kept
//     in memory, as while scrubbing), and the same pictures read back from their files and decoded (the disk
//     cache held to one picture in memory, so every lookup goes to its file); target under 1 ms;
//   - the prefetch of the longest title's pictures (one per second below 12 minutes) from the emulator over
//     TLS, with the process's peak resident memory around it.
#include "BenchEmulator.h"
#include "Foundation/ThreadPoolQueue.h"
#include "MedianReporter.h"
#include "Platform/Platform.h"
#include "Platform/PlatformFactory.h"
#include "Utilities/MVDiskImageCache.h"
#include "Utilities/MVSeekCache.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sys/resource.h>

namespace {

constexpr double kTimeoutSeconds = 60;

/// Resident memory now, from /proc, in MiB.
double residentMiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024;
    return 0;
}

double peakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

struct World : BenchEmulator {
    movra::Url playlist;
    unsigned duration = 0;

    explicit World(const std::string& mediaDir)
        : BenchEmulator("SeekThumbnailBench", mediaDir), playlist(*movra::Url::parse("https://localhost/")) {
        const auto longest = longestAsset();
        duration = static_cast<unsigned>(longest.durationSeconds);
        playlist = *movra::Url::parse("https://" + server->baseHost() + "/media/" + longest.id + "/master.m3u8");

        movra::Configuration configuration;
        configuration.dataDirectory = directory + "/client";
        configuration.caFile = server->caFile();
        movra::Platform::install(
            movra::makeSystemPlatform(configuration, std::make_shared<movra::UiHost>(), movra::LogLevel::Error));
    }
    ~World() { movra::Platform::uninstall(); }

    /// A cache that has prefetched the title as the player screen asks for it.
    std::shared_ptr<movra::MVSeekCache> prefetched() const {
        auto cache = std::make_shared<movra::MVSeekCache>();
        cache->downloadImagesFromPlaylist(playlist, duration / 360, duration);
        auto& loop = movra::Platform::current().mainQueue();
        if (!loop.runUntil([&] { return cache->operationCount() == 0; }, kTimeoutSeconds)) die("prefetch timed out");
        if (!cache->cachedImageForTime(duration - 1)) die("the last picture is not cached");
        return cache;
    }
};

World* theWorld = nullptr;

/// Waits for the disk cache's background writes.
void drainWrites() {
    if (auto* pool = dynamic_cast<movra::ThreadPoolQueue*>(&movra::Platform::current().globalQueue())) pool->drain();
}
double residentBefore = 0;
double peakAfter = 0;

void BM_Prefetch(benchmark::State& state) {
    for (auto _ : state) {
        residentBefore = std::max(residentBefore, residentMiB());
        auto cache = theWorld->prefetched();
        peakAfter = peakResidentMiB();
        // Deleting the pictures is the tear-down's work, not the prefetch's.
        state.PauseTiming();
        drainWrites();
        cache.reset();
        state.ResumeTiming();
    }
    state.counters["pictures"] = theWorld->duration;
}
BENCHMARK(BM_Prefetch)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->UseRealTime();

void BM_LookupFromMemory(benchmark::State& state) {
    auto cache = theWorld->prefetched();
    double second = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cache->cachedImageForTime(second));
        second = second + 1 < theWorld->duration ? second + 1 : 0;
    }
}
BENCHMARK(BM_LookupFromMemory)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_LookupFromFile(benchmark::State& state) {
    auto seek = theWorld->prefetched();
    drainWrites();
    movra::MVDiskImageCache files(movra::MVSeekCache::kSubDirectory, /*memoryLimitBytes=*/1);
    unsigned second = 0;
    for (auto _ : state) {
        auto url = seek->urlForImageAtTime(second);
        if (!files.cachedImageForRequest(movra::ImageRequest{*url})) state.SkipWithError("picture missing on disk");
        second = second + 1 < theWorld->duration ? second + 1 : 0;
    }
}
BENCHMARK(BM_LookupFromFile)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    // Generated once beside the program and reused by later runs: ffmpeg takes longer than the whole bench.
    World world((std::filesystem::absolute(argv[0]).parent_path() / "playback-media").string());
    theWorld = &world;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto memory = reporter.median("BM_LookupFromMemory/real_time");
    const auto file = reporter.median("BM_LookupFromFile/real_time");
    const auto prefetch = reporter.median("BM_Prefetch/iterations:1/repeats:5/real_time");
    if (memory && file)
        std::printf("seek-thumbnail lookup: %.1f us from memory, %.0f us from its file (target under 1000 us)\n",
                    *memory, *file);
    if (prefetch)
        std::printf("prefetch of %u pictures: %.0f ms; peak resident memory %.1f MiB (%.1f MiB before it)\n",
                    world.duration, *prefetch, peakAfter, residentBefore);
    benchmark::Shutdown();
    theWorld = nullptr;
    return 0;
}
