// BackendServer: the service emulator as a library. It serves, over HTTPS on a loopback port, the tenant
// discriminator (GET /Movra), the XML client API (/stoffice/client/...), the catalogue's pictures
// (/images/...), streaming sessions, the DRM key server and the HLS media (/stoffice/session/...,
// /stoffice/drm/fps/, /media/...), the usage-analytics collector (POST /collect, /batch), the
// playback-quality collector (POST /quality/events) and the emulator's own control
// endpoints (/_emulator/..., for loopback clients only), with switchable faults and a log of every request
// it received.
//
// Thread contract: start(), stop() and destruction belong to the owner's thread. The server answers on
// its own threads; faults(), requestLog(), accounts(), the collectors and setTenant() may be used from any
// thread while it runs.
#pragma once

#include "movra-backend/AccountApi.h"
#include "movra-backend/AccountStore.h"
#include "movra-backend/AnalyticsCollector.h"
#include "movra-backend/CastReceiver.h"
#include "movra-backend/Catalogue.h"
#include "movra-backend/ClientApi.h"
#include "movra-backend/DnsSdResponder.h"
#include "movra-backend/ErrorDocument.h"
#include "movra-backend/FaultInjector.h"
#include "movra-backend/ImageService.h"
#include "movra-backend/MediaLibrary.h"
#include "movra-backend/PlaybackApi.h"
#include "movra-backend/QualityCollector.h"
#include "movra-backend/RequestLog.h"
#include "movra-backend/Router.h"
#include "movra-backend/StreamingSessions.h"
#include "movra-backend/Tenant.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace httplib {
class Server;
}  // namespace httplib

namespace movra::backend {

class BackendServer {
  public:
    struct Options {
        std::string host = "127.0.0.1";
        /// 0 picks a free port.
        int port = 0;
        /// Holds the TLS files (<dataDir>/tls) and the accounts' devices, tokens and settings
        /// (<dataDir>/state.json); created when missing.
        std::string dataDir;
        /// Tenant the discriminator answers and whose language suffix the client API requires.
        Tenant tenant = Tenant::tavik();
        /// Country the discriminator answers; empty means the tenant's first.
        std::string countryCode;
        /// Initial fault switches; faults() changes them at run time.
        bool geoBlocked = false;
        bool maintenance = false;
        /// Above 0: a list of that many generated films at Catalogue::kGeneratedPath, also found by search,
        /// for load tests.
        std::size_t generatedItems = 0;
        /// Where the generated media is kept; empty means <dataDir>/media. Several emulators may share one.
        std::string mediaDir;
        /// The program that generates the media when it is first asked for.
        std::string ffmpeg = "ffmpeg";
        /// Generate the media in start() rather than on the first request that needs it.
        bool prepareMedia = false;
        /// When set, a cast receiver of this name runs beside the server (castReceiver()).
        std::string castReceiverName;
        /// Port of the cast receiver; 0 picks a free one.
        int castPort = 0;
        /// UDP port of the DNS-SD responder that announces the cast receiver; 0 picks a free one.
        int castDiscoveryPort = 0;
        /// Virtual seconds the cast receiver plays per real second.
        double castSpeed = 1;
        /// The receiver application the cast receiver runs: the client's built-in identifier.
        std::string castApplicationId = "4F8A21C7";
    };

    explicit BackendServer(Options options);
    /// Stops the server.
    ~BackendServer();
    BackendServer(const BackendServer&) = delete;
    BackendServer& operator=(const BackendServer&) = delete;

    /// Creates or loads the TLS certificates, binds and starts serving. Returns a message saying what
    /// failed (data directory, certificates, port), or nullopt once the server accepts requests.
    std::optional<std::string> start();
    /// Stops serving and joins the server thread; nothing happens when it is not running.
    void stop();
    bool isRunning() const;

    /// The bound port (meaningful after a successful start()).
    int port() const { return port_; }
    /// "host:port", as the discriminator answers it.
    std::string baseHost() const;
    /// The CA certificate clients must trust (after a successful start()).
    const std::string& caFile() const { return caFile_; }
    /// The DRM application certificate (DER) key requests are made with (after a successful start()).
    const std::string& drmCertificateFile() const { return drmCertificateFile_; }
    /// The playable media, generated on first use.
    MediaLibrary& media() { return media_; }
    StreamingSessions& sessions() { return sessions_; }

    FaultInjector& faults() { return faults_; }
    RequestLog& requestLog() { return requestLog_; }
    /// The demo subscribers with their devices, tokens and settings.
    AccountStore& accounts() { return accounts_; }
    /// The analytics hits received.
    AnalyticsCollector& collector() { return collector_; }
    /// The cast receiver, when the options asked for one and start() succeeded; else nullptr.
    CastReceiver* castReceiver() { return castReceiver_.get(); }
    /// The DNS-SD responder that announces the cast receiver, when there is one; else nullptr.
    DnsSdResponder* castDiscovery() { return castDiscovery_.get(); }
    /// The playback-quality sessions received.
    QualityCollector& qualityCollector() { return qualityCollector_; }

    Tenant tenant() const;
    /// The country answered by the discriminator.
    std::string countryCode() const;
    /// Switches the tenant answered from now on; an empty country code means the tenant's first.
    void setTenant(Tenant tenant, std::string countryCode = {});

    /// Entry point of every request: body limit, control access, logging, faults, routing, truncation.
    /// Public so that requests from addresses a test cannot send from can be fabricated.
    void dispatch(const httplib::Request& request, httplib::Response& response);

    /// Larger request bodies are answered 413 and go no further.
    static constexpr std::size_t kMaxRequestBody = 1024 * 1024;
    /// Connections served at once, kept-alive idle ones included.
    static constexpr std::size_t kWorkerThreads = 64;

  private:
    void addControlRoutes();
    void addCastControlRoutes();
    void addDiscriminatorRoutes();
    /// A failure in the form of the service face the request went to.
    static void respondWithFailure(httplib::Response& response, Router::Face face, int status,
                                   const ErrorDocument& document);
    static RequestLog::Entry entryFor(const httplib::Request& request);

    Options options_;
    Catalogue catalogue_;
    ImageService images_;
    FaultInjector faults_;
    RequestLog requestLog_;
    AccountStore accounts_;
    AnalyticsCollector collector_;
    QualityCollector qualityCollector_;
    Router router_;
    ClientApi clientApi_;
    AccountApi accountApi_;
    MediaLibrary media_;
    StreamingSessions sessions_;
    PlaybackApi playbackApi_;
    mutable std::mutex tenantMutex_;
    Tenant tenant_;
    std::string countryCode_;

    std::unique_ptr<CastReceiver> castReceiver_;
    std::unique_ptr<DnsSdResponder> castDiscovery_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    std::string caFile_;
    std::string drmCertificateFile_;
};

}  // namespace movra::backend
