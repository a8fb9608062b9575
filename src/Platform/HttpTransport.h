// HttpTransport: one URL session (its own connection pool and task list).
//
// Thread contract: dataTask(), tasks(), invalidateAndCancel() and shutdown() may be called from any thread.
// Each completion runs at most once, on the transport's own thread; callers move to the main queue
// themselves, through a RunLoopHandle taken when they start the request. Until shutdown() every
// completion runs; after it, none does.
// Transport failures are errors (kURLErrorDomain: -999 cancelled, -1001 timed out, -1009 offline, ...);
// an HTTP error status is not: it arrives as a response with its body.
#pragma once

#include "Foundation/Error.h"
#include "Platform/HttpTask.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace movra {

struct HttpTransportOptions {
    /// Extra PEM file of trusted certificate authorities, on top of the system's.
    std::string caFile;
    /// Applies when a request carries no timeout of its own.
    double defaultTimeoutSeconds = 60.0;
    /// A longer answer fails with kURLErrorDataLengthExceedsMaximum instead of being held in memory: no
    /// feed page or picture comes near it, and parsing one costs several times its size.
    std::size_t maxResponseBytes = 64 * 1024 * 1024;
};

class HttpTransport {
  public:
    using Completion = std::function<void(const HttpTaskPtr& task, std::shared_ptr<const HttpResponse> response,
                                          std::string body, ErrorPtr error)>;
    virtual ~HttpTransport() = default;

    /// Starts the request at once and returns its task.
    virtual HttpTaskPtr dataTask(HttpRequest request, Completion completion) = 0;
    /// Tasks whose completion has not run yet.
    virtual std::vector<HttpTaskPtr> tasks() const = 0;
    /// Cancels every task; later dataTask() calls complete with -999 at once.
    virtual void invalidateAndCancel() = 0;
    /// For the platform's shutdown: cancels every task (the completions of those already started run with
    /// -999 before it returns), then stops and joins the transport's thread. Later dataTask() calls return
    /// a completed task and never run their completion. Idempotent; called inside one of the transport's
    /// own completions it returns at once and the thread ends after that completion.
    virtual void shutdown() = 0;
};

/// Makes transports (a new session each call) with the deployment's options.
using HttpTransportFactory = std::function<std::shared_ptr<HttpTransport>()>;

}  // namespace movra
