// This file implements the emulated cast receiver: its listener, its connections and the receiver platform.
#include "movra-backend/CastReceiver.h"

#include "Foundation/Crypto.h"
#include "Foundation/Log.h"
#include "Platform/CastFrameCodec.h"
#include "Platform/CastSocket.h"

#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace movra::backend {

namespace {

constexpr const char* kReceiverId = "receiver-0";
constexpr const char* kConnectionNamespace = "urn:x-cast:com.google.cast.tp.connection";
constexpr const char* kHeartbeatNamespace = "urn:x-cast:com.google.cast.tp.heartbeat";
constexpr const char* kReceiverNamespace = "urn:x-cast:com.google.cast.receiver";

}  // namespace

CastReceiver::CastReceiver(Options options, AccountStore& accounts, StreamingSessions& sessions)
    : options_(std::move(options)), accounts_(accounts), sessions_(sessions) {}

CastReceiver::~CastReceiver() { stop(); }

std::string CastReceiver::deviceId() const {
    return options_.deviceId.empty() ? md5Hex(options_.name) : options_.deviceId;
}

CastDevice CastReceiver::device() const {
    return CastDevice{.deviceID = deviceId(),
                      .friendlyName = options_.name,
                      .modelName = options_.model,
                      .ipAddress = options_.host,
                      .servicePort = port_,
                      .applicationAvailable = true};
}

std::optional<std::string> CastReceiver::start() {
    context_ = SSL_CTX_new(TLS_server_method());
    if (!context_ || SSL_CTX_use_certificate_chain_file(context_, options_.certificateFile.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context_, options_.keyFile.c_str(), SSL_FILETYPE_PEM) != 1)
        return "cast receiver: cannot load its certificate " + options_.certificateFile;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(options_.port));
    if (inet_pton(AF_INET, options_.host.c_str(), &address.sin_addr) != 1)
        return "cast receiver: " + options_.host + " is not an IPv4 address";
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int reuse = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return "cast receiver: cannot listen on " + options_.host + ":" + std::to_string(options_.port);
    port_ = ntohs(address.sin_port);
    wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    running_ = true;
    listenThread_ = std::thread([this] { listen(); });
    tickThread_ = std::thread([this] { tick(); });
    return std::nullopt;
}

void CastReceiver::stop() {
    {
        std::lock_guard lock(mutex_);
        if (!running_ && !listenThread_.joinable()) return;
        running_ = false;
    }
    stopping_.notify_all();
    const std::uint64_t one = 1;
    [[maybe_unused]] auto written = ::write(wake_, &one, sizeof one);
    if (listenThread_.joinable()) listenThread_.join();
    if (tickThread_.joinable()) tickThread_.join();
    std::vector<std::unique_ptr<CastSocket>> doomed;
    {
        std::lock_guard lock(mutex_);
        for (auto& [id, connection] : connections_) doomed.push_back(std::move(connection.socket));
        connections_.clear();
        session_.reset();
    }
    doomed.clear();
    for (int* fd : {&listener_, &wake_}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
    SSL_CTX_free(context_);
    context_ = nullptr;
}

void CastReceiver::listen() {
    for (;;) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
        {
            std::lock_guard lock(mutex_);
            if (!running_) return;
        }
        if (fds[0].revents & POLLIN) {
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) accepted(fd);
        }
    }
}

void CastReceiver::tick() {
    std::unique_lock lock(mutex_);
    while (running_) {
        stopping_.wait_for(lock, std::chrono::milliseconds(20));
        if (running_ && !frozen_ && session_) session_->application->tick(std::chrono::steady_clock::now());
    }
}

void CastReceiver::accepted(int fd) {
    std::lock_guard lock(mutex_);
    const std::uint64_t id = nextConnection_++;
    CastSocket::Handlers handlers;
    handlers.opened = [] {};
    handlers.message = [this, id](CastEnvelope envelope) { received(id, envelope); };
    handlers.closed = [this, id](const std::string& reason) {
        Log::debug("Cast receiver: connection {} ended: {}", id, reason);
        std::vector<std::unique_ptr<CastSocket>> doomed;
        std::lock_guard inner(mutex_);
        drop(id, doomed);
    };
    connections_[id].socket = CastSocket::accept(fd, context_, std::move(handlers));
}

void CastReceiver::drop(std::uint64_t connection, std::vector<std::unique_ptr<CastSocket>>& doomed) {
    auto it = connections_.find(connection);
    if (it == connections_.end()) return;
    doomed.push_back(std::move(it->second.socket));
    connections_.erase(it);
}

void CastReceiver::sendLocked(std::uint64_t connection, const std::string& source, const std::string& destination,
                              const std::string& nameSpace, const std::string& text) {
    auto it = connections_.find(connection);
    if (it == connections_.end() || !it->second.socket) return;
    it->second.socket->send(
        CastEnvelope{.sourceId = source, .destinationId = destination, .nameSpace = nameSpace, .payload = text});
}

