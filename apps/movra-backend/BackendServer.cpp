// The emulator's HTTPS server: routing, faults, request log, discriminator and control endpoints.
#include "movra-backend/BackendServer.h"

#include "Foundation/Log.h"
#include "Foundation/Strings.h"
#include "Foundation/Url.h"
#include "movra-backend/CertificateAuthority.h"
#include "movra-backend/FormEncoding.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/socket.h>

namespace movra::backend {

namespace {

constexpr const char* kJson = "application/json";

void respondJson(httplib::Response& response, int status, const Json& body) {
    response.status = status;
    // Logged bodies may hold any bytes; the control answers must still be valid JSON.
    response.set_content(body.dump(2, ' ', false, Json::error_handler_t::replace), kJson);
}

// Query parameters in request-line order; httplib's own map is sorted by name.
RequestLog::Pairs queryPairs(const std::string& target) {
    const auto mark = target.find('?');
    if (mark == std::string::npos) return {};
    return FormEncoding::decode(std::string_view(target).substr(mark + 1));
}

}  // namespace

BackendServer::BackendServer(Options options)
    : options_(std::move(options)),
      catalogue_(options_.generatedItems),
      images_(catalogue_),
      requestLog_({"Authorization", ClientApi::kDeviceTokenHeader}),
      accounts_(Account::demoAccounts()),
      clientApi_([this] { return tenant(); }, catalogue_, accounts_),
      accountApi_(accounts_),
      media_(options_.mediaDir.empty() ? options_.dataDir + "/media" : options_.mediaDir, options_.ffmpeg),
      playbackApi_(clientApi_, media_, accounts_, sessions_, faults_, [this] { return drmCertificateFile_; }),
      tenant_(options_.tenant),
      countryCode_(options_.countryCode) {
    faults_.setGeoBlocked(options_.geoBlocked);
    faults_.setMaintenance(options_.maintenance);
    addControlRoutes();
    addCastControlRoutes();
    addDiscriminatorRoutes();
    clientApi_.addRoutes(router_);
    accountApi_.addRoutes(clientApi_, router_);
    playbackApi_.addRoutes(router_);
    images_.addRoutes(router_);
    collector_.addRoutes(router_);
    qualityCollector_.addRoutes(router_);
}

BackendServer::~BackendServer() { stop(); }

std::optional<std::string> BackendServer::start() {
    if (server_) return "the emulator is already running";

    if (options_.dataDir.empty()) return "no data directory given";
    std::error_code ec;
    std::filesystem::create_directories(options_.dataDir, ec);
    if (ec) return "cannot use the data directory \"" + options_.dataDir + "\": " + ec.message();
    accounts_.open(options_.dataDir + "/state.json");
    std::string error;
    auto authority = CertificateAuthority::loadOrCreate(options_.dataDir + "/tls", &error);
    if (!authority) return "cannot set up TLS in " + options_.dataDir + "/tls: " + error;
    if (options_.prepareMedia) {
        if (auto failure = media_.ensure()) return "cannot generate the media: " + *failure;
    }

    auto server = std::make_unique<httplib::SSLServer>(authority->serverCertificatePath().c_str(),
                                                       authority->serverKeyPath().c_str());
    if (!server->is_valid()) return "cannot load the TLS certificate " + authority->serverCertificatePath();

    auto dispatcher = [this](const httplib::Request& request, httplib::Response& response) {
        dispatch(request, response);
    };
    // Catch-all routes rather than a pre-routing handler, so that request bodies are read first.
    server->Get(".*", dispatcher);
    server->Post(".*", dispatcher);
    server->Put(".*", dispatcher);
    server->Delete(".*", dispatcher);
    server->Patch(".*", dispatcher);
    server->Options(".*", dispatcher);

    // httplib refuses a request line over 8 KiB (a search for pages of text) before any route sees it, with
    // an empty body; the client still gets the service's error document.
    server->set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request&,
                                                                      httplib::Response& response) {
        if (response.status != 414) return httplib::Server::HandlerResponse::Unhandled;
        ErrorDocument{ErrorDocument::codeForStatus(414), "The request is too long. Please shorten it and try again.",
                      "The request line exceeds the server's limit of 8192 bytes"}
            .respond(response, 414);
        return httplib::Server::HandlerResponse::Handled;
    }));
    // httplib 0.11 applies this to bodies with a Content-Length only; dispatch() catches chunked ones.
    server->set_payload_max_length(kMaxRequestBody);
    // Without TCP_NODELAY every kept-alive answer waits for the peer's delayed ACK (tens of milliseconds).
    server->set_tcp_nodelay(true);
    server->set_keep_alive_max_count(100000);
    server->set_read_timeout(30, 0);
    server->set_keep_alive_timeout(30);
    // Every kept-alive connection holds a worker until it idles out: httplib's pool of 8 would make a client
    // with a few more connections than that (segments, keys, pictures, reports) wait up to 30 s for one.
    server->new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    // A client that hangs up mid-answer must not kill the process.
    std::signal(SIGPIPE, SIG_IGN);

    // httplib's default also sets SO_REUSEPORT, which lets a second emulator bind a port already in use.
    server->set_socket_options([](socket_t socket) {
        int on = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    });

    int port = options_.port;
    if (port == 0) {
        port = server->bind_to_any_port(options_.host);
    } else if (!server->bind_to_port(options_.host, port)) {
        port = -1;
    }
    if (port < 0) {
        return "cannot listen on " + options_.host + ":" + std::to_string(options_.port) +
               " (the port is in use or the address is not available)";
    }

    if (!options_.castReceiverName.empty()) {
        CastReceiver::Options cast;
        cast.name = options_.castReceiverName;
        cast.host = options_.host;
        cast.port = options_.castPort;
        cast.speed = options_.castSpeed;
        cast.applicationId = options_.castApplicationId;
        cast.certificateFile = authority->castReceiverCertificatePath();
        cast.keyFile = authority->castReceiverKeyPath();
        castReceiver_ = std::make_unique<CastReceiver>(std::move(cast), accounts_, sessions_);
        if (auto failure = castReceiver_->start()) {
            castReceiver_.reset();
            return failure;
        }
        castDiscovery_ = std::make_unique<DnsSdResponder>(options_.host, options_.castDiscoveryPort,
                                                          std::vector{castReceiver_->device()});
        if (auto failure = castDiscovery_->start()) {
            castDiscovery_.reset();
            castReceiver_.reset();
            return failure;
        }
    }

    // Set before the first request can ask for them.
    port_ = port;
    caFile_ = authority->caCertificatePath();
    drmCertificateFile_ = authority->applicationCertificatePath();

    // httplib 0.11 has no wait_until_ready(): the socket already listens, so only wait for the accept loop,
    // or stop() could come before it and leave the thread running.
    auto finished = std::make_shared<std::atomic<bool>>(false);
    thread_ = std::thread([s = server.get(), finished] {
        s->listen_after_bind();
        *finished = true;
    });
    while (!server->is_running() && !*finished) std::this_thread::sleep_for(std::chrono::milliseconds(1));

    server_ = std::move(server);
    Log::info("movra-backend listening on https://{}", baseHost());
    return std::nullopt;
}

