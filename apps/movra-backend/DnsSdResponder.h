// DnsSdResponder: answers DNS-SD queries for the cast service over UDP on one address, announcing the
// emulator's cast receivers. It is the responder that the deployment setting castDiscoveryAddress names, so
// that discovery finds the emulator without multicast.
//
// Thread contract: start(), stop() and destruction belong to the owner's thread; answers go out from a
// thread of its own. The devices announced are fixed at start().
#pragma once

#include "Platform/CastDevice.h"

#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace movra::backend {

class DnsSdResponder {
  public:
    DnsSdResponder(std::string host, int port, std::vector<CastDevice> devices);
    ~DnsSdResponder();
    DnsSdResponder(const DnsSdResponder&) = delete;
    DnsSdResponder& operator=(const DnsSdResponder&) = delete;

    /// Binds; a message saying what failed, or nullopt.
    std::optional<std::string> start();
    void stop();
    /// "host:port" it answers on.
    std::string address() const { return host_ + ":" + std::to_string(port_); }

  private:
    void serve();

    std::string host_;
    int port_;
    std::vector<CastDevice> devices_;
    int socket_ = -1;
    int wake_ = -1;
    std::thread thread_;
};

}  // namespace movra::backend
