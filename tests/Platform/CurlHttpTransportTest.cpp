// The libcurl transport against a real TLS server on loopback, trusted through the emulator's CA.
#include "Platform/CurlHttpTransport.h"
#include "movra-backend/CertificateAuthority.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <future>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace movra {
namespace {

constexpr auto kWait = std::chrono::seconds(20);

struct Outcome {
    HttpTaskPtr task;
    std::shared_ptr<const HttpResponse> response;
    std::string body;
    ErrorPtr error;
};

/// Collects the completions of a transport's requests and counts every call.
class Completions {
  public:
    HttpTransport::Completion handler() {
        return [this](const HttpTaskPtr& task, std::shared_ptr<const HttpResponse> response, std::string body,
                      ErrorPtr error) {
            std::lock_guard lock(mutex_);
            outcomes_.push_back({task, std::move(response), std::move(body), std::move(error)});
            changed_.notify_all();
        };
    }
    /// Waits until `count` completions arrived; false after the generous timeout.
    bool waitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kWait, [&] { return outcomes_.size() >= count; });
    }
    std::vector<Outcome> outcomes() {
        std::lock_guard lock(mutex_);
        return outcomes_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Outcome> outcomes_;
};

class CurlHttpTransportTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // A peer that went away must not kill the test server with SIGPIPE.
        std::signal(SIGPIPE, SIG_IGN);
        directory_ = std::make_unique<test::TemporaryDirectory>();
        std::string error;
        authority_ = backend::CertificateAuthority::loadOrCreate(directory_->file("tls"), &error);
        ASSERT_TRUE(authority_) << error;
    }
    static void TearDownTestSuite() { directory_.reset(); }

    void SetUp() override {
        server_ = std::make_unique<httplib::SSLServer>(authority_->serverCertificatePath().c_str(),
                                                       authority_->serverKeyPath().c_str());
        ASSERT_TRUE(server_->is_valid());
        server_->set_keep_alive_max_count(1000);
        server_->set_tcp_nodelay(true);
        // Its 5-second defaults drop connections on a loaded machine (sanitizers, parallel builds).
        server_->set_read_timeout(30, 0);
        server_->set_keep_alive_timeout(30);
        auto echo = [this](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard lock(mutex_);
                received_ = req;
            }
            res.set_content(req.method + " " + req.body, "text/plain");
        };
        server_->Get("/echo", echo).Post("/echo", echo).Put("/echo", echo).Delete("/echo", echo);
        server_->Get("/bytes", [](const httplib::Request& req, httplib::Response& res) {
            const auto size = std::stoul(req.get_param_value("n"));
            if (req.has_param("chunked")) {
                res.set_chunked_content_provider("text/plain", [size](std::size_t offset, httplib::DataSink& sink) {
                    if (offset >= size) {
                        sink.done();
                        return true;
                    }
                    const std::string chunk(std::min<std::size_t>(256, size - offset), 'x');
                    return sink.write(chunk.data(), chunk.size());
                });
            } else {
                res.set_content(std::string(size, 'x'), "text/plain");
            }
        });
        server_->Get("/hold", [this](const httplib::Request&, httplib::Response& res) {
            std::unique_lock lock(mutex_);
            ++held_;
            changed_.notify_all();
            changed_.wait_for(lock, kWait, [&] { return released_; });
            res.set_content("late", "text/plain");
        });
        port_ = server_->bind_to_any_port("127.0.0.1");
        ASSERT_GT(port_, 0);
        serverThread_ = std::thread([this] { server_->listen_after_bind(); });
        auto deadline = std::chrono::steady_clock::now() + kWait;
        while (!server_->is_running() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
        ASSERT_TRUE(server_->is_running());
    }

    void TearDown() override {
        {
            std::lock_guard lock(mutex_);
            released_ = true;
        }
        changed_.notify_all();
        if (server_) server_->stop();
        if (serverThread_.joinable()) serverThread_.join();
    }

    std::string url(const std::string& path) const { return "https://127.0.0.1:" + std::to_string(port_) + path; }

    std::unique_ptr<CurlHttpTransport> trustingTransport() {
        HttpTransportOptions options;
        options.caFile = authority_->caCertificatePath();
        return std::make_unique<CurlHttpTransport>(options);
    }

    static HttpRequest get(std::string url, double timeoutSeconds = 60) {
        HttpRequest request;
        request.url = std::move(url);
        request.timeoutSeconds = timeoutSeconds;
        return request;
    }

    static Outcome perform(HttpTransport& transport, HttpRequest request) {
        Completions completions;
        transport.dataTask(std::move(request), completions.handler());
        EXPECT_TRUE(completions.waitFor(1));
        return completions.outcomes().at(0);
    }

    /// Waits until the server holds `count` requests in /hold.
    bool waitForHeld(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kWait, [&] { return held_ >= count; });
    }

    httplib::Request lastRequest() {
        std::lock_guard lock(mutex_);
        return received_;
    }

    static inline std::unique_ptr<test::TemporaryDirectory> directory_;
    static inline std::optional<backend::CertificateAuthority> authority_;
    std::unique_ptr<httplib::SSLServer> server_;
    std::thread serverThread_;
    int port_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    httplib::Request received_;
    int held_ = 0;
    bool released_ = false;
};

