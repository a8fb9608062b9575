// FaultInjector: the emulator's switchable misbehaviour. Standing switches (geo-block, maintenance, an
// unknown tenant, a delay, slow paths, failing paths, a forced streaming-session answer) hold until switched
// off; queued faults (fail with a status, truncate the body, answer 200 with an empty body) are used up by the
// next requests whose path they match.
//
// Thread contract: every member may be called from any thread; the server's worker threads consume the
// queued faults while a test or the control endpoint sets them.
#pragma once

#include "Foundation/Json.h"

#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace movra::backend {

class FaultInjector {
  public:
    /// A queued failure as it is taken by one request.
    struct Failure {
        int status = 500;
        /// Back-end code for the error document; empty lets the server derive one from the status.
        std::string errorCode;
    };

    void setGeoBlocked(bool on);
    bool geoBlocked() const;
    void setMaintenance(bool on);
    bool maintenance() const;
    /// The discriminator answers a tenant name no client recognises.
    void setUnknownTenant(bool on);
    bool unknownTenant() const;
    /// Every request waits this long before it is answered.
    void setDelay(std::chrono::milliseconds delay);
    std::chrono::milliseconds delay() const;

    /// Requests whose path begins with `pathPrefix` wait `delay` (on top of the general delay); 0 ends it.
    void setSlowPath(std::string pathPrefix, std::chrono::milliseconds delay);
    /// The general delay plus the longest delay of a slow path `path` begins with.
    std::chrono::milliseconds delayFor(const std::string& path) const;

    /// What streaming sessions answer instead of opening, whatever the request.
    enum class SessionAnswer {
        Normal,          // no fault
        Authenticate,    // status "authenticate"
        PaymentMissing,  // HTTP 402, error code ST2002
        Error,           // a failure status with a user message
        NoUrl,           // status "success" without a stream URL
        Unmappable,      // a body that is not XML
    };
    void setSessionAnswer(SessionAnswer answer);
    SessionAnswer sessionAnswer() const;

    /// The next `count` requests whose path begins with `pathPrefix` (empty: any) fail with `status`.
    void failNext(int count, int status, std::string errorCode = {}, std::string pathPrefix = {});
    /// The next `count` answers to paths beginning with `pathPrefix` lose the second half of their body.
    void truncateNext(int count, std::string pathPrefix = {});
    /// The next `count` answers to paths beginning with `pathPrefix` lose their whole body, status kept.
    void emptyNext(int count, std::string pathPrefix = {});
    /// Everything off, queues emptied.
    void reset();

    /// The failure of a failing path that `path` begins with; else one queued failure for `path`, taken.
    std::optional<Failure> takeFailure(const std::string& path);
    /// Takes one queued truncation for `path`, if any.
    bool takeTruncation(const std::string& path);
    /// Takes one queued emptying for `path`, if any.
    bool takeEmptying(const std::string& path);
    /// Takes one queued cut for `path`, if any: the transfer stops halfway and the connection closes.
    bool takeCut(const std::string& path);

    /// The current state in the JSON form of the control endpoint.
    Json toJson() const;
    /// Applies a control document: {"reset", "geoBlocked", "maintenance", "unknownTenant", "delayMs",
    /// "sessionAnswer": "normal" | "authenticate" | "paymentMissing" | "error" | "noUrl" | "unmappable",
    /// "slow": {"path", "delayMs"}, "failPath": {"path", "status", "errorCode"} or {"path", "off": true},
    /// "failNext": {"count", "status", "errorCode", "path"},
    /// "truncateNext": {"count", "path"}, "emptyNext": {"count", "path"}, "cutNext": {"count", "path"}}, all optional,
    /// "reset" first. Returns an error text, and changes nothing, when the document is malformed.
    std::optional<std::string> apply(const Json& document);

  private:
    struct Queued {
        int remaining;
        std::string pathPrefix;
        Failure failure;  // unused for truncations
    };
    static bool takeFrom(std::deque<Queued>& queue, const std::string& path, Failure* taken);

    mutable std::mutex mutex_;
    bool geoBlocked_ = false;
    bool maintenance_ = false;
    bool unknownTenant_ = false;
    std::chrono::milliseconds delay_{0};
    std::deque<Queued> failures_;
    std::deque<Queued> truncations_;
    std::deque<Queued> emptyings_;
    std::deque<Queued> cuts_;
    /// Path prefix -> delay.
    std::map<std::string, std::chrono::milliseconds> slowPaths_;
    /// Path prefix -> the failure of every request under it; of several prefixes of one path the longest decides.
    std::map<std::string, Failure> failingPaths_;
    SessionAnswer sessionAnswer_ = SessionAnswer::Normal;
};

}  // namespace movra::backend
