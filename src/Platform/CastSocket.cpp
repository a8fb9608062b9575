// This file implements the cast socket: a thread per connection with non-blocking TLS over a TCP socket,
// woken by an eventfd when there is something to send or the owner closes it.
#include "Platform/CastSocket.h"

#include "Foundation/Crypto.h"
#include "Platform/CastFrameCodec.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <chrono>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace movra {

namespace {
/// The socket whose pump runs on this thread: a handler's answer is written at once.
thread_local const void* pumpingSocket = nullptr;
}  // namespace

class CastSocket::State {
  public:
    State(Handlers handlers, int fd) : handlers_(std::move(handlers)), fd_(fd), wake_(eventfd(0, EFD_NONBLOCK)) {}
    ~State() {
        if (ssl_) SSL_free(ssl_);
        if (ownContext_) SSL_CTX_free(ownContext_);
        if (fd_ >= 0) ::close(fd_);
        if (wake_ >= 0) ::close(wake_);
    }

    void runClient(const std::string& host, int port, double timeoutSeconds);
    void runServer(ssl_ctx_st* context);
    bool queue(std::string frame);
    void close();
    bool onOwnThread() const { return std::this_thread::get_id() == thread.get_id(); }

    std::thread thread;

  private:
    using Clock = std::chrono::steady_clock;

    bool isClosing() {
        std::lock_guard lock(mutex_);
        return closing_;
    }
    void wake() {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(wake_, &one, sizeof one);
    }
    /// Calls a handler unless the owner closed the socket.
    template <class Call>
    void call(Call&& handlerCall) {
        std::lock_guard lock(callMutex_);
        if (!isClosing()) handlerCall();
    }
    /// Waits until the socket is ready for `events`; false on close(), timeout or error.
    bool waitFor(short events, Clock::time_point deadline);
    std::string connectTcp(const std::string& host, int port, Clock::time_point deadline);
    std::string handshake(bool client, Clock::time_point deadline);
    std::string pump();
    /// Writes what is queued; an error text, or empty.
    std::string flush(bool& wantWrite);
    void finish(const std::string& error);

    Handlers handlers_;
    int fd_;
    int wake_;
    SSL* ssl_ = nullptr;
    SSL_CTX* ownContext_ = nullptr;
    std::mutex mutex_;
    bool closing_ = false;           // guarded by mutex_
    std::deque<std::string> queue_;  // guarded by mutex_
    std::size_t written_ = 0;        // bytes of queue_.front() already written; socket thread only
    std::recursive_mutex callMutex_;
    CastFrameCodec codec_;
};

namespace {

void blockSigpipe() {
    // A write to a peer that went away must fail with EPIPE, not end the process.
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void noDelay(int fd) {
    // Messages are small and answered at once: waiting to fill a segment only adds the peer's delayed ACK.
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

}  // namespace

bool CastSocket::State::waitFor(short events, Clock::time_point deadline) {
    for (;;) {
        if (isClosing()) return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd fds[2] = {{fd_, events, 0}, {wake_, POLLIN, 0}};
        if (::poll(fds, 2, static_cast<int>(left)) < 0 && errno != EINTR) return false;
        if (fds[1].revents & POLLIN) {
            std::uint64_t value;
            [[maybe_unused]] auto got = ::read(wake_, &value, sizeof value);
        }
        if (fds[0].revents) return true;
    }
}

std::string CastSocket::State::connectTcp(const std::string& host, int port, Clock::time_point deadline) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || !found)
        return "cannot resolve " + host;
    std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> addresses(found, freeaddrinfo);
    fd_ = ::socket(found->ai_family, found->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, found->ai_protocol);
    if (fd_ < 0) return "cannot create a socket";
    noDelay(fd_);
    if (::connect(fd_, found->ai_addr, found->ai_addrlen) != 0) {
        if (errno != EINPROGRESS) return "cannot connect to " + host + ":" + std::to_string(port);
        if (!waitFor(POLLOUT, deadline)) return "connecting to " + host + ":" + std::to_string(port) + " timed out";
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            return "cannot connect to " + host + ":" + std::to_string(port);
    }
    return {};
}

std::string CastSocket::State::handshake(bool client, Clock::time_point deadline) {
    for (;;) {
        const int result = client ? SSL_connect(ssl_) : SSL_accept(ssl_);
        if (result == 1) return {};
        const int error = SSL_get_error(ssl_, result);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) return openSslError("TLS handshake failed");
        if (!waitFor(error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, deadline)) return "TLS handshake timed out";
    }
}

std::string CastSocket::State::flush(bool& wantWrite) {
    wantWrite = false;
    for (;;) {
        std::string* front = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) return {};
            front = &queue_.front();  // only this thread pops, so the element stays put
        }
        const int result = SSL_write(ssl_, front->data() + written_, static_cast<int>(front->size() - written_));
        if (result > 0) {
            written_ += static_cast<std::size_t>(result);
            if (written_ == front->size()) {
                std::lock_guard lock(mutex_);
                queue_.pop_front();
                written_ = 0;
            }
            continue;
        }
        const int error = SSL_get_error(ssl_, result);
        if (error == SSL_ERROR_WANT_WRITE) {
            wantWrite = true;
            return {};
        }
        if (error == SSL_ERROR_WANT_READ) return {};
        return openSslError("write failed");
    }
}

