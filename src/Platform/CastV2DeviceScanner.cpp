// This file implements cast receiver discovery: DNS-SD queries on a timer, answers read on a thread, and an
// availability question to each receiver found.
#include "Platform/CastV2DeviceScanner.h"

#include "Foundation/Json.h"
#include "Foundation/Log.h"
#include "Platform/CastSocket.h"
#include "Platform/CastV2DeviceManager.h"
#include "Platform/DnsSdMessage.h"
#include "Platform/Platform.h"

#include <algorithm>
#include <arpa/inet.h>
#include <charconv>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace movra {

namespace {

constexpr const char* kMulticastGroup = "224.0.0.251";
constexpr int kMulticastPort = 5353;

}  // namespace

CastV2DeviceScanner::CastV2DeviceScanner(FilterCriteria criteria, Options options)
    : criteria_(std::move(criteria)), options_(std::move(options)) {}

CastV2DeviceScanner::~CastV2DeviceScanner() { stopScan(); }

std::optional<std::pair<std::string, int>> CastV2DeviceScanner::parseAddress(const std::string& address) {
    const auto colon = address.rfind(':');
    if (colon == std::string::npos || colon == 0) return std::nullopt;
    int port = 0;
    const char* end = address.data() + address.size();
    auto [rest, error] = std::from_chars(address.data() + colon + 1, end, port);
    if (error != std::errc() || rest != end || port < 1 || port > 65535) return std::nullopt;
    return std::pair{address.substr(0, colon), port};
}

void CastV2DeviceScanner::addListener(CastDeviceScannerListener* listener) {
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) listeners_.push_back(listener);
}

void CastV2DeviceScanner::removeListener(CastDeviceScannerListener* listener) { std::erase(listeners_, listener); }

std::vector<CastDevice> CastV2DeviceScanner::devices() const {
    std::vector<CastDevice> online;
    for (const auto& id : order_)
        if (auto it = known_.find(id); it != known_.end() && it->second.online) online.push_back(it->second.device);
    return online;
}

void CastV2DeviceScanner::startScan() {
    if (scanning_) return;
    scanning_ = true;
    socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (socket_ < 0 || wake_ < 0) {
        Log::error("Cast discovery: cannot open a socket");
    } else {
        reader_ = std::thread([this, loop = Platform::current().mainQueue().handle()] { receive(loop); });
    }
    timer_ =
        Platform::current().mainQueue().scheduleTimer(kQueryInterval, /*repeats=*/true, [this](Timer&) { query(); });
    query();
}