void BackendServer::stop() {
    castDiscovery_.reset();
    castReceiver_.reset();
    if (!server_) return;
    server_->stop();
    if (thread_.joinable()) thread_.join();
    server_.reset();
}

bool BackendServer::isRunning() const { return server_ && server_->is_running(); }

std::string BackendServer::baseHost() const { return options_.host + ":" + std::to_string(port_); }

Tenant BackendServer::tenant() const {
    std::lock_guard lock(tenantMutex_);
    return tenant_;
}

std::string BackendServer::countryCode() const {
    std::lock_guard lock(tenantMutex_);
    return countryCode_.empty() ? tenant_.countryCodes().front() : countryCode_;
}

void BackendServer::setTenant(Tenant tenant, std::string countryCode) {
    std::lock_guard lock(tenantMutex_);
    tenant_ = std::move(tenant);
    countryCode_ = std::move(countryCode);
}

RequestLog::Entry BackendServer::entryFor(const httplib::Request& request) {
    RequestLog::Entry entry{request.method, request.path, queryPairs(request.target), {}, request.body};
    for (const auto& [name, value] : request.headers) {
        // httplib adds the peer addresses as pseudo-headers.
        if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT") continue;
        entry.headers.emplace_back(name, value);
    }
    return entry;
}

void BackendServer::respondWithFailure(httplib::Response& response, Router::Face face, int status,
                                       const ErrorDocument& document) {
    if (face == Router::Face::Discriminator) {
        respondJson(response, status,
                    document.errorCode.empty() ? Json::object() : Json{{"errorCode", document.errorCode}});
    } else if (face == Router::Face::Analytics || face == Router::Face::Media) {
        response.status = status;
    } else {
        document.respond(response, status);
    }
}

