#include "support/LogCapture.h"

#include "Foundation/Log.h"

#include <algorithm>

namespace movra::test {

class LogCapture::Sink final : public spdlog::sinks::base_sink<std::mutex> {
  public:
    std::vector<std::string> messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }

  protected:
    void sink_it_(const spdlog::details::log_msg& message) override {
        messages_.emplace_back(message.payload.data(), message.payload.size());
    }
    void flush_() override {}

  private:
    std::vector<std::string> messages_;  // guarded by the base's mutex_
};

LogCapture::LogCapture() : sink_(std::make_shared<Sink>()) { Log::logger()->sinks().push_back(sink_); }

LogCapture::~LogCapture() {
    auto& sinks = Log::logger()->sinks();
    sinks.erase(std::remove(sinks.begin(), sinks.end(), sink_), sinks.end());
}

std::vector<std::string> LogCapture::messages() const { return sink_->messages(); }

std::vector<std::string> LogCapture::containing(const std::string& text) const {
    std::vector<std::string> found;
    for (auto& message : messages())
        if (message.find(text) != std::string::npos) found.push_back(std::move(message));
    return found;
}

}  // namespace movra::test
