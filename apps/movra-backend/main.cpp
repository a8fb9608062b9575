// movra-backend: runs the service emulator on its own until SIGINT or SIGTERM.
#include "movra-backend/BackendServer.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <iostream>

int main(int argc, char** argv) {
    using movra::backend::BackendServer;
    using movra::backend::Tenant;

    CLI::App app{
        "Movra service emulator: tenant discriminator, client API and streaming, DRM keys, media and analytics "
        "collector over HTTPS"};
    BackendServer::Options options;
    std::string region = "tavik";
    app.add_option("--port", options.port, "Port to listen on (0 picks a free one)")->capture_default_str();
    app.add_option("--host", options.host, "Address to listen on")->capture_default_str();
    app.add_option("--data-dir", options.dataDir,
                   "Directory for the TLS files and the emulator's state (devices, tokens, settings)")
        ->required();
    app.add_option("--region", region, "Tenant the discriminator answers")
        ->check(CLI::IsMember({"tavik", "solara"}, CLI::ignore_case))
        ->capture_default_str();
    app.add_option("--country", options.countryCode, "Country code the discriminator answers (default: the region's)");
    app.add_flag("--geo-blocked", options.geoBlocked, "Start geo-blocked (ST1005)");
    app.add_flag("--maintenance", options.maintenance, "Start in maintenance (ST1009)");
    app.add_option("--generated-items", options.generatedItems,
                   "Serve a list of N generated films at /stoffice/client/ios/browse/generated, also found by "
                   "search, for load tests");
    app.add_option("--media-dir", options.mediaDir, "Directory of the generated media (default: DATA_DIR/media)");
    app.add_option("--ffmpeg", options.ffmpeg, "The ffmpeg program that generates the media")->capture_default_str();
    app.add_flag("--prepare-media", options.prepareMedia,
                 "Generate the media at start-up instead of when a client first asks for it");
    app.add_option("--cast-receiver", options.castReceiverName,
                   "Also run a cast receiver of this name on loopback, with its DNS-SD responder");
    app.add_option("--cast-port", options.castPort, "Port of the cast receiver (0 picks a free one)")
        ->capture_default_str();
    app.add_option("--cast-discovery-port", options.castDiscoveryPort,
                   "UDP port of the DNS-SD responder that announces the cast receiver (0 picks a free one)")
        ->capture_default_str();
    app.add_option("--cast-speed", options.castSpeed, "Seconds the cast receiver plays per real second")
        ->check(CLI::PositiveNumber)
        ->capture_default_str();
    CLI11_PARSE(app, argc, argv);
    options.tenant = *Tenant::named(region);

    // Block the stop signals before the server threads exist, so that only sigwait() below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    BackendServer server(options);
    if (auto error = server.start()) {
        std::cerr << "movra-backend: " << *error << std::endl;
        return 1;
    }
    std::cout << "listening on https://" << server.baseHost() << "\n"
              << "CA file: " << server.caFile() << "\n"
              << "DRM application certificate: " << server.drmCertificateFile() << std::endl;
    if (auto* receiver = server.castReceiver())
        std::cout << "cast receiver \"" << receiver->options().name << "\" on " << receiver->options().host << ":"
                  << receiver->port() << ", announced by DNS-SD on " << server.castDiscovery()->address()
                  << " (castDiscoveryAddress)" << std::endl;

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
    return 0;
}
