#include "movra-backend/DnsSdResponder.h"

#include "Foundation/Log.h"
#include "Platform/DnsSdMessage.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace movra::backend {

DnsSdResponder::DnsSdResponder(std::string host, int port, std::vector<CastDevice> devices)
    : host_(std::move(host)), port_(port), devices_(std::move(devices)) {}

DnsSdResponder::~DnsSdResponder() { stop(); }

std::optional<std::string> DnsSdResponder::start() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    if (inet_pton(AF_INET, host_.c_str(), &address.sin_addr) != 1)
        return "DNS-SD responder: " + host_ + " is not an IPv4 address";
    socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    socklen_t length = sizeof address;
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return "DNS-SD responder: cannot bind " + host_ + ":" + std::to_string(port_);
    port_ = ntohs(address.sin_port);
    wake_ = eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this] { serve(); });
    return std::nullopt;
}

void DnsSdResponder::stop() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(wake_, &one, sizeof one);
        thread_.join();
    }
    for (int* fd : {&socket_, &wake_}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

void DnsSdResponder::serve() {
    char buffer[9000];
    for (;;) {
        pollfd fds[2] = {{socket_, POLLIN, 0}, {wake_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
        if (fds[1].revents) return;
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t size = ::recvfrom(socket_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        if (size <= 0) continue;
        const std::string answer =
            DnsSdMessage::makeResponse(std::string_view(buffer, static_cast<std::size_t>(size)), devices_);
        if (answer.empty()) {
            Log::debug("DNS-SD responder: a packet that asks for no cast receiver ignored");
            continue;
        }
        ::sendto(socket_, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
    }
}

}  // namespace movra::backend
