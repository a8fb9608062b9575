// CastSocket: one TLS connection that carries cast protocol frames, for the sender (connect()) and for a
// receiver (accept()). Its own thread connects, does the TLS handshake, writes what send() queued and
// decodes what arrives. The sender encrypts but does not verify the receiver's certificate: receivers
// present self-signed certificates that no authority vouches for.
//
// Thread contract: send(), close() and destruction may be called from any thread. The handlers run on the
// socket's thread, one at a time; after close() none is called any more. `closed` is called at most once,
// when the connection could not be made or ended without close(). Destroying the socket from one of its own
// handlers is allowed.
#pragma once

#include "Platform/CastEnvelope.h"

#include <functional>
#include <memory>
#include <string>

struct ssl_ctx_st;

namespace movra {

class CastSocket {
  public:
    struct Handlers {
        /// The TLS handshake is done.
        std::function<void()> opened;
        std::function<void(CastEnvelope)> message;
        /// Why the connection failed or ended (peer closed it, a malformed frame, an I/O error).
        std::function<void(const std::string& reason)> closed;
    };

    /// Connects to `host`:`port` (numeric or a name) within `timeoutSeconds`.
    static std::unique_ptr<CastSocket> connect(const std::string& host, int port, double timeoutSeconds,
                                               Handlers handlers);
    /// Takes over the accepted socket `fd` and does the server side of the handshake with `context`.
    static std::unique_ptr<CastSocket> accept(int fd, ssl_ctx_st* context, Handlers handlers);

    ~CastSocket();
    CastSocket(const CastSocket&) = delete;
    CastSocket& operator=(const CastSocket&) = delete;

    /// Queues `envelope`; false when the socket is closed or the message is too large for a frame.
    bool send(const CastEnvelope& envelope);
    /// Queues bytes as they are, frame or not (tests of a peer that breaks the protocol).
    bool sendRaw(std::string bytes);
    /// Ends the connection; no handler is called after it returns, unless it was called from one.
    void close();

    class State;

  private:
    explicit CastSocket(std::shared_ptr<State> state) : state_(std::move(state)) {}
    std::shared_ptr<State> state_;
};

}  // namespace movra
