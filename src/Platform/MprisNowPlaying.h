// MprisNowPlaying: Now Playing on the D-Bus session bus as an MPRIS media player ("org.mpris.MediaPlayer2.movra"),
// so that media keys, desktop shells and playerctl show and control the title. Without a session bus (no
// DBUS_SESSION_BUS_ADDRESS) nothing shows it, and this says so once in the log.
//
// Thread contract: main queue, except that the bus is served on a thread of its own (a GLib main loop);
// commands from the bus reach the handler on the main queue.
#pragma once

#include "Foundation/RunLoopHandle.h"
#include "Platform/NowPlaying.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

typedef struct _GMainContext GMainContext;
typedef struct _GMainLoop GMainLoop;
typedef struct _GDBusConnection GDBusConnection;
typedef struct _GVariant GVariant;

namespace movra {

class MprisNowPlaying final : public NowPlaying {
  public:
    static constexpr const char* kBusName = "org.mpris.MediaPlayer2.movra";
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";

    MprisNowPlaying() = default;
    ~MprisNowPlaying() override;
    MprisNowPlaying(const MprisNowPlaying&) = delete;
    MprisNowPlaying& operator=(const MprisNowPlaying&) = delete;

    /// Joins the session bus; commands go to `mainQueue`. True when the player is on the bus.
    bool attach(RunLoopHandle mainQueue);
    bool isOnBus() const;

    void setNowPlayingInfo(std::optional<NowPlayingInfo> info) override;
    void setCommandHandler(std::function<void(RemoteCommand command, double position)> handler) override;

  private:
    struct Bus;
    void serve(std::string address);
    /// A property of the player, built from the current information (bus thread).
    GVariant* property(const std::string& interface, const std::string& name) const;
    void command(const std::string& method, GVariant* parameters);
    void announce();

    RunLoopHandle mainQueue_;
    /// Owned here on the main queue; the bus thread holds it weakly, so a removed handler is never called.
    std::shared_ptr<std::function<void(RemoteCommand, double)>> handler_;
    std::thread thread_;
    GMainContext* context_ = nullptr;
    GMainLoop* loop_ = nullptr;
    GDBusConnection* connection_ = nullptr;

    mutable std::mutex mutex_;
    std::condition_variable ready_;
    bool started_ = false;                                               // guarded by mutex_
    bool onBus_ = false;                                                 // guarded by mutex_
    std::weak_ptr<std::function<void(RemoteCommand, double)>> current_;  // guarded by mutex_
    std::optional<NowPlayingInfo> info_;                                 // guarded by mutex_
    double infoSetAt_ = 0;  // guarded by mutex_: steady seconds when info_ was set
};

}  // namespace movra
