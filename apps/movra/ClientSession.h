// ClientSession: what every command that talks to the service needs: the platform over the data
// directory, the region check (or the API host override in its place) and the shared API client.
//
// Thread contract: the main thread of the program, which also turns the main queue while waiting.
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"
#include "movra/GlobalOptions.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace movra {
class MVHTTPClient;
class MVItem;
class UiHost;
}  // namespace movra

namespace movra::cli {

class ClientSession {
  public:
    /// Seconds a command waits for an answer before giving up.
    static constexpr double kAnswerTimeoutSeconds = 120;
    /// Seconds the end of a command waits for queued analytics (and again for playback-quality events) to go out.
    static constexpr double kAnalyticsFlushSeconds = 5;

    explicit ClientSession(const GlobalOptions& options);
    /// Sends what analytics is still queued, then tears the platform down.
    ~ClientSession();
    ClientSession(const ClientSession&) = delete;
    ClientSession& operator=(const ClientSession&) = delete;

    /// Reads the configuration and installs the platform. An error here is a usage error (exit status 2).
    ErrorPtr open(std::shared_ptr<UiHost> uiHost = nullptr);
    /// Runs the app delegate's region check (or takes the override's answer): the discriminator shared, the
    /// catalogue cleared on a tenant change, the shared client made for its host and the home tenant read when
    /// signed in. On failure the shared client still exists, for the last host that answered, and the error
    /// says why the check failed.
    ErrorPtr checkRegion();
    /// open() unless it was, the signed-in check when `requireSignIn`, and checkRegion(), each failure printed as the
    /// commands print failures. The exit status of the failure, or nullopt when all went well.
    std::optional<int> start(bool requireSignIn);
    /// start() and then openStore(), its failure printed the same way.
    std::optional<int> startWithStore(bool requireSignIn = false);
    /// Imports the title `guid` into the store and returns it; on failure prints why and returns nullptr.
    std::shared_ptr<MVItem> importTitle(const std::string& guid);
    /// Opens the catalogue store in the data directory and registers it, as the app's start-up does.
    ErrorPtr openStore();
    /// The answer the shared discriminator was made from (or the override's), null before checkRegion() and
    /// when no answer came.
    const Json& discriminatorAnswer() const { return answer_; }
    std::shared_ptr<MVHTTPClient> client() const;

    /// Turns the main queue until `done` holds; false when it timed out.
    bool wait(const std::function<bool()>& done, double timeoutSeconds = kAnswerTimeoutSeconds);

    const GlobalOptions& options() const { return options_; }

  private:
    const GlobalOptions& options_;
    bool installed_ = false;
    Json answer_;
};

}  // namespace movra::cli