void CastReceiver::broadcastLocked(const std::string& endpoint, const std::string& nameSpace, const std::string& text) {
    for (auto& [id, connection] : connections_)
        for (const auto& [sender, receiverSide] : connection.virtualConnections)
            if (receiverSide == endpoint)
                connection.socket->send(CastEnvelope{
                    .sourceId = endpoint, .destinationId = sender, .nameSpace = nameSpace, .payload = text});
}

void CastReceiver::received(std::uint64_t connection, const CastEnvelope& envelope) {
    std::vector<std::unique_ptr<CastSocket>> doomed;
    std::lock_guard lock(mutex_);
    auto it = connections_.find(connection);
    if (frozen_ || it == connections_.end()) return;
    const bool platform = envelope.nameSpace == kConnectionNamespace || envelope.nameSpace == kHeartbeatNamespace ||
                          envelope.nameSpace == kReceiverNamespace;
    const Json message = platform ? Json::parse(envelope.payload, nullptr, /*allow_exceptions=*/false) : Json();
    const auto type = stringValue(message, "type");
    if (platform && !type) {
        Log::error("Cast receiver: malformed message on {}; closing the connection", envelope.nameSpace);
        return drop(connection, doomed);
    }
    const bool toApplication = session_ && envelope.destinationId == session_->transportId;
    if (envelope.nameSpace == kConnectionNamespace) {
        const std::pair link{envelope.sourceId, envelope.destinationId};
        if (*type == "CONNECT" && (envelope.destinationId == kReceiverId || toApplication)) {
            if (it->second.virtualConnections.insert(link).second && toApplication)
                session_->application->senderConnected([&](const std::string& nameSpace, const std::string& text) {
                    sendLocked(connection, link.second, link.first, nameSpace, text);
                });
        } else if (*type == "CLOSE") {
            it->second.virtualConnections.erase(link);
        }
        return;
    }
    if (envelope.nameSpace == kHeartbeatNamespace) {
        if (*type == "PING")
            sendLocked(connection, envelope.destinationId, envelope.sourceId, kHeartbeatNamespace,
                       Json{{"type", "PONG"}}.dump());
        return;
    }
    if (envelope.nameSpace == kReceiverNamespace && envelope.destinationId == kReceiverId)
        return handleReceiver(connection, envelope.sourceId, message);
    if (!toApplication || !it->second.virtualConnections.contains({envelope.sourceId, envelope.destinationId})) return;
    const bool keepRunning = session_->application->handle(
        envelope.nameSpace, envelope.payload,
        [&](const std::string& nameSpace, const std::string& text) {
            sendLocked(connection, envelope.destinationId, envelope.sourceId, nameSpace, text);
        },
        std::chrono::steady_clock::now());
    if (!keepRunning) {
        stopApplicationLocked();
        broadcastLocked(kReceiverId, kReceiverNamespace, receiverStatusLocked().dump());
    }
}

Json CastReceiver::receiverStatusLocked() const {
    Json applications = Json::array();
    if (session_) {
        Json names = Json::array();
        for (const auto& name : CastReceiverApplication::namespaces()) names.push_back({{"name", name}});
        applications.push_back({{"appId", options_.applicationId},
                                {"displayName", "Movra Tavik"},
                                {"sessionId", session_->sessionId},
                                {"transportId", session_->transportId},
                                {"statusText", "Movra Tavik"},
                                {"namespaces", names}});
    }
    return {
        {"type", "RECEIVER_STATUS"},
        {"requestId", 0},
        {"status",
         {{"applications", applications},
          {"volume", {{"level", volume_}, {"muted", muted_}, {"controlType", "attenuation"}, {"stepInterval", 0.05}}},
          {"isActiveInput", true}}}};
}

void CastReceiver::launchLocked() {
    stopApplicationLocked();
    Session session{makeUUIDString(), "web-" + std::to_string(nextTransport_++), nullptr};
    const std::string transport = session.transportId;
    session.application = std::make_unique<CastReceiverApplication>(
        accounts_, sessions_, options_.speed, [this, transport](const std::string& nameSpace, const std::string& text) {
            broadcastLocked(transport, nameSpace, text);
        });
    session_ = std::move(session);
}

void CastReceiver::stopApplicationLocked() {
    if (!session_) return;
    const std::string transport = session_->transportId;
    broadcastLocked(transport, kConnectionNamespace, Json{{"type", "CLOSE"}}.dump());
    for (auto& [id, connection] : connections_)
        std::erase_if(connection.virtualConnections, [&](const auto& link) { return link.second == transport; });
    session_.reset();
}

