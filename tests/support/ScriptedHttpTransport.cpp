#include "support/ScriptedHttpTransport.h"

#include "Platform/Platform.h"

namespace movra::test {

ScriptedHttpTransport::ScriptedHttpTransport(Script script) : network_(std::make_shared<Network>()) {
    network_->script = std::move(script);
}

void ScriptedHttpTransport::setScript(Script script) {
    std::lock_guard lock(network_->mutex);
    network_->script = std::move(script);
}

std::shared_ptr<ScriptedHttpTransport> ScriptedHttpTransport::session() {
    return std::shared_ptr<ScriptedHttpTransport>(new ScriptedHttpTransport(network_));
}

HttpTaskPtr ScriptedHttpTransport::dataTask(HttpRequest request, Completion completion) {
    HttpTaskPtr task;
    Script script;
    bool invalidated;
    {
        std::lock_guard lock(network_->mutex);
        network_->requests.push_back(request);
        script = network_->script;
    }
    {
        std::lock_guard lock(mutex_);
        task = std::make_shared<HttpTask>(nextId_++, request);
        if (shutDown_) {
            task->markCompleted();
            return task;
        }
        running_.push_back({task, std::move(completion)});
        invalidated = invalidated_;
    }
    std::weak_ptr<HttpTask> weak = task;
    std::weak_ptr<ScriptedHttpTransport> weakSelf = weak_from_this();
    task->setCancelHandler([weakSelf, weak] {
        auto self = weakSelf.lock();
        auto t = weak.lock();
        if (!self || !t) return;
        Platform::current().globalQueue().async(
            [self, t] { self->finish(t, nullptr, {}, makeError(kURLErrorDomain, kURLErrorCancelled, "cancelled")); });
    });
    if (invalidated) {
        task->cancel();
        return task;
    }
    ScriptedReply reply = script ? script(request) : ScriptedReply{404, {}, "", nullptr, false};
    if (reply.hold) return task;
    Platform::current().globalQueue().async([self = shared_from_this(), task, reply] {
        if (reply.error) {
            self->finish(task, nullptr, {}, reply.error);
            return;
        }
        auto response = std::make_shared<HttpResponse>();
        response->statusCode = reply.status;
        response->url = task->request().url;
        response->headers = reply.headers;
        self->finish(task, response, reply.body, nullptr);
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

void ScriptedHttpTransport::shutdown() {
    std::vector<Running> running;
    {
        std::lock_guard lock(mutex_);
        shutDown_ = true;
        running.swap(running_);
    }
    for (auto& r : running) {
        if (!r.task->markCompleted() || !r.completion) continue;
        r.completion(r.task, nullptr, {}, makeError(kURLErrorDomain, kURLErrorCancelled, "cancelled"));
    }
}

std::vector<HttpRequest> ScriptedHttpTransport::requests() const {
    std::lock_guard lock(network_->mutex);
    return network_->requests;
}

}  // namespace movra::test