TEST_F(CurlHttpTransportTest, RequestsArriveIntactWithOnlyTheCallersHeadersOverOneConnection) {
    // 2 MB is past the size at which curl would otherwise announce "Expect: 100-continue".
    const std::string large(2 * 1024 * 1024, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {"GET", ""}, {"POST", "a=1&b=%20"}, {"POST", large}, {"PUT", "<x/>"}, {"DELETE", ""},
    };
    auto transport = trustingTransport();
    for (const auto& [method, body] : cases) {
        SCOPED_TRACE(method + " with " + std::to_string(body.size()) + " bytes");
        HttpRequest request = get(url("/echo?language=en_mvtk&x=%2F"));
        request.method = method;
        request.body = body;
        request.headers = {{"X-Repeat", "one"}, {"X-Repeat", "two"}, {"X-Empty", ""}, {"Authorization", "Basic dTpw"}};
        Outcome outcome = perform(*transport, request);
        ASSERT_EQ(outcome.error, nullptr) << outcome.error->summary();
        EXPECT_EQ(outcome.body, method + " " + body);  // the server echoes what it received

        httplib::Request received = lastRequest();
        EXPECT_EQ(received.get_param_value("language"), "en_mvtk");
        EXPECT_EQ(received.get_header_value("X-Repeat", 0), "one");
        EXPECT_EQ(received.get_header_value("X-Repeat", 1), "two");
        EXPECT_EQ(received.get_header_value("Authorization"), "Basic dTpw");
        for (const char* unasked : {"Accept", "Expect", "Content-Type", "User-Agent", "Transfer-Encoding"})
            EXPECT_FALSE(received.has_header(unasked)) << unasked;
    }
    // One after the other, the requests share one connection.
    EXPECT_EQ(transport->connectionsOpened(), 1);
}

// The cases where the transport thread meets callers on other threads.
class CurlHttpTransportConcurrencyTest : public CurlHttpTransportTest {};

TEST_F(CurlHttpTransportConcurrencyTest, CancelOrDestroyCompletesARunningTransferOnceWithCancelled) {
    for (bool destroy : {false, true}) {
        SCOPED_TRACE(destroy ? "transport destroyed" : "task cancelled");
        auto transport = trustingTransport();
        Completions completions;
        HttpTaskPtr task = transport->dataTask(get(url("/hold")), completions.handler());
        ASSERT_TRUE(waitForHeld(destroy ? 2 : 1));
        if (!destroy) {
            std::thread([task] { task->cancel(); }).join();
            task->cancel();  // a second cancel changes nothing
            ASSERT_TRUE(completions.waitFor(1));
        }
        transport.reset();  // joins the transport thread: every completion has run

        auto outcomes = completions.outcomes();
        ASSERT_EQ(outcomes.size(), 1u);
        EXPECT_TRUE(outcomes[0].error->is(kURLErrorDomain, kURLErrorCancelled));
        EXPECT_EQ(task->state(), HttpTask::State::Completed);
    }
}

