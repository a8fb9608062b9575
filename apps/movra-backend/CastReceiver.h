// CastReceiver: an emulated cast receiver device on loopback. It takes TLS connections (its own self-signed
// certificate) that speak the cast protocol v2: virtual connections, heartbeats, the receiver platform
// (status, application availability, launch, stop, volume) and, in the application session it runs, the
// service's receiver application. A fault switch freezes it: it keeps its connections open but stops
// answering, as a receiver that hangs.
//
// Thread contract: start(), stop() and destruction belong to the owner's thread; every other member may be
// called from any thread. Each connection has a thread of its own (CastSocket), the listener one, and a
// ticker moves playback on; one mutex guards the state.
#pragma once

#include "Foundation/Json.h"
#include "Platform/CastDevice.h"
#include "movra-backend/AccountStore.h"
#include "movra-backend/CastReceiverApplication.h"
#include "movra-backend/StreamingSessions.h"

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>

struct ssl_ctx_st;

namespace movra {
class CastSocket;
struct CastEnvelope;
}  // namespace movra

namespace movra::backend {

class CastReceiver {
  public:
    struct Options {
        std::string name = "Movra Receiver";
        std::string model = "Movra Cast Emulator";
        /// Announced identifier; empty: derived from the name.
        std::string deviceId;
        std::string host = "127.0.0.1";
        /// 0 picks a free port.
        int port = 0;
        /// Virtual seconds of playback per real second.
        double speed = 1;
        /// The receiver application it runs.
        std::string applicationId;
        std::string certificateFile;
        std::string keyFile;
    };

    CastReceiver(Options options, AccountStore& accounts, StreamingSessions& sessions);
    ~CastReceiver();
    CastReceiver(const CastReceiver&) = delete;
    CastReceiver& operator=(const CastReceiver&) = delete;

    /// Binds and starts listening; a message saying what failed, or nullopt.
    std::optional<std::string> start();
    void stop();

    int port() const { return port_; }
    const Options& options() const { return options_; }
    std::string deviceId() const;
    /// The receiver as discovery announces it (after a successful start()).
    CastDevice device() const;

    /// A frozen receiver reads but answers nothing, heartbeats included.
    void setFrozen(bool frozen);
    /// Breaks the protocol towards every sender connected, as a faulty receiver would: "oversizedFrame",
    /// "garbledFrame", "malformedJson", "wrongShape" (a receiver status of the wrong shape),
    /// "unknownNamespace" (a well-formed message no sender expects) or "close" (hangs up). False for an
    /// unknown kind.
    bool injectFault(const std::string& kind);
    /// Sends the service's error message on the running application's error namespace.
    bool sendApplicationError(const Json& message);
    /// Device, application session, playback and connections, for the control endpoint.
    Json toJson() const;

  private:
    struct Connection {
        std::unique_ptr<CastSocket> socket;
        /// Virtual connections: sender id -> receiver-side id ("receiver-0" or the transport id).
        std::set<std::pair<std::string, std::string>> virtualConnections;
    };
    struct Session {
        std::string sessionId;
        std::string transportId;
        std::unique_ptr<CastReceiverApplication> application;
    };

    void listen();
    void tick();
    void accepted(int fd);
    void received(std::uint64_t connection, const CastEnvelope& envelope);
    /// Forgets a connection; its socket is handed to `doomed` to be destroyed outside the lock.
    void drop(std::uint64_t connection, std::vector<std::unique_ptr<CastSocket>>& doomed);
    void handleReceiver(std::uint64_t connection, const std::string& sender, const Json& message);
    void sendLocked(std::uint64_t connection, const std::string& source, const std::string& destination,
                    const std::string& nameSpace, const std::string& text);
    /// To every sender with a virtual connection to `endpoint`.
    void broadcastLocked(const std::string& endpoint, const std::string& nameSpace, const std::string& text);
    Json receiverStatusLocked() const;
    void launchLocked();
    /// Ends the application session, telling its senders.
    void stopApplicationLocked();

    Options options_;
    AccountStore& accounts_;
    StreamingSessions& sessions_;
    ssl_ctx_st* context_ = nullptr;
    int listener_ = -1;
    int wake_ = -1;
    int port_ = 0;
    std::thread listenThread_;
    std::thread tickThread_;

    mutable std::mutex mutex_;
    std::condition_variable stopping_;
    bool running_ = false;
    bool frozen_ = false;
    std::uint64_t nextConnection_ = 1;
    std::map<std::uint64_t, Connection> connections_;
    std::optional<Session> session_;
    int nextTransport_ = 1;
    float volume_ = 1;
    bool muted_ = false;
};

}  // namespace movra::backend
