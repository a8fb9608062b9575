#include "support/ScriptedHttpTransport.h"

#include "Platform/Platform.h"

namespace movra::test {

ScriptedHttpTransport::ScriptedHttpTransport(Script script) : script_(std::move(script)) {}

void ScriptedHttpTransport::setScript(Script script) {
    std::lock_guard lock(mutex_);
    script_ = std::move(script);
}

HttpTaskPtr ScriptedHttpTransport::dataTask(HttpRequest request, Completion completion) {
    HttpTaskPtr task;
    Script script;
    bool invalidated;
    {
        std::lock_guard lock(mutex_);
        task = std::make_shared<HttpTask>(nextId_++, request);
        requests_.push_back(request);
        running_.push_back({task, std::move(completion)});
        script = script_;
        invalidated = invalidated_;
    }
    std::weak_ptr<HttpTask> weak = task;
    task->setCancelHandler([this, weak] {
        if (auto t = weak.lock())
            Platform::current().globalQueue().async([this, t] {
                finish(t, nullptr, {}, makeError(kURLErrorDomain, kURLErrorCancelled, "cancelled"));
            });
    });
    if (invalidated) {
        task->cancel();
        return task;
    }
    ScriptedReply reply = script ? script(request) : ScriptedReply{404, {}, "", nullptr, false};
    if (reply.hold) return task;
    Platform::current().globalQueue().async([this, task, reply] {
        if (reply.error) {
            finish(task, nullptr, {}, reply.error);
            return;
        }
        auto response = std::make_shared<HttpResponse>();
        response->statusCode = reply.status;
        response->url = task->request().url;
        response->headers = reply.headers;
        finish(task, response, reply.body, nullptr);
    });
    return task;
}

void ScriptedHttpTransport::finish(const HttpTaskPtr& task, std::shared_ptr<const HttpResponse> response,
                                   std::string body, ErrorPtr error) {
    Completion completion;
    {
        std::lock_guard lock(mutex_);
        for (auto it = running_.begin(); it != running_.end(); ++it) {
            if (it->task == task) {
                completion = std::move(it->completion);
                running_.erase(it);
                break;
            }
        }
    }
    if (!completion || !task->markCompleted()) return;
    if (response) task->setResponse(response);
    completion(task, response, std::move(body), error);
}

std::vector<HttpTaskPtr> ScriptedHttpTransport::tasks() const {
    std::lock_guard lock(mutex_);
    std::vector<HttpTaskPtr> out;
    for (const auto& r : running_) out.push_back(r.task);
    return out;
}

void ScriptedHttpTransport::invalidateAndCancel() {
    std::vector<HttpTaskPtr> all;
    {
        std::lock_guard lock(mutex_);
        invalidated_ = true;
        for (const auto& r : running_) all.push_back(r.task);
    }
    for (auto& t : all) t->cancel();
}

std::vector<HttpRequest> ScriptedHttpTransport::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t ScriptedHttpTransport::requestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

}  // namespace movra::test