TEST_F(CurlHttpTransportTest, TransportFailuresMapToUrlErrors) {
    // Bound but not listening: connecting is refused at once, whatever else runs on the machine.
    int closedSocket = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(closedSocket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(getsockname(closedSocket, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string refused = "https://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";

    struct Case {
        std::string name;
        std::string url;
        bool trustCa;
        std::int64_t code;
        double timeoutSeconds = 60;
    };
    const std::vector<Case> cases = {
        {"untrusted certificate", url("/echo"), false, kURLErrorServerCertificateUntrusted},
        {"short timeout", url("/hold"), true, kURLErrorTimedOut, 0.3},
        {"refused port", refused, true, kURLErrorCannotConnectToHost},
        {"unsupported scheme", "ftp://127.0.0.1/file", true, kURLErrorUnsupportedURL},
        {"malformed URL", "https://127.0.0.1/with space", true, kURLErrorBadURL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto transport = c.trustCa ? trustingTransport() : std::make_unique<CurlHttpTransport>();
        Outcome outcome = perform(*transport, get(c.url, c.timeoutSeconds));
        ASSERT_NE(outcome.error, nullptr);
        EXPECT_TRUE(outcome.error->is(kURLErrorDomain, c.code)) << outcome.error->summary();
        EXPECT_EQ(outcome.response, nullptr);
    }
    close(closedSocket);
}

TEST_F(CurlHttpTransportTest, AnswersLongerThanTheLimitFailWhetherTheirLengthIsDeclaredOrNot) {
    HttpTransportOptions options;
    options.caFile = authority_->caCertificatePath();
    options.maxResponseBytes = 1000;
    CurlHttpTransport transport(options);
    struct Case {
        const char* query;
        bool fits;
    };
    // The last row shows that a handle that stopped a long answer serves the next request whole.
    for (const Case& c : {Case{"n=1000", true}, Case{"n=1001", false}, Case{"n=5000&chunked=1", false},
                          Case{"n=1000&chunked=1", true}}) {
        SCOPED_TRACE(c.query);
        Outcome outcome = perform(transport, get(url(std::string("/bytes?") + c.query)));
        if (c.fits) {
            ASSERT_FALSE(outcome.error) << outcome.error->summary();
            EXPECT_EQ(outcome.body.size(), 1000u);
        } else {
            ASSERT_TRUE(outcome.error);
            EXPECT_TRUE(outcome.error->is(kURLErrorDomain, kURLErrorDataLengthExceedsMaximum))
                << outcome.error->summary();
            EXPECT_EQ(outcome.response, nullptr);
        }
    }
}

TEST_F(CurlHttpTransportConcurrencyTest, LastReferenceReleasedInsideACompletionDoesNotDeadlock) {
    std::shared_ptr<CurlHttpTransport> transport = trustingTransport();
    std::weak_ptr<CurlHttpTransport> weak = transport;
    std::promise<void> done;
    transport->dataTask(get(url("/hold")),
                        [&done, keep = transport](const HttpTaskPtr&, auto, std::string, ErrorPtr) mutable {
                            keep.reset();  // destroys the transport on its own thread
                            done.set_value();
                        });
    ASSERT_TRUE(waitForHeld(1));
    transport.reset();
    {
        std::lock_guard lock(mutex_);
        released_ = true;
    }
    changed_.notify_all();
    ASSERT_EQ(done.get_future().wait_for(kWait), std::future_status::ready);
    EXPECT_TRUE(weak.expired());
}

}  // namespace
}  // namespace movra
