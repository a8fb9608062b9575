// This file implements the sender side of the cast protocol v2 for one receiver.
#include "Platform/CastV2DeviceManager.h"

#include "Foundation/Log.h"
#include "Platform/CastChannel.h"
#include "Platform/CastMediaControlChannel.h"
#include "Platform/CastSdk.h"
#include "Platform/CastSocket.h"
#include "Platform/Platform.h"

#include <algorithm>

namespace movra {

namespace {

constexpr const char* kSenderId = "sender-0";
constexpr const char* kReceiverId = "receiver-0";

double now() { return Platform::current().clock().monotonicSeconds(); }

bool isStandardNamespace(const std::string& nameSpace) {
    return nameSpace == kCastConnectionNamespace || nameSpace == kCastHeartbeatNamespace ||
           nameSpace == kCastReceiverNamespace || nameSpace == kCastMediaNamespace;
}

}  // namespace

CastV2DeviceManager::CastV2DeviceManager(CastDevice device, std::string clientPackageName)
    : device_(std::move(device)), clientPackageName_(std::move(clientPackageName)) {}

CastV2DeviceManager::~CastV2DeviceManager() {
    detachChannels();
    closeSocket();
}

void CastV2DeviceManager::report(std::function<void(CastDeviceManagerDelegate&)> report) {
    Platform::current().mainQueue().post([this, alive = std::weak_ptr<int>(alive_), report = std::move(report)] {
        if (alive.lock() && delegate_) report(*delegate_);
    });
}

bool CastV2DeviceManager::tell(const std::function<void(CastDeviceManagerDelegate&)>& call) {
    if (!delegate_) return true;
    const std::weak_ptr<int> alive = alive_;
    call(*delegate_);
    return !alive.expired();
}

void CastV2DeviceManager::connect() {
    if (connectionState_ != CastConnectionState::Disconnected) return;
    connectionState_ = CastConnectionState::Connecting;
    auto loop = Platform::current().mainQueue().handle();
    auto post = [loop, alive = std::weak_ptr<int>(alive_)](std::function<void()> task) {
        loop.post([alive, task = std::move(task)] {
            if (alive.lock()) task();
        });
    };
    CastSocket::Handlers handlers;
    handlers.opened = [post, this] { post([this] { didOpen(); }); };
    handlers.message = [post, this](CastEnvelope envelope) {
        post([this, envelope = std::move(envelope)] { didReceive(envelope); });
    };
    handlers.closed = [post, this](const std::string& reason) {
        post([this, reason] { lose(kCastErrorNetworkError, reason); });
    };
    socket_ = CastSocket::connect(device_.ipAddress, device_.servicePort, kConnectTimeout, std::move(handlers));
}

void CastV2DeviceManager::didOpen() {
    connectionState_ = CastConnectionState::Connected;
    lastHeard_ = now();
    send(kReceiverId, kCastConnectionNamespace,
         {{"type", "CONNECT"}, {"origin", Json::object()}, {"userAgent", clientPackageName_}});
    heartbeat_ = Platform::current().mainQueue().scheduleTimer(kHeartbeatInterval, /*repeats=*/true,
                                                               [this](Timer&) { heartbeat(); });
    sendRequest({{"type", "GET_STATUS"}});
    if (delegate_) delegate_->deviceManagerDidConnect(*this);
}

void CastV2DeviceManager::heartbeat() {
    if (now() - lastHeard_ >= kHeartbeatInterval * kLostAfterIntervals) {
        lose(kCastErrorTimeout, "the receiver stopped answering");
        return;
    }
    send(kReceiverId, kCastHeartbeatNamespace, {{"type", "PING"}});
}

void CastV2DeviceManager::closeSocket() {
    if (heartbeat_) heartbeat_->invalidate();
    heartbeat_.reset();
    socket_.reset();
}

void CastV2DeviceManager::lose(std::int64_t code, const std::string& reason) {
    if (connectionState_ == CastConnectionState::Disconnected) return;
    const bool wasConnecting = connectionState_ == CastConnectionState::Connecting;
    Log::error("Cast: connection to {} ({}) ended: {}", device_.friendlyName, device_.address(), reason);
    closeSocket();
    connectionState_ = CastConnectionState::Disconnected;
    applicationState_ = CastConnectionState::Disconnected;
    application_.reset();
    applicationRequest_.reset();
    auto error = makeError(
        kCastErrorDomain, code,
        code == kCastErrorTimeout ? "The receiver stopped answering" : "Connection to the receiver failed", reason);
    if (!delegate_) return;
    if (wasConnecting)
        delegate_->deviceManagerDidFailToConnect(*this, error);
    else
        delegate_->deviceManagerDidDisconnect(*this, error);
}

void CastV2DeviceManager::disconnect() {
    if (connectionState_ == CastConnectionState::Disconnected) return;
    if (application_) send(application_->transportId, kCastConnectionNamespace, {{"type", "CLOSE"}});
    send(kReceiverId, kCastConnectionNamespace, {{"type", "CLOSE"}});
    closeSocket();
    connectionState_ = CastConnectionState::Disconnected;
    applicationState_ = CastConnectionState::Disconnected;
    application_.reset();
    applicationRequest_.reset();
    report([this](CastDeviceManagerDelegate& delegate) { delegate.deviceManagerDidDisconnect(*this, nullptr); });
}

bool CastV2DeviceManager::send(const std::string& destination, const std::string& nameSpace, const Json& message) {
    return socket_ && connectionState_ == CastConnectionState::Connected &&
           socket_->send(CastEnvelope{
               .sourceId = kSenderId, .destinationId = destination, .nameSpace = nameSpace, .payload = message.dump()});
}

std::int64_t CastV2DeviceManager::sendRequest(Json message) {
    const std::int64_t id = nextRequestId_++;
    message["requestId"] = id;
    return send(kReceiverId, kCastReceiverNamespace, message) ? id : 0;
}

void CastV2DeviceManager::didReceive(const CastEnvelope& envelope) {
    lastHeard_ = now();
    const bool standard = isStandardNamespace(envelope.nameSpace);
    Json message;
    if (standard) {
        message = envelope.binary ? Json() : Json::parse(envelope.payload, nullptr, /*allow_exceptions=*/false);
        // Some answers name their kind "responseType".
        if (message.is_object() && !message.contains("type") && message.contains("responseType"))
            message["type"] = message["responseType"];
        if (!message.is_object() || !stringValue(message, "type")) {
            lose(kCastErrorProtocolError, "malformed message on " + envelope.nameSpace);
            return;
        }
    }
    const std::string type = standard ? *stringValue(message, "type") : std::string();
    if (envelope.nameSpace == kCastHeartbeatNamespace) {
        if (type == "PING") send(envelope.sourceId, kCastHeartbeatNamespace, {{"type", "PONG"}});
        return;
    }
    if (envelope.nameSpace == kCastConnectionNamespace) {
        if (type != "CLOSE") return;
        if (envelope.sourceId == kReceiverId)
            lose(kCastErrorNetworkError, "the receiver closed the connection");
        else if (application_ && envelope.sourceId == application_->transportId)
            applicationEnded(makeError(kCastErrorDomain, kCastErrorApplicationNotRunning, "Application is not running",
                                       "the application closed the connection"));
        return;
    }
    if (envelope.nameSpace == kCastReceiverNamespace) {
        handleReceiverMessage(type, message);
        return;
    }
    if (!application_ || envelope.sourceId != application_->transportId) {
        Log::debug("Cast: message from {} on {} ignored", envelope.sourceId, envelope.nameSpace);
        return;
    }
    auto* channel = channelFor(envelope.nameSpace);
    if (!channel || envelope.binary) {
        Log::debug("Cast: message on {} without a channel ignored", envelope.nameSpace);
        return;
    }
    // Standard namespaces were read above already.
    if (auto* media = standard ? dynamic_cast<CastMediaControlChannel*>(channel) : nullptr)
        media->didReceiveMessage(message);
    else
        channel->didReceiveTextMessage(envelope.payload);
}

bool CastV2DeviceManager::readReceiverStatus(const Json& status, bool& volumeChanged) {
    if (!status.is_object()) return false;
    if (auto volume = status.find("volume"); volume != status.end()) {
        if (!volume->is_object()) return false;
        float level = volume_;
        bool muted = muted_;
        if (auto it = volume->find("level"); it != volume->end() && it->is_number()) level = it->get<float>();
        if (auto it = volume->find("muted"); it != volume->end() && it->is_boolean()) muted = it->get<bool>();
        volumeChanged = level != volume_ || muted != muted_;
        volume_ = level;
        muted_ = muted;
    }
    std::vector<Application> applications;
    if (auto list = status.find("applications"); list != status.end()) {
        if (!list->is_array()) return false;
        for (const auto& entry : *list) {
            auto appId = stringValue(entry, "appId"), sessionId = stringValue(entry, "sessionId"),
                 transportId = stringValue(entry, "transportId");
            if (!appId || !sessionId || !transportId) return false;
            Application application{
                *appId, stringValue(entry, "displayName").value_or(""), *sessionId, *transportId, {}};
            if (auto names = entry.find("namespaces"); names != entry.end() && names->is_array())
                for (const auto& name : *names)
                    if (auto text = stringValue(name, "name")) application.namespaces.push_back(*text);
            applications.push_back(std::move(application));
        }
    }
    applications_ = std::move(applications);
    return true;
}

void CastV2DeviceManager::handleReceiverMessage(const std::string& type, const Json& message) {
    std::optional<std::int64_t> requestId;
    if (auto it = message.find("requestId"); it != message.end() && it->is_number_integer())
        requestId = it->get<std::int64_t>();
    const bool answersApplicationRequest = applicationRequest_ && requestId == applicationRequest_->requestId;
    if (type == "RECEIVER_STATUS") {
        bool volumeChanged = false;
        if (!readReceiverStatus(message.value("status", Json()), volumeChanged)) {
            lose(kCastErrorProtocolError, "malformed receiver status");
            return;
        }
        if (volumeChanged &&
            !tell([&](CastDeviceManagerDelegate& d) { d.deviceManagerVolumeDidChange(*this, volume_, muted_); }))
            return;
        if (application_) {
            const bool running = std::any_of(applications_.begin(), applications_.end(), [&](const Application& a) {
                return a.sessionId == application_->sessionId;
            });
            if (!running && !applicationEnded(makeError(kCastErrorDomain, kCastErrorApplicationNotRunning,
                                                        "Application is not running", "the application session ended")))
                return;
        }
        if (answersApplicationRequest) continueApplicationRequest();
    } else if (type == "LAUNCH_ERROR" && answersApplicationRequest) {
        const auto reason = stringValue(message, "reason").value_or("");
        failApplicationRequest(reason == "NOT_FOUND" ? kCastErrorApplicationNotFound : kCastErrorInvalidRequest,
                               "Launch failed: " + reason);
    } else if (type == "INVALID_REQUEST" && answersApplicationRequest) {
        failApplicationRequest(kCastErrorInvalidRequest, "Invalid request");
    }
}

void CastV2DeviceManager::continueApplicationRequest() {
    const ApplicationRequest request = *applicationRequest_;
    auto find = [&](auto&& matches) -> const Application* {
        auto it = std::find_if(applications_.begin(), applications_.end(), matches);
        return it == applications_.end() ? nullptr : &*it;
    };
    if (request.join) {
        auto running =
            find([&](const Application& a) { return a.appId == request.appId && a.sessionId == request.sessionId; });
        if (running)
            connectToApplication(*running, /*launched=*/false);
        else
            failApplicationRequest(kCastErrorApplicationNotRunning, "Application is not running");
        return;
    }
    auto running = find([&](const Application& a) { return a.appId == request.appId; });
    if (running && (request.launchSent || !request.relaunchIfRunning)) {
        connectToApplication(*running, /*launched=*/request.launchSent);
        return;
    }
    if (request.launchSent) {
        failApplicationRequest(kCastErrorApplicationNotRunning, "Application is not running");
        return;
    }
    applicationRequest_->launchSent = true;
    applicationRequest_->requestId = sendRequest({{"type", "LAUNCH"}, {"appId", request.appId}});
}

void CastV2DeviceManager::connectToApplication(const Application& application, bool launched) {
    applicationRequest_.reset();
    application_ = application;
    send(application.transportId, kCastConnectionNamespace,
         {{"type", "CONNECT"}, {"origin", Json::object()}, {"userAgent", clientPackageName_}});
    applicationState_ = CastConnectionState::Connected;
    const CastApplicationMetadata metadata{application.appId, application.displayName, application.namespaces};
    if (!tell([&](CastDeviceManagerDelegate& d) { d.deviceManagerDidReceiveApplicationMetadata(*this, metadata); }))
        return;
    tell([&](CastDeviceManagerDelegate& d) {
        d.deviceManagerDidConnectToApplication(*this, metadata, application.sessionId, launched);
    });
}

void CastV2DeviceManager::failApplicationRequest(std::int64_t code, const std::string& description) {
    applicationRequest_.reset();
    applicationState_ = CastConnectionState::Disconnected;
    if (delegate_)
        delegate_->deviceManagerDidFailToConnectToApplication(*this, makeError(kCastErrorDomain, code, description));
}

bool CastV2DeviceManager::applicationEnded(ErrorPtr error) {
    application_.reset();
    applicationState_ = CastConnectionState::Disconnected;
    return tell([&](CastDeviceManagerDelegate& d) { d.deviceManagerDidDisconnectFromApplication(*this, error); });
}

bool CastV2DeviceManager::launchApplication(const std::string& applicationId, bool relaunchIfRunning) {
    if (connectionState_ != CastConnectionState::Connected || applicationRequest_) return false;
    applicationRequest_ = ApplicationRequest{};
    applicationRequest_->appId = applicationId;
    applicationRequest_->relaunchIfRunning = relaunchIfRunning;
    applicationRequest_->requestId = sendRequest({{"type", "GET_STATUS"}});
    applicationState_ = CastConnectionState::Connecting;
    return true;
}

bool CastV2DeviceManager::joinApplication(const std::string& applicationId, const std::string& sessionID) {
    if (connectionState_ != CastConnectionState::Connected || applicationRequest_) return false;
    applicationRequest_ = ApplicationRequest{};
    applicationRequest_->join = true;
    applicationRequest_->appId = applicationId;
    applicationRequest_->sessionId = sessionID;
    applicationRequest_->requestId = sendRequest({{"type", "GET_STATUS"}});
    applicationState_ = CastConnectionState::Connecting;
    return true;
}

bool CastV2DeviceManager::leaveApplication() {
    if (!application_) return false;
    send(application_->transportId, kCastConnectionNamespace, {{"type", "CLOSE"}});
    application_.reset();
    applicationState_ = CastConnectionState::Disconnected;
    report([this](CastDeviceManagerDelegate& delegate) {
        delegate.deviceManagerDidDisconnectFromApplication(*this, nullptr);
    });
    return true;
}

bool CastV2DeviceManager::stopApplication() {
    if (!application_) return false;
    sendRequest({{"type", "STOP"}, {"sessionId", application_->sessionId}});
    return leaveApplication();
}

bool CastV2DeviceManager::setVolume(float level) {
    return sendRequest({{"type", "SET_VOLUME"}, {"volume", {{"level", std::clamp(level, 0.0f, 1.0f)}}}}) != 0;
}

bool CastV2DeviceManager::setMuted(bool muted) {
    return sendRequest({{"type", "SET_VOLUME"}, {"volume", {{"muted", muted}}}}) != 0;
}

bool CastV2DeviceManager::sendTextMessage(const std::string& nameSpace, const std::string& text) {
    return application_ && applicationState_ == CastConnectionState::Connected && socket_ &&
           socket_->send(CastEnvelope{.sourceId = kSenderId,
                                      .destinationId = application_->transportId,
                                      .nameSpace = nameSpace,
                                      .payload = text});
}

}  // namespace movra
