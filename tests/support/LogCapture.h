// LogCapture: collects the messages logged while it lives, from any thread, for tests that check log lines.
#pragma once

#include <spdlog/sinks/base_sink.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace movra::test {

class LogCapture {
  public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> messages() const;
    /// Messages that contain `text`.
    std::vector<std::string> containing(const std::string& text) const;

  private:
    class Sink;
    std::shared_ptr<Sink> sink_;
};

}  // namespace movra::test