void BackendServer::dispatch(const httplib::Request& request, httplib::Response& response) {
    if (request.body.size() > kMaxRequestBody) {
        response.status = 413;
        return;
    }
    // The control endpoints switch faults, revoke tokens and list what clients sent: not for other hosts.
    if (startsWith(request.path, "/_emulator/") && !isLoopbackHost(request.remote_addr)) {
        return respondJson(response, 403, {{"error", "the emulator's control endpoints answer loopback clients only"}});
    }

    std::smatch match;
    const Router::Route* route = router_.match(request.method, request.path, match);
    if (route && route->face == Router::Face::Control) return route->handler(request, response, match);

    requestLog_.record(entryFor(request));
    Log::debug("movra-backend: {} {}", request.method, request.target);
    if (auto delay = faults_.delayFor(request.path); delay.count() > 0) std::this_thread::sleep_for(delay);

    const Router::Face face = route ? route->face : Router::Face::ClientApi;
    // Analytics keep collecting while the catalogue is blocked or down, as the real collector is another service.
    // So do streams already started.
    const bool serviceWide = face != Router::Face::Analytics && face != Router::Face::Media;
    if (serviceWide && faults_.geoBlocked()) {
        respondWithFailure(response, face, 403, ErrorDocument::geoBlocked());
    } else if (serviceWide && faults_.maintenance()) {
        // The client API announces maintenance in an answer that is otherwise successful: the client's
        // status check reads "ST1009" only from a 2xx answer. The discriminator answers 503.
        respondWithFailure(response, face, face == Router::Face::Discriminator ? 503 : 200,
                           ErrorDocument::maintenance());
    } else if (auto failure = faults_.takeFailure(request.path)) {
        // An injected discriminator failure without a code stays a bare status, as a proxy would answer.
        std::string code = failure->errorCode;
        if (code.empty() && face == Router::Face::ClientApi) code = ErrorDocument::codeForStatus(failure->status);
        respondWithFailure(response, face, failure->status,
                           {code, "Something went wrong. Please try again later.",
                            "Injected failure with HTTP status " + std::to_string(failure->status)});
    } else if (!route) {
        ErrorDocument{ErrorDocument::codeForStatus(404), "The requested content could not be found.",
                      "No resource at " + request.method + " " + request.path}
            .respond(response, 404);
    } else {
        route->handler(request, response, match);
    }

    if (faults_.takeTruncation(request.path)) response.body.resize(response.body.size() / 2);
    if (faults_.takeEmptying(request.path)) response.body.clear();
    if (faults_.takeCut(request.path)) {
        // The whole length is announced and half of it sent: the client sees the connection drop mid-body.
        auto body = std::make_shared<std::string>(std::move(response.body));
        response.body.clear();
        const std::string type = response.get_header_value("Content-Type");
        response.set_content_provider(body->size(), type.empty() ? "application/octet-stream" : type,
                                      [body](size_t offset, size_t, httplib::DataSink& sink) {
                                          if (offset < body->size() / 2)
                                              sink.write(body->data() + offset, body->size() / 2 - offset);
                                          return false;
                                      });
    }
}

void BackendServer::addDiscriminatorRoutes() {
    router_.add(
        "GET", "/Movra", Router::Face::Discriminator,
        [this](const httplib::Request&, httplib::Response& response, const std::smatch&) {
            // A name no client maps to a tenant, for the client's retry alert.
            const std::string name = faults_.unknownTenant() ? "Movra Nowhere" : tenant().code();
            respondJson(response, 200, {{"url", baseHost()}, {"cc", Json::array({countryCode()})}, {"name", name}});
        });
}

