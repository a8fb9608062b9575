#include "support/TestPlatform.h"

#include "Foundation/SystemClock.h"
#include "Platform/CastV2Sdk.h"
#include "Platform/CurlHttpTransport.h"
#include "Platform/StbImageCodec.h"

namespace movra::test {

TestPlatform::Options TestPlatform::Options::realNetwork(const std::string& caFile, std::string dataDirectory) {
    Options options;
    options.realClock = true;
    options.transportFactory = [caFile] {
        return std::make_shared<CurlHttpTransport>(HttpTransportOptions{.caFile = caFile});
    };
    options.configuration.dataDirectory = std::move(dataDirectory);
    return options;
}

TestPlatform::TestPlatform() : TestPlatform(Options{}) {}

TestPlatform::TestPlatform(Options options) {
    Platform::Services s;
    if (options.realClock) {
        s.clock = std::make_shared<SystemClock>();
    } else {
        manualClock = std::make_shared<ManualClock>();
        s.clock = manualClock;
    }
    globalQueue = std::make_shared<ThreadPoolQueue>("global", 2);
    s.globalQueue = globalQueue;
    network = std::make_shared<ScriptedHttpTransport>();
    if (options.transportFactory) {
        s.transportFactory = options.transportFactory;
        s.sharedTransport = options.transportFactory();
    } else {
        // Every session shares the one script, so a test scripts "the network" once.
        auto net = network;
        s.transportFactory = [net] { return net->session(); };
        s.sharedTransport = network->session();
    }
    credentials = std::make_shared<MemoryCredentialStore>();
    s.credentials = credentials;
    defaults = std::make_shared<MemoryDefaultsStore>();
    s.defaults = defaults;
    device = std::make_shared<SettableDevice>();
    s.device = device;
    locale = std::make_shared<SettableLocale>();
    s.locale = locale;
    reachability = std::make_shared<SettableReachability>();
    s.reachability = reachability;
    ui = std::make_shared<RecordingUiHost>();
    s.uiHost = ui;
    crashReporter = std::make_shared<RecordingCrashReporter>();
    s.crashReporter = crashReporter;
    if (options.analyticsCollectorUrl.empty()) {
        analytics = std::make_shared<RecordingAnalyticsTracker>();
        s.analytics = analytics;
    } else {
        collectorTracker = std::make_shared<HttpAnalyticsTracker>(
            HttpAnalyticsTracker::Options{.collectorUrl = options.analyticsCollectorUrl,
                                          .directory = options.configuration.dataDirectory + "/analytics",
                                          .transport = s.sharedTransport,
                                          .clock = s.clock});
        s.analytics = collectorTracker;
    }
    if (options.playbackQualityCollectorUrl.empty()) {
        playbackQuality = std::make_shared<RecordingPlaybackQualityClient>();
        s.playbackQuality = playbackQuality;
    } else {
        qualityCollector = std::make_shared<HttpPlaybackQualityClient>(
            HttpPlaybackQualityClient::Options{.collectorUrl = options.playbackQualityCollectorUrl,
                                               .directory = options.configuration.dataDirectory + "/playback-quality",
                                               .transport = s.sharedTransport,
                                               .clock = s.clock});
        s.playbackQuality = qualityCollector;
    }
    nowPlaying = std::make_shared<RecordingNowPlaying>();
    s.nowPlaying = nowPlaying;
    s.imageCodec = std::make_shared<StbImageCodec>();
    media = std::make_shared<SimulatedMediaEngine>();
    s.mediaEngine = media;
    // No test sends multicast: without a responder of its own, discovery asks a loopback port nobody serves.
    if (options.configuration.castDiscoveryAddress.empty()) options.configuration.castDiscoveryAddress = "127.0.0.1:9";
    s.castSdk = options.castSdk ? options.castSdk
                                : std::make_shared<CastV2Sdk>(CastV2DeviceScanner::Options{
                                      .discoveryAddress = options.configuration.castDiscoveryAddress,
                                      .devices = options.configuration.castDevices});
    s.configuration = options.configuration;
    Platform::install(std::make_shared<Platform>(std::move(s)));
    if (collectorTracker) collectorTracker->attach(Platform::current().mainQueue());
    if (qualityCollector) qualityCollector->attach(Platform::current().mainQueue());
}

TestPlatform::~TestPlatform() {
    if (!Platform::isInstalled()) return;  // the test shut it down itself
    // Let background work finish before the world it reports to goes away.
    globalQueue->drain();
    Platform::current().mainQueue().runPending();
    Platform::uninstall();
}

bool TestPlatform::runUntil(const std::function<bool()>& predicate, double timeoutSeconds) {
    return main().runUntil(predicate, timeoutSeconds);
}

void TestPlatform::advance(double seconds) {
    if (manualClock) manualClock->advance(seconds);
}

}  // namespace movra::test
