#include "Platform/PlatformFactory.h"

#include "Foundation/SystemClock.h"
#include "Foundation/ThreadPoolQueue.h"
#include "Platform/AtomicFile.h"
#include "Platform/CastV2Sdk.h"
#include "Platform/CurlHttpTransport.h"
#include "Platform/FileCrashReporter.h"
#include "Platform/FileCredentialStore.h"
#include "Platform/GStreamerMediaEngine.h"
#include "Platform/HttpAnalyticsTracker.h"
#include "Platform/HttpPlaybackQualityClient.h"
#include "Platform/JsonDefaultsStore.h"
#include "Platform/LoggingAnalyticsTracker.h"
#include "Platform/LoggingPlaybackQualityClient.h"
#include "Platform/MprisNowPlaying.h"
#include "Platform/StbImageCodec.h"
#include "Platform/SystemDeviceInfo.h"
#include "Platform/SystemLocale.h"
#include "Platform/TransportReachability.h"

#include <cstdlib>

namespace movra {

std::string defaultDataDirectory() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return std::string(xdg) + "/movra";
    if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.local/share/movra";
    return ".movra";
}

std::shared_ptr<Platform> makeSystemPlatform(Configuration configuration, std::shared_ptr<UiHost> uiHost,
                                             LogLevel consoleLevel) {
    if (configuration.dataDirectory.empty()) configuration.dataDirectory = defaultDataDirectory();
    const std::string& dataDirectory = configuration.dataDirectory;
    auto folderError = AtomicFile::makePrivateDirectory(dataDirectory);
    Log::setup(folderError ? std::string() : dataDirectory + "/movra.log", consoleLevel);
    if (folderError) Log::error("No data directory: {}", folderError->summary());

    Platform::Services s;
    s.clock = std::make_shared<SystemClock>();
    s.globalQueue = std::make_shared<ThreadPoolQueue>("global", 4);
    s.transportFactory = [options = HttpTransportOptions{.caFile = configuration.caFile}] {
        return std::make_shared<CurlHttpTransport>(options);
    };
    s.sharedTransport = s.transportFactory();
    s.credentials = std::make_shared<FileCredentialStore>(dataDirectory + "/keychain");
    s.defaults = std::make_shared<JsonDefaultsStore>(dataDirectory + "/defaults.json");
    s.device = std::make_shared<SystemDeviceInfo>(configuration);
    s.locale = std::make_shared<SystemLocale>(configuration.language);
    s.reachability = std::make_shared<TransportReachability>();
    s.uiHost = std::move(uiHost);
    s.crashReporter = std::make_shared<FileCrashReporter>(dataDirectory + "/crashes");
    std::shared_ptr<HttpAnalyticsTracker> collector;
    if (configuration.analyticsCollectorUrl.empty()) {
        s.analytics = std::make_shared<LoggingAnalyticsTracker>();
    } else {
        collector = std::make_shared<HttpAnalyticsTracker>(
            HttpAnalyticsTracker::Options{.collectorUrl = configuration.analyticsCollectorUrl,
                                          .directory = dataDirectory + "/analytics",
                                          .transport = s.sharedTransport,
                                          .clock = s.clock});
        s.analytics = collector;
    }
    std::shared_ptr<HttpPlaybackQualityClient> qualityCollector;
    if (configuration.playbackQualityCollectorUrl.empty()) {
        s.playbackQuality = std::make_shared<LoggingPlaybackQualityClient>();
    } else {
        qualityCollector = std::make_shared<HttpPlaybackQualityClient>(
            HttpPlaybackQualityClient::Options{.collectorUrl = configuration.playbackQualityCollectorUrl,
                                               .directory = dataDirectory + "/playback-quality",
                                               .transport = s.sharedTransport,
                                               .clock = s.clock});
        s.playbackQuality = qualityCollector;
    }
    auto nowPlaying = std::make_shared<MprisNowPlaying>();
    s.nowPlaying = nowPlaying;
    s.imageCodec = std::make_shared<StbImageCodec>();
    s.mediaEngine = std::make_shared<GStreamerMediaEngine>(
        GStreamerPlayerItem::Outputs{.video = configuration.videoOutput, .audio = configuration.audioOutput});
    s.castSdk = std::make_shared<CastV2Sdk>(CastV2DeviceScanner::Options{
        .discoveryAddress = configuration.castDiscoveryAddress, .devices = configuration.castDevices});
    s.configuration = std::move(configuration);
    auto platform = std::make_shared<Platform>(std::move(s));
    // The periodic dispatch needs the main queue, which the platform creates.
    if (collector) collector->attach(platform->mainQueue());
    nowPlaying->attach(platform->mainQueue().handle());
    if (qualityCollector) qualityCollector->attach(platform->mainQueue());
    return platform;
}

}  // namespace movra
