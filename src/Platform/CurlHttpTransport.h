// CurlHttpTransport: the real HttpTransport, on one libcurl multi handle driven by its own thread.
//
// Thread contract: dataTask(), tasks(), invalidateAndCancel(), shutdown() and connectionsOpened() may be
// called from any thread; HttpTask::cancel() too. Every request started before shutdown() completes
// exactly once, on the transport's thread, one at a time. Destroying the transport shuts it down: what is
// still pending completes with -999 before the destructor returns and the thread is joined. When the last
// reference goes away inside one of its own completions, the thread is not joined but winds down by
// itself after that completion returns.
//
// TLS is verified (peer and host name) against the system's authorities plus options.caFile. Connections
// are kept alive and reused across the transport's requests, at most four at a time per host. Redirects are
// not followed. Only the caller's headers are sent, besides Host and Content-Length.
#pragma once

#include "Platform/HttpTransport.h"

#include <memory>
#include <vector>

namespace movra {

class CurlHttpTransport final : public HttpTransport {
  public:
    explicit CurlHttpTransport(HttpTransportOptions options = {});
    ~CurlHttpTransport() override;
    CurlHttpTransport(const CurlHttpTransport&) = delete;
    CurlHttpTransport& operator=(const CurlHttpTransport&) = delete;

    HttpTaskPtr dataTask(HttpRequest request, Completion completion) override;
    std::vector<HttpTaskPtr> tasks() const override;
    void invalidateAndCancel() override;
    void shutdown() override;

    /// Connections opened so far by the transport's requests (a reused connection counts once).
    long connectionsOpened() const;

  private:
    class Impl;
    std::shared_ptr<Impl> impl_;
};

}  // namespace movra