void CastReceiver::handleReceiver(std::uint64_t connection, const std::string& sender, const Json& message) {
    const std::string type = *stringValue(message, "type");
    const Json requestId = message.value("requestId", Json(0));
    auto answer = [&](Json reply) {
        reply["requestId"] = requestId;
        sendLocked(connection, kReceiverId, sender, kReceiverNamespace, reply.dump());
    };
    auto status = [&] {
        Json reply = receiverStatusLocked();
        broadcastLocked(kReceiverId, kReceiverNamespace, reply.dump());
        answer(std::move(reply));
    };
    if (type == "GET_STATUS") {
        answer(receiverStatusLocked());
    } else if (type == "GET_APP_AVAILABILITY") {
        Json availability = Json::object();
        if (auto ids = message.find("appId"); ids != message.end() && ids->is_array())
            for (const auto& id : *ids)
                if (id.is_string())
                    availability[id.get<std::string>()] =
                        id == options_.applicationId ? "APP_AVAILABLE" : "APP_UNAVAILABLE";
        answer({{"type", "GET_APP_AVAILABILITY"},
                {"responseType", "GET_APP_AVAILABILITY"},
                {"availability", availability}});
    } else if (type == "LAUNCH") {
        if (stringValue(message, "appId") != options_.applicationId)
            return answer({{"type", "LAUNCH_ERROR"}, {"reason", "NOT_FOUND"}});
        launchLocked();
        status();
    } else if (type == "STOP") {
        if (!session_ || stringValue(message, "sessionId") != session_->sessionId)
            return answer({{"type", "INVALID_REQUEST"}, {"reason", "INVALID_SESSION_ID"}});
        stopApplicationLocked();
        status();
    } else if (type == "SET_VOLUME") {
        const Json volume = message.value("volume", Json());
        if (auto level = volume.find("level"); volume.is_object() && level != volume.end() && level->is_number())
            volume_ = std::clamp(level->get<float>(), 0.0f, 1.0f);
        if (auto muted = volume.find("muted"); volume.is_object() && muted != volume.end() && muted->is_boolean())
            muted_ = muted->get<bool>();
        status();
    } else {
        answer({{"type", "INVALID_REQUEST"}, {"reason", "INVALID_COMMAND"}});
    }
}

bool CastReceiver::injectFault(const std::string& kind) {
    auto frame = [](const std::string& nameSpace, const std::string& payload) {
        return CastFrameCodec::encode(
            CastEnvelope{.sourceId = kReceiverId, .destinationId = "*", .nameSpace = nameSpace, .payload = payload});
    };
    std::string bytes;
    if (kind == "oversizedFrame")
        bytes = std::string("\x00\x10\x00\x00", 4) + std::string(64, 'x');
    else if (kind == "garbledFrame")
        bytes = std::string("\x00\x00\x00\x05\xff\xff\xff\xff\xff", 9);
    else if (kind == "malformedJson")
        bytes = frame(kReceiverNamespace, "{\"type\": \"RECEIVER_STATUS\", ");
    else if (kind == "wrongShape")
        bytes = frame(kReceiverNamespace, R"({"type": "RECEIVER_STATUS", "requestId": 0, "status": []})");
    else if (kind == "unknownNamespace")
        bytes = frame("urn:x-cast:com.example.unknown", R"({"type": "HELLO"})");
    else if (kind != "close")
        return false;
    std::vector<std::unique_ptr<CastSocket>> doomed;
    std::lock_guard lock(mutex_);
    if (kind == "close") {
        for (auto& [id, connection] : connections_) doomed.push_back(std::move(connection.socket));
        connections_.clear();
        return true;
    }
    for (auto& [id, connection] : connections_) connection.socket->sendRaw(bytes);
    return true;
}

void CastReceiver::setFrozen(bool frozen) {
    std::lock_guard lock(mutex_);
    frozen_ = frozen;
}

bool CastReceiver::sendApplicationError(const Json& message) {
    std::lock_guard lock(mutex_);
    if (!session_) return false;
    session_->application->sendError(message, std::chrono::steady_clock::now());
    return true;
}

Json CastReceiver::toJson() const {
    std::lock_guard lock(mutex_);
    Json json = {{"name", options_.name},
                 {"model", options_.model},
                 {"deviceId", deviceId()},
                 {"address", options_.host + ":" + std::to_string(port_)},
                 {"applicationId", options_.applicationId},
                 {"speed", options_.speed},
                 {"frozen", frozen_},
                 {"volume", {{"level", volume_}, {"muted", muted_}}},
                 {"connections", connections_.size()},
                 {"application", nullptr}};
    if (session_)
        json["application"] = {{"sessionId", session_->sessionId},
                               {"transportId", session_->transportId},
                               {"state", session_->application->toJson(std::chrono::steady_clock::now())}};
    return json;
}

}  // namespace movra::backend