std::string CastSocket::State::pump() {
    char buffer[16 * 1024];
    bool wantWrite = false;
    pumpingSocket = this;
    struct Unmark {
        ~Unmark() { pumpingSocket = nullptr; }
    } unmark;
    for (;;) {
        if (auto error = flush(wantWrite); !error.empty()) return error;
        for (;;) {
            const int result = SSL_read(ssl_, buffer, sizeof buffer);
            if (result > 0) {
                std::vector<CastEnvelope> messages;
                auto error = codec_.feed(std::string_view(buffer, static_cast<std::size_t>(result)), messages);
                for (auto& message : messages) call([&] { handlers_.message(std::move(message)); });
                if (error) return *error;
                continue;
            }
            const int code = SSL_get_error(ssl_, result);
            if (code == SSL_ERROR_WANT_READ) break;
            if (code == SSL_ERROR_WANT_WRITE) {
                wantWrite = true;
                break;
            }
            if (code == SSL_ERROR_ZERO_RETURN) return "connection closed by the peer";
            if (code == SSL_ERROR_SYSCALL && ERR_peek_error() == 0) {
                ERR_clear_error();
                return "connection closed by the peer";
            }
            return openSslError("read failed");
        }
        if (isClosing()) break;
        pollfd fds[2] = {{fd_, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0}, {wake_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) return "poll failed";
        if (fds[1].revents & POLLIN) {
            std::uint64_t value;
            [[maybe_unused]] auto got = ::read(wake_, &value, sizeof value);
        }
        if (isClosing()) break;
    }
    // Closing: what the owner queued last (a goodbye) still goes out when the socket takes it now.
    flush(wantWrite);
    return {};
}

void CastSocket::State::finish(const std::string& error) {
    if (!error.empty()) {
        {
            std::lock_guard lock(mutex_);
            if (closing_) return;
        }
        call([&] { handlers_.closed(error); });
    } else if (ssl_) {
        SSL_shutdown(ssl_);
    }
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
}

void CastSocket::State::runClient(const std::string& host, int port, double timeoutSeconds) {
    blockSigpipe();
    const auto deadline = Clock::now() + std::chrono::milliseconds(static_cast<long>(timeoutSeconds * 1000));
    std::string error = connectTcp(host, port, deadline);
    if (error.empty()) {
        ownContext_ = SSL_CTX_new(TLS_client_method());
        if (ownContext_) {
            SSL_CTX_set_min_proto_version(ownContext_, TLS1_2_VERSION);
            // Receivers' certificates are self-signed: the link is encrypted, not authenticated.
            SSL_CTX_set_verify(ownContext_, SSL_VERIFY_NONE, nullptr);
            ssl_ = SSL_new(ownContext_);
        }
        if (!ssl_ || SSL_set_fd(ssl_, fd_) != 1) error = openSslError("cannot set up TLS");
    }
    if (error.empty()) {
        SSL_set_mode(ssl_, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
        error = handshake(/*client=*/true, deadline);
    }
    if (error.empty()) {
        call([&] { handlers_.opened(); });
        error = pump();
    }
    if (isClosing()) error.clear();
    finish(error);
}

void CastSocket::State::runServer(ssl_ctx_st* context) {
    blockSigpipe();
    std::string error;
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK);
    noDelay(fd_);
    ssl_ = SSL_new(context);
    if (!ssl_ || SSL_set_fd(ssl_, fd_) != 1) error = openSslError("cannot set up TLS");
    if (error.empty()) {
        SSL_set_mode(ssl_, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
        error = handshake(/*client=*/false, Clock::now() + std::chrono::seconds(10));
    }
    if (error.empty()) {
        call([&] { handlers_.opened(); });
        error = pump();
    }
    if (isClosing()) error.clear();
    finish(error);
}

bool CastSocket::State::queue(std::string frame) {
    {
        std::lock_guard lock(mutex_);
        if (closing_) return false;
        queue_.push_back(std::move(frame));
    }
    // From a handler, the answer leaves now rather than after the next read and poll; what the socket does
    // not take now is left to the pump.
    if (pumpingSocket == this) {
        bool wantWrite = false;
        if (flush(wantWrite).empty()) {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) return true;
        }
    }
    wake();
    return true;
}

void CastSocket::State::close() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    wake();
    // Waits for a handler under way, unless this is that handler.
    std::lock_guard lock(callMutex_);
}

std::unique_ptr<CastSocket> CastSocket::connect(const std::string& host, int port, double timeoutSeconds,
                                                Handlers handlers) {
    auto state = std::make_shared<State>(std::move(handlers), -1);
    state->thread = std::thread([state, host, port, timeoutSeconds] { state->runClient(host, port, timeoutSeconds); });
    return std::unique_ptr<CastSocket>(new CastSocket(state));
}

std::unique_ptr<CastSocket> CastSocket::accept(int fd, ssl_ctx_st* context, Handlers handlers) {
    auto state = std::make_shared<State>(std::move(handlers), fd);
    SSL_CTX_up_ref(context);
    state->thread = std::thread([state, context] {
        state->runServer(context);
        SSL_CTX_free(context);
    });
    return std::unique_ptr<CastSocket>(new CastSocket(state));
}

CastSocket::~CastSocket() {
    state_->close();
    if (state_->onOwnThread())
        state_->thread.detach();
    else if (state_->thread.joinable())
        state_->thread.join();
}

bool CastSocket::send(const CastEnvelope& envelope) {
    std::string frame = CastFrameCodec::encode(envelope);
    return !frame.empty() && state_->queue(std::move(frame));
}

bool CastSocket::sendRaw(std::string bytes) { return state_->queue(std::move(bytes)); }

void CastSocket::close() { state_->close(); }

}  // namespace movra
