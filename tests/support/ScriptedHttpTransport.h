// A transport that answers from a script instead of the network and records every request. Answers are
// delivered on the global queue, as a real transport delivers on its own thread. A held request stays
// running until it is cancelled. Sessions made by session() share the script and the request log, as
// sessions share one network, but each has its own tasks and can be invalidated alone. shutdown() runs the
// cancelled completions of running tasks on the calling thread, standing in for the joined transport thread.
#pragma once

#include "Platform/HttpTransport.h"

#include <functional>
#include <mutex>
#include <vector>

namespace movra::test {

struct ScriptedReply {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers = {{"Content-Type", "application/xml"}};
    std::string body;
    /// A transport failure instead of a response.
    ErrorPtr error;
    /// Never answer; only cancellation completes the task.
    bool hold = false;
};

/// An answer of `status` whose body is of content type `type`.
inline ScriptedReply reply(int status, std::string type, std::string body) {
    return {status, {{"Content-Type", std::move(type)}}, std::move(body), nullptr, false};
}
inline ScriptedReply xmlReply(int status, std::string body) {
    return reply(status, "application/xml", std::move(body));
}
inline ScriptedReply jsonReply(int status, std::string body) {
    return reply(status, "application/json", std::move(body));
}
/// The service's result document for a failure (or another `status`).
inline std::string errorDocument(const std::string& status, const std::string& code,
                                 const std::string& user = "User text", const std::string& system = "System text") {
    return "<?xml version=\"1.0\"?><result><status>" + status + "</status><errorCode>" + code +
           "</errorCode><userMessage>" + user + "</userMessage><systemMessage>" + system + "</systemMessage></result>";
}
/// A transport failure instead of an answer.
inline ScriptedReply failedReply(ErrorPtr error) { return {0, {}, "", std::move(error), false}; }
/// An answer that never comes: only cancelling completes the request.
inline ScriptedReply heldReply() { return {200, {}, "", nullptr, true}; }

class ScriptedHttpTransport final : public HttpTransport, public std::enable_shared_from_this<ScriptedHttpTransport> {
  public:
    using Script = std::function<ScriptedReply(const HttpRequest&)>;

    explicit ScriptedHttpTransport(Script script = nullptr);
    void setScript(Script script);
    /// Answers every request with `reply`.
    void answerAll(ScriptedReply reply) {
        setScript([reply = std::move(reply)](const HttpRequest&) { return reply; });
    }
    /// A new session on the same network.
    std::shared_ptr<ScriptedHttpTransport> session();

    HttpTaskPtr dataTask(HttpRequest request, Completion completion) override;
    std::vector<HttpTaskPtr> tasks() const override;
    void invalidateAndCancel() override;
    void shutdown() override;

    std::vector<HttpRequest> requests() const;

  private:
    struct Running {
        HttpTaskPtr task;
        Completion completion;
    };
    void finish(const HttpTaskPtr& task, std::shared_ptr<const HttpResponse> response, std::string body,
                ErrorPtr error);

    struct Network {
        std::mutex mutex;
        Script script;
        std::vector<HttpRequest> requests;
    };
    explicit ScriptedHttpTransport(std::shared_ptr<Network> network) : network_(std::move(network)) {}

    std::shared_ptr<Network> network_;
    mutable std::mutex mutex_;
    std::vector<Running> running_;
    std::uint64_t nextId_ = 1;
    bool invalidated_ = false;
    bool shutDown_ = false;
};

}  // namespace movra::test
