// GStreamerControlThread: runs a player item's pipeline calls (seeks, stream selections, state changes) one
// at a time, in order, off the main queue: GStreamer may block in them on the demuxer's locks. A watchdog
// reports, once, a call that has not returned within the timeout.
//
// Thread contract: post() from any thread; the stalled handler runs on the watchdog's thread. Destroying the
// control thread lets the posted calls finish, waiting at most the timeout; a call that is stuck by then
// (or already reported) is abandoned: its thread is left running, detached, with whatever the call holds,
// and the calls behind it are dropped.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace movra {

class GStreamerControlThread {
  public:
    using Task = std::function<void()>;

    GStreamerControlThread(std::string name, double timeoutSeconds, std::function<void()> stalled);
    ~GStreamerControlThread();
    GStreamerControlThread(const GStreamerControlThread&) = delete;
    GStreamerControlThread& operator=(const GStreamerControlThread&) = delete;

    void post(Task task);
    /// Whether a call has overrun the timeout; it stays so even if the call returns later.
    bool isStalled() const;

  private:
    struct State;
    static void work(const std::shared_ptr<State>& state);
    static void watch(const std::shared_ptr<State>& state);

    const std::string name_;
    std::shared_ptr<State> state_;
    std::thread worker_;
    std::thread watchdog_;
};

}  // namespace movra