void CastV2DeviceScanner::stopScan() {
    if (!scanning_) return;
    scanning_ = false;
    if (timer_) timer_->invalidate();
    timer_.reset();
    if (wake_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(wake_, &one, sizeof one);
    }
    if (reader_.joinable()) reader_.join();
    for (int* fd : {&socket_, &wake_}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
    checks_.clear();
}

void CastV2DeviceScanner::query() {
    ++round_;
    std::vector<std::string> gone;
    for (auto& [id, known] : known_)
        if (known.lastSeenRound > 0 && round_ - known.lastSeenRound > kOfflineAfterQueries) gone.push_back(id);
    for (const auto& id : gone) {
        Known known = known_[id];
        known_.erase(id);
        std::erase(order_, id);
        checks_.erase(id);
        if (known.online)
            for (auto* listener : std::vector(listeners_)) listener->deviceDidGoOffline(known.device);
    }

    if (socket_ >= 0) {
        std::string target = kMulticastGroup;
        int port = kMulticastPort;
        if (!options_.discoveryAddress.empty()) {
            auto address = parseAddress(options_.discoveryAddress);
            if (!address) {
                Log::error("Cast discovery: \"{}\" is not HOST:PORT", options_.discoveryAddress);
                return;
            }
            std::tie(target, port) = *address;
        }
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<std::uint16_t>(port));
        const std::string packet = DnsSdMessage::makeQuery(nextQueryId_++);
        if (inet_pton(AF_INET, target.c_str(), &to.sin_addr) != 1 ||
            ::sendto(socket_, packet.data(), packet.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0)
            Log::warning("Cast discovery: cannot send the query to {}:{}", target, port);
    }

    std::vector<CastDevice> listed;
    for (const auto& entry : options_.devices) {
        auto address = parseAddress(entry);
        if (!address) {
            Log::error("Cast discovery: configured receiver \"{}\" is not HOST:PORT", entry);
            continue;
        }
        CastDevice device;
        device.deviceID = device.friendlyName = entry;
        device.ipAddress = address->first;
        device.servicePort = address->second;
        listed.push_back(std::move(device));
    }
    if (!listed.empty()) found(listed);
}

void CastV2DeviceScanner::receive(const RunLoopHandle& loop) {
    std::weak_ptr<int> alive = alive_;
    char buffer[9000];
    for (;;) {
        pollfd fds[2] = {{socket_, POLLIN, 0}, {wake_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
        if (fds[1].revents) return;
        const ssize_t size = ::recv(socket_, buffer, sizeof buffer, 0);
        if (size <= 0) continue;
        std::string error;
        auto devices = DnsSdMessage::parseResponse(std::string_view(buffer, static_cast<std::size_t>(size)), &error);
        if (!devices) {
            Log::warning("Cast discovery: answer ignored: {}", error);
            continue;
        }
        loop.post([this, alive, devices = std::move(*devices)] {
            if (alive.lock() && scanning_) found(devices);
        });
    }
}

void CastV2DeviceScanner::found(const std::vector<CastDevice>& devices) {
    for (const auto& device : devices) {
        auto [it, added] = known_.try_emplace(device.deviceID);
        Known& known = it->second;
        known.lastSeenRound = round_;
        if (added) {
            order_.push_back(device.deviceID);
            known.device = device;
        } else if (known.device.address() != device.address()) {
            known.device.ipAddress = device.ipAddress;
            known.device.servicePort = device.servicePort;
        }
        if (!known.checked && !checks_.contains(device.deviceID)) checkAvailability(device.deviceID);
    }
}

void CastV2DeviceScanner::checkAvailability(const std::string& deviceID) {
    const CastDevice& device = known_[deviceID].device;
    if (criteria_.applicationId.empty()) {
        availabilityAnswered(deviceID, false);
        return;
    }
    auto loop = Platform::current().mainQueue().handle();
    std::weak_ptr<int> alive = alive_;
    auto post = [loop, alive, this, deviceID](std::function<void(CastSocket&)> task) {
        loop.post([alive, this, deviceID, task = std::move(task)] {
            if (!alive.lock()) return;
            if (auto it = checks_.find(deviceID); it != checks_.end()) task(*it->second);
        });
    };
    const std::string appId = criteria_.applicationId;
    CastSocket::Handlers handlers;
    handlers.opened = [post, appId] {
        post([appId](CastSocket& socket) {
            auto send = [&](const char* nameSpace, const Json& message) {
                socket.send(CastEnvelope{.sourceId = "sender-0",
                                         .destinationId = "receiver-0",
                                         .nameSpace = nameSpace,
                                         .payload = message.dump()});
            };
            send(kCastConnectionNamespace, {{"type", "CONNECT"}, {"origin", Json::object()}});
            send(kCastReceiverNamespace, {{"type", "GET_APP_AVAILABILITY"}, {"requestId", 1}, {"appId", {appId}}});
        });
    };
    handlers.message = [post, this, deviceID, appId](CastEnvelope envelope) {
        if (envelope.nameSpace != kCastReceiverNamespace) return;
        const Json message = Json::parse(envelope.payload, nullptr, /*allow_exceptions=*/false);
        const auto kind = stringValue(message, "responseType").value_or(stringValue(message, "type").value_or(""));
        if (kind != "GET_APP_AVAILABILITY") return;
        const bool available = message.contains("availability") && message["availability"].is_object() &&
                               stringValue(message["availability"], appId) == "APP_AVAILABLE";
        post([this, deviceID, available](CastSocket&) { availabilityAnswered(deviceID, available); });
    };
    handlers.closed = [post, this, deviceID](const std::string& reason) {
        Log::warning("Cast discovery: cannot ask {} about its applications: {}", deviceID, reason);
        post([this, deviceID](CastSocket&) { availabilityAnswered(deviceID, false); });
    };
    checks_[deviceID] =
        CastSocket::connect(device.ipAddress, device.servicePort, kAvailabilityTimeout, std::move(handlers));
}

void CastV2DeviceScanner::availabilityAnswered(const std::string& deviceID, bool available) {
    // Destroyed after this task: the task that called here still holds a reference to the socket.
    if (auto it = checks_.find(deviceID); it != checks_.end()) {
        std::shared_ptr<CastSocket> done(std::move(it->second));
        checks_.erase(it);
        Platform::current().mainQueue().post([done] {});
    }
    auto it = known_.find(deviceID);
    if (it == known_.end()) return;
    Known& known = it->second;
    known.checked = true;
    known.device.applicationAvailable = available;
    if (known.online || (criteria_.requireAvailable && !available)) return;
    known.online = true;
    for (auto* listener : std::vector(listeners_)) listener->deviceDidComeOnline(known.device);
}

}  // namespace movra
