// This file implements CurlHttpTransport: requests are handed to the transport thread through a locked
// inbox and one curl_multi_wakeup; the thread owns the multi handle, every easy handle and every completion
// call, so libcurl itself is never touched from two threads.
#include "Platform/CurlHttpTransport.h"

#include "Foundation/Log.h"
#include "Foundation/Strings.h"
#include "Foundation/Url.h"

#include <curl/curl.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <ifaddrs.h>
#include <map>
#include <mutex>
#include <net/if.h>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace movra {

namespace {

struct X509Free {
    void operator()(X509* cert) const { X509_free(cert); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;

// Longer than this to set up a connection means the host is not going to answer.
constexpr long kMaxConnectTimeoutMs = 30'000;
constexpr long kMaxConnectionsPerHost = 4;
constexpr int kBusyPollMs = 5;
constexpr int kIdlePollMs = 1000;
// Easy handles kept for the next requests: setting one up costs more than the request itself on a
// kept-alive connection.
constexpr std::size_t kMaxIdleHandles = 8;

/// One request in flight, owned by the transport thread once it has left the inbox.
struct Transfer {
    HttpTaskPtr task;
    HttpTransport::Completion completion;
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    std::vector<std::pair<std::string, std::string>> responseHeaders;
    std::string body;
    std::size_t maxBodyBytes = 0;
    bool bodyTooLong = false;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    Transfer(HttpTaskPtr t, HttpTransport::Completion c) : task(std::move(t)), completion(std::move(c)) {}
    ~Transfer() {
        if (easy) curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
};

bool curlInitialized() {
    static const bool initialized = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return initialized;
}

void readAuthorities(const std::string& path, std::vector<X509Ptr>& certificates) {
    const auto before = certificates.size();
    if (BIO* bio = BIO_new_file(path.c_str(), "r")) {
        while (X509* cert = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr)) certificates.emplace_back(cert);
        BIO_free(bio);
    }
    // Reading stops with an end-of-file error on the queue; it must not surface in a later TLS failure.
    ERR_clear_error();
    if (certificates.size() == before) Log::error("No certificate authority could be read from {}", path);
}

/// The system's authorities and those of `path`, read once: with an extra authority curl cannot keep its
/// own store between connections, and reading the system's file for each one costs more than the request.
std::vector<X509Ptr> loadAuthorities(const std::string& path) {
    std::vector<X509Ptr> certificates;
    if (path.empty()) return certificates;
    readAuthorities(path, certificates);
    if (certificates.empty()) return certificates;
    CURL* probe = curlInitialized() ? curl_easy_init() : nullptr;
    const char* system = nullptr;
    if (probe && curl_easy_getinfo(probe, CURLINFO_CAINFO, &system) == CURLE_OK && system)
        readAuthorities(system, certificates);
    if (probe) curl_easy_cleanup(probe);
    return certificates;
}

bool hasNetworkInterfaceUp() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return true;  // unknown: do not claim to be offline
    bool found = false;
    for (ifaddrs* i = list; i && !found; i = i->ifa_next) {
        found = i->ifa_addr && (i->ifa_addr->sa_family == AF_INET || i->ifa_addr->sa_family == AF_INET6) &&
                (i->ifa_flags & IFF_UP) && !(i->ifa_flags & IFF_LOOPBACK);
    }
    freeifaddrs(list);
    return found;
}

std::string describe(std::int64_t code) {
    switch (code) {
        case kURLErrorCancelled:
            return "The request was cancelled.";
        case kURLErrorBadURL:
            return "The URL is not valid.";
        case kURLErrorTimedOut:
            return "The request timed out.";
        case kURLErrorUnsupportedURL:
            return "The URL's scheme is not supported.";
        case kURLErrorCannotFindHost:
            return "A server with the specified hostname could not be found.";
        case kURLErrorCannotConnectToHost:
            return "Could not connect to the server.";
        case kURLErrorNetworkConnectionLost:
            return "The network connection was lost.";
        case kURLErrorNotConnectedToInternet:
            return "The Internet connection appears to be offline.";
        case kURLErrorSecureConnectionFailed:
            return "A TLS error has occurred and a secure connection to the server cannot be made.";
        case kURLErrorServerCertificateUntrusted:
            return "The certificate for this server is invalid.";
        case kURLErrorDataLengthExceedsMaximum:
            return "The resource exceeds the maximum size.";
        default:
            return "An unknown network error occurred.";
    }
}

ErrorPtr urlError(std::int64_t code, std::string reason = {}) {
    return makeError(kURLErrorDomain, code, describe(code), std::move(reason));
}

std::int64_t urlErrorCode(CURLcode code, const std::string& url) {
    switch (code) {
        case CURLE_UNSUPPORTED_PROTOCOL:
            return kURLErrorUnsupportedURL;
        case CURLE_URL_MALFORMAT:
            return kURLErrorBadURL;
        case CURLE_OPERATION_TIMEDOUT:
            return kURLErrorTimedOut;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT: {
            auto parsed = Url::parse(url);
            if (!hasNetworkInterfaceUp() && !(parsed && isLoopbackHost(parsed->host())))
                return kURLErrorNotConnectedToInternet;
            return code == CURLE_COULDNT_CONNECT ? kURLErrorCannotConnectToHost : kURLErrorCannotFindHost;
        }
        case CURLE_GOT_NOTHING:
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_PARTIAL_FILE:
        case CURLE_HTTP2:
        case CURLE_HTTP2_STREAM:
            return kURLErrorNetworkConnectionLost;
        case CURLE_PEER_FAILED_VERIFICATION:
            return kURLErrorServerCertificateUntrusted;
        case CURLE_FILESIZE_EXCEEDED:
            return kURLErrorDataLengthExceedsMaximum;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_ENGINE_NOTFOUND:
        case CURLE_SSL_ENGINE_SETFAILED:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_ENGINE_INITFAILED:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_SHUTDOWN_FAILED:
        case CURLE_SSL_CRL_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
        case CURLE_SSL_CLIENTCERT:
        case CURLE_USE_SSL_FAILED:
            return kURLErrorSecureConnectionFailed;
        default:
            return kURLErrorUnknown;
    }
}

std::size_t onHeaderLine(char* data, std::size_t size, std::size_t count, void* user) {
    auto& headers = static_cast<Transfer*>(user)->responseHeaders;
    std::string_view line(data, size * count);
    if (startsWith(line, "HTTP/")) {
        // A new status line: only the last block (after 1xx answers) describes the response.
        headers.clear();
    } else if (startsWith(line, " ") || startsWith(line, "\t")) {
        if (!headers.empty()) headers.back().second += " " + trim(line);
    } else if (auto colon = line.find(':'); colon != std::string_view::npos) {
        headers.emplace_back(std::string(line.substr(0, colon)), trim(line.substr(colon + 1)));
    }
    return size * count;
}

std::size_t onBodyData(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    if (transfer->body.size() + size * count > transfer->maxBodyBytes) {
        transfer->bodyTooLong = true;
        return 0;  // libcurl ends the transfer with CURLE_WRITE_ERROR
    }
    transfer->body.append(data, size * count);
    return size * count;
}

// A transport released on its own thread cannot join that thread, which still tears down the connections.
// It is joined when the process exits, before libcurl's and OpenSSL's clean-up: this list is made after
// those were set up, so it is destroyed first. Left running, the thread could use locks OpenSSL frees.
void joinAtExit(std::jthread thread) {
    static std::mutex mutex;
    static std::vector<std::jthread> threads;  // a jthread joins when destroyed
    std::lock_guard lock(mutex);
    threads.push_back(std::move(thread));
}

}  // namespace

class CurlHttpTransport::Impl : public std::enable_shared_from_this<Impl> {
  public:
    explicit Impl(const HttpTransportOptions& options)
        : defaultTimeoutSeconds_(options.defaultTimeoutSeconds),
          maxResponseBytes_(options.maxResponseBytes),
          authorities_(loadAuthorities(options.caFile)) {
        if (!curlInitialized()) Log::error("libcurl could not be initialised");
        multi_ = curl_multi_init();
        // As the platform's URL session does: further requests to a busy host wait for a free connection
        // instead of opening ever more of them.
        curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, kMaxConnectionsPerHost);
    }