void BackendServer::addControlRoutes() {
    using Request = httplib::Request;
    using Response = httplib::Response;
    const auto control = Router::Face::Control;

    router_.add("GET", "/_emulator/requests", control, [this](const Request&, Response& response, const std::smatch&) {
        respondJson(response, 200, requestLog_.toJson());
    });
    router_.add("DELETE", "/_emulator/requests", control,
                [this](const Request&, Response& response, const std::smatch&) {
                    requestLog_.clear();
                    response.status = 204;
                });
    router_.add("GET", "/_emulator/faults", control, [this](const Request&, Response& response, const std::smatch&) {
        respondJson(response, 200, faults_.toJson());
    });
    router_.add("POST", "/_emulator/faults", control,
                [this](const Request& request, Response& response, const std::smatch&) {
                    const Json document = Json::parse(request.body, nullptr, /*allow_exceptions=*/false);
                    if (document.is_discarded()) return respondJson(response, 400, {{"error", "the body is not JSON"}});
                    if (auto error = faults_.apply(document)) return respondJson(response, 400, {{"error", *error}});
                    respondJson(response, 200, faults_.toJson());
                });
    router_.add("GET", "/_emulator/accounts", control, [this](const Request&, Response& response, const std::smatch&) {
        respondJson(response, 200, accounts_.toJson());
    });
    router_.add("POST", "/_emulator/accounts/revoke", control,
                [this](const Request& request, Response& response, const std::smatch&) {
                    const Json document = Json::parse(request.body, nullptr, /*allow_exceptions=*/false);
                    if (auto userName = stringValue(document, "userName")) {
                        auto revoked = accounts_.revokeAccount(*userName);
                        if (!revoked) return respondJson(response, 404, {{"error", "no account " + *userName}});
                        return respondJson(response, 200, {{"revoked", *revoked}});
                    }
                    if (auto token = stringValue(document, "token")) {
                        if (!accounts_.revokeToken(*token)) {
                            return respondJson(response, 404, {{"error", "no live token " + *token}});
                        }
                        return respondJson(response, 200, {{"revoked", 1}});
                    }
                    respondJson(response, 400, {{"error", "the body must name a \"userName\" or a \"token\""}});
                });
    router_.add("GET", "/_emulator/sessions", control, [this](const Request&, Response& response, const std::smatch&) {
        respondJson(response, 200, sessions_.toJson());
    });
    router_.add("GET", "/_emulator/hits", control, [this](const Request&, Response& response, const std::smatch&) {
        respondJson(response, 200, collector_.toJson());
    });
    router_.add("DELETE", "/_emulator/hits", control, [this](const Request&, Response& response, const std::smatch&) {
        collector_.clear();
        response.status = 204;
    });
    router_.add("GET", "/_emulator/quality", control, [this](const Request&, Response& response, const std::smatch&) {
        respondJson(response, 200, qualityCollector_.toJson());
    });
    router_.add("DELETE", "/_emulator/quality", control,
                [this](const Request&, Response& response, const std::smatch&) {
                    qualityCollector_.clear();
                    response.status = 204;
                });
    auto tenantJson = [this] { return Json{{"tenant", tenant().key()}, {"cc", countryCode()}}; };
    router_.add("GET", "/_emulator/tenant", control,
                [tenantJson](const Request&, Response& response, const std::smatch&) {
                    respondJson(response, 200, tenantJson());
                });
    router_.add("POST", "/_emulator/tenant", control,
                [this, tenantJson](const Request& request, Response& response, const std::smatch&) {
                    const Json document = Json::parse(request.body, nullptr, /*allow_exceptions=*/false);
                    auto name = stringValue(document, "tenant");
                    auto tenant = name ? Tenant::named(*name) : std::nullopt;
                    if (!tenant) return respondJson(response, 400, {{"error", "\"tenant\" must be tavik or solara"}});
                    setTenant(*tenant, stringValue(document, "cc").value_or(""));
                    respondJson(response, 200, tenantJson());
                });
}

void BackendServer::addCastControlRoutes() {
    using Request = httplib::Request;
    using Response = httplib::Response;
    const auto control = Router::Face::Control;
    router_.add("GET", "/_emulator/cast", control, [this](const Request&, Response& response, const std::smatch&) {
        if (!castReceiver_) return respondJson(response, 404, {{"error", "no cast receiver runs"}});
        Json state = castReceiver_->toJson();
        state["discoveryAddress"] = castDiscovery_->address();
        respondJson(response, 200, state);
    });
    // {"frozen": bool} freezes or thaws the receiver; {"inject": "<fault>"} breaks the protocol once (see
    // CastReceiver::injectFault); {"error": {...}} sends the service's error message.
    router_.add("POST", "/_emulator/cast", control,
                [this](const Request& request, Response& response, const std::smatch&) {
                    if (!castReceiver_) return respondJson(response, 404, {{"error", "no cast receiver runs"}});
                    const Json document = Json::parse(request.body, nullptr, /*allow_exceptions=*/false);
                    if (!document.is_object())
                        return respondJson(response, 400, {{"error", "the body is not a JSON object"}});
                    if (auto frozen = document.find("frozen"); frozen != document.end()) {
                        if (!frozen->is_boolean())
                            return respondJson(response, 400, {{"error", "\"frozen\" must be a boolean"}});
                        castReceiver_->setFrozen(frozen->get<bool>());
                    }
                    if (auto inject = document.find("inject"); inject != document.end()) {
                        if (!inject->is_string() || !castReceiver_->injectFault(inject->get<std::string>()))
                            return respondJson(response, 400, {{"error", "unknown fault to inject"}});
                    }
                    if (auto error = document.find("error"); error != document.end()) {
                        if (!error->is_object())
                            return respondJson(response, 400, {{"error", "\"error\" must be an object"}});
                        if (!castReceiver_->sendApplicationError(*error))
                            return respondJson(response, 409, {{"error", "the receiver application is not running"}});
                    }
                    respondJson(response, 200, castReceiver_->toJson());
                });
}

}  // namespace movra::backend