    ~Impl() {
        for (CURL* easy : idleHandles_) curl_easy_cleanup(easy);
        curl_multi_cleanup(multi_);
    }

    void start() {
        thread_ = std::jthread([self = shared_from_this()] { self->run(); });
    }

    void shutdown() {
        {
            std::lock_guard lock(mutex_);
            // Only the first call touches the thread; the platform's call and the destructor's may meet.
            if (stopping_) return;
            stopping_ = true;
        }
        curl_multi_wakeup(multi_);
        if (thread_.get_id() == std::this_thread::get_id())
            joinAtExit(std::move(thread_));  // it holds its own reference and ends after the current completion
        else
            thread_.join();
    }

    HttpTaskPtr dataTask(HttpRequest request, Completion completion) {
        auto task = std::make_shared<HttpTask>(nextId_++, std::move(request));
        task->setCancelHandler([weak = weak_from_this(), id = task->identifier()] {
            if (auto self = weak.lock()) self->cancel(id);
        });
        bool invalidated;
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                // Nobody is left to hear the answer: the request is not made.
                task->markCompleted();
                return task;
            }
            invalidated = invalidated_;
            pending_.emplace(task->identifier(), task);
            inbox_.push_back(std::make_unique<Transfer>(task, std::move(completion)));
        }
        if (invalidated)
            task->cancel();
        else
            curl_multi_wakeup(multi_);
        return task;
    }

    std::vector<HttpTaskPtr> tasks() const {
        std::lock_guard lock(mutex_);
        std::vector<HttpTaskPtr> out;
        out.reserve(pending_.size());
        for (const auto& [id, task] : pending_) out.push_back(task);
        return out;
    }

    void invalidateAndCancel() {
        std::vector<HttpTaskPtr> all;
        {
            std::lock_guard lock(mutex_);
            invalidated_ = true;
            for (const auto& [id, task] : pending_) all.push_back(task);
        }
        for (const auto& task : all) task->cancel();
    }

    long connectionsOpened() const { return connections_.load(); }

  private:
    void cancel(std::uint64_t id) {
        {
            std::lock_guard lock(mutex_);
            cancelled_.push_back(id);
        }
        curl_multi_wakeup(multi_);
    }

    void run() {
        for (;;) {
            std::vector<std::unique_ptr<Transfer>> inbox;
            std::vector<std::uint64_t> cancelled;
            bool stopping;
            {
                std::lock_guard lock(mutex_);
                inbox.swap(inbox_);
                cancelled.swap(cancelled_);
                stopping = stopping_;
            }
            for (auto& transfer : inbox) {
                if (stopping || transfer->task->state() != HttpTask::State::Running)
                    complete(*transfer, nullptr, {}, urlError(kURLErrorCancelled));
                else
                    begin(std::move(transfer));
            }
            for (std::uint64_t id : cancelled) {
                if (auto node = active_.extract(id)) abort(*node.mapped());
            }
            if (stopping) return cancelEverything();
            int running = 0;
            curl_multi_perform(multi_, &running);
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
                if (message->msg != CURLMSG_DONE) continue;
                CURLcode result = message->data.result;
                Transfer* transfer = nullptr;
                curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
                auto node = active_.extract(transfer->task->identifier());
                curl_multi_remove_handle(multi_, transfer->easy);
                finish(*node.mapped(), result);
            }
            // This curl can miss input TLS has already buffered and sleep through the whole wait: while
            // transfers run, the wait is kept short so that such a response is seen at once.
            curl_multi_poll(multi_, nullptr, 0, running > 0 ? kBusyPollMs : kIdlePollMs, nullptr);
        }
    }

    /// The inbox is empty for good here: it was taken with stopping_ set, after which dataTask() adds nothing.
    void cancelEverything() {
        for (auto& [id, transfer] : active_) abort(*transfer);
        active_.clear();
    }

    void begin(std::unique_ptr<Transfer> transfer) {
        const HttpRequest& request = transfer->task->request();
        auto url = Url::parse(request.url);
        if (!url) return complete(*transfer, nullptr, {}, urlError(kURLErrorBadURL, request.url));
        if (auto scheme = toLower(url->scheme()); scheme != "http" && scheme != "https")
            return complete(*transfer, nullptr, {}, urlError(kURLErrorUnsupportedURL, request.url));

        CURL* easy = nullptr;
        if (idleHandles_.empty()) {
            easy = curl_easy_init();
        } else {
            easy = idleHandles_.back();
            idleHandles_.pop_back();
        }
        if (!easy) return complete(*transfer, nullptr, {}, urlError(kURLErrorUnknown, "curl_easy_init failed"));
        transfer->easy = easy;
        curl_easy_setopt(easy, CURLOPT_PRIVATE, transfer.get());
        curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer->errorBuffer);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeaderLine);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, transfer.get());
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBodyData);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
        transfer->maxBodyBytes = maxResponseBytes_;
        // A declared length above the limit fails before any byte is read.
        curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxResponseBytes_));

        double seconds = request.timeoutSeconds > 0 ? request.timeoutSeconds : defaultTimeoutSeconds_;
        long timeoutMs = std::max(1L, std::lround((seconds > 0 ? seconds : 60.0) * 1000));
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, timeoutMs);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, std::min(timeoutMs, kMaxConnectTimeoutMs));

        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
        if (!authorities_.empty()) {
            // The callback gives each connection every authority, read once; curl reads no file of its own.
            curl_easy_setopt(easy, CURLOPT_CAINFO, nullptr);
            curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
            curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, addAuthorities);
            curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, this);
            // A cached store would replace the one extended by the callback on later connections.
            curl_easy_setopt(easy, CURLOPT_CA_CACHE_TIMEOUT, 0L);
        }

        const std::string& method = request.method;
        bool sendsBody = !request.body.empty() || method == "POST" || method == "PUT" || method == "PATCH";
        if (sendsBody) {
            curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.data());
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        }
        if (method == "HEAD")
            curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        else if (method != (sendsBody ? "POST" : "GET"))
            curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());

        for (const auto& [name, value] : request.headers)
            // "Name:" would make curl drop the header; "Name;" sends it with an empty value.
            transfer->headers =
                curl_slist_append(transfer->headers, (value.empty() ? name + ";" : name + ": " + value).c_str());
        // Curl's own defaults are left out unless the caller asked for them.
        for (const char* name : {"Accept", "Content-Type", "Expect"})
            if (!request.header(name))
                transfer->headers = curl_slist_append(transfer->headers, (std::string(name) + ":").c_str());
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer->headers);

        std::uint64_t id = transfer->task->identifier();
        active_.emplace(id, std::move(transfer));
        curl_multi_add_handle(multi_, easy);
    }

    static CURLcode addAuthorities(CURL*, void* sslContext, void* user) {
        X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(sslContext));
        for (const auto& cert : static_cast<Impl*>(user)->authorities_) X509_STORE_add_cert(store, cert.get());
        ERR_clear_error();  // a duplicate is reported on the queue but is harmless
        return CURLE_OK;
    }

    /// Removes a running transfer and completes it as cancelled.
    void abort(Transfer& transfer) {
        countConnections(transfer);
        curl_multi_remove_handle(multi_, transfer.easy);
        complete(transfer, nullptr, {}, urlError(kURLErrorCancelled));
    }

    void countConnections(Transfer& transfer) {
        long connects = 0;
        curl_easy_getinfo(transfer.easy, CURLINFO_NUM_CONNECTS, &connects);
        connections_ += connects;
    }

    void finish(Transfer& transfer, CURLcode result) {
        countConnections(transfer);
        // A cancel that raced with the last bytes still wins: the caller was promised -999.
        if (transfer.task->state() == HttpTask::State::Canceling)
            return complete(transfer, nullptr, {}, urlError(kURLErrorCancelled));
        const std::string& url = transfer.task->request().url;
        if (result != CURLE_OK) {
            std::string reason = transfer.errorBuffer[0] ? transfer.errorBuffer : curl_easy_strerror(result);
            const auto code = transfer.bodyTooLong ? kURLErrorDataLengthExceedsMaximum : urlErrorCode(result, url);
            return complete(transfer, nullptr, {}, urlError(code, std::move(reason)));
        }
        long status = 0;
        curl_easy_getinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &status);
        auto response = std::make_shared<HttpResponse>();
        response->statusCode = static_cast<int>(status);
        response->url = url;
        response->headers = std::move(transfer.responseHeaders);
        complete(transfer, std::move(response), std::move(transfer.body), nullptr);
    }

    void complete(Transfer& transfer, std::shared_ptr<const HttpResponse> response, std::string body, ErrorPtr error) {
        {
            std::lock_guard lock(mutex_);
            pending_.erase(transfer.task->identifier());
        }
        recycle(transfer);
        if (!transfer.task->markCompleted()) return;
        if (response) transfer.task->setResponse(response);
        if (transfer.completion)
            transfer.completion(transfer.task, std::move(response), std::move(body), std::move(error));
    }

    /// Takes back the transfer's easy handle (already out of the multi handle) for a later request.
    void recycle(Transfer& transfer) {
        CURL* easy = std::exchange(transfer.easy, nullptr);
        if (!easy) return;
        if (idleHandles_.size() < kMaxIdleHandles) {
            curl_easy_reset(easy);
            idleHandles_.push_back(easy);
        } else {
            curl_easy_cleanup(easy);
        }
    }

    const double defaultTimeoutSeconds_;
    const std::size_t maxResponseBytes_;
    const std::vector<X509Ptr> authorities_;
    CURLM* multi_ = nullptr;
    std::jthread thread_;
    std::atomic<std::uint64_t> nextId_{1};
    std::atomic<long> connections_{0};

    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Transfer>> inbox_;
    std::vector<std::uint64_t> cancelled_;
    std::map<std::uint64_t, HttpTaskPtr> pending_;  // by identifier, so tasks() lists them in start order
    bool invalidated_ = false;
    bool stopping_ = false;

    // Transport thread only.
    std::unordered_map<std::uint64_t, std::unique_ptr<Transfer>> active_;
    std::vector<CURL*> idleHandles_;
};

CurlHttpTransport::CurlHttpTransport(HttpTransportOptions options) : impl_(std::make_shared<Impl>(options)) {
    impl_->start();
}

CurlHttpTransport::~CurlHttpTransport() { impl_->shutdown(); }

HttpTaskPtr CurlHttpTransport::dataTask(HttpRequest request, Completion completion) {
    return impl_->dataTask(std::move(request), std::move(completion));
}

std::vector<HttpTaskPtr> CurlHttpTransport::tasks() const { return impl_->tasks(); }

void CurlHttpTransport::invalidateAndCancel() { impl_->invalidateAndCancel(); }

void CurlHttpTransport::shutdown() { impl_->shutdown(); }

long CurlHttpTransport::connectionsOpened() const { return impl_->connectionsOpened(); }

}  // namespace movra
