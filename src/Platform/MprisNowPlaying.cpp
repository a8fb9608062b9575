#include "Platform/MprisNowPlaying.h"

#include "Foundation/Log.h"

#include <chrono>
#include <cstdlib>
#include <gio/gio.h>
#include <unistd.h>

namespace movra {

namespace {

constexpr const char* kRootInterface = "org.mpris.MediaPlayer2";
constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr double kMicroseconds = 1e6;
/// How long attach() waits for the bus to answer.
constexpr auto kJoinTimeout = std::chrono::seconds(5);

constexpr const char* kIntrospection = R"(<node>
  <interface name="org.mpris.MediaPlayer2">
    <method name="Raise"/>
    <method name="Quit"/>
    <property name="CanQuit" type="b" access="read"/>
    <property name="CanRaise" type="b" access="read"/>
    <property name="HasTrackList" type="b" access="read"/>
    <property name="Identity" type="s" access="read"/>
    <property name="SupportedUriSchemes" type="as" access="read"/>
    <property name="SupportedMimeTypes" type="as" access="read"/>
  </interface>
  <interface name="org.mpris.MediaPlayer2.Player">
    <method name="Next"/>
    <method name="Previous"/>
    <method name="Pause"/>
    <method name="PlayPause"/>
    <method name="Stop"/>
    <method name="Play"/>
    <method name="Seek"><arg direction="in" name="Offset" type="x"/></method>
    <method name="SetPosition">
      <arg direction="in" name="TrackId" type="o"/>
      <arg direction="in" name="Position" type="x"/>
    </method>
    <method name="OpenUri"><arg direction="in" name="Uri" type="s"/></method>
    <signal name="Seeked"><arg name="Position" type="x"/></signal>
    <property name="PlaybackStatus" type="s" access="read"/>
    <property name="Rate" type="d" access="read"/>
    <property name="Metadata" type="a{sv}" access="read"/>
    <property name="Volume" type="d" access="read"/>
    <property name="Position" type="x" access="read"/>
    <property name="MinimumRate" type="d" access="read"/>
    <property name="MaximumRate" type="d" access="read"/>
    <property name="CanGoNext" type="b" access="read"/>
    <property name="CanGoPrevious" type="b" access="read"/>
    <property name="CanPlay" type="b" access="read"/>
    <property name="CanPause" type="b" access="read"/>
    <property name="CanSeek" type="b" access="read"/>
    <property name="CanControl" type="b" access="read"/>
  </interface>
</node>)";

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

/// A D-Bus object path for a track: only letters, digits and underscores may follow the prefix.
std::string trackPath(const std::string& id) {
    if (id.empty()) return "/org/mpris/MediaPlayer2/TrackList/NoTrack";
    std::string path = "/org/movra/track/";
    for (unsigned char c : id) path += std::isalnum(c) ? static_cast<char>(c) : '_';
    return path;
}

/// D-Bus strings must be UTF-8; a feed's title is, but a damaged one must not take the bus down.
GVariant* utf8(const std::string& text) {
    if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr))
        return g_variant_new_string(text.c_str());
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    GVariant* value = g_variant_new_string(valid);
    g_free(valid);
    return value;
}

}  // namespace

/// The GDBus callbacks; `user_data` is the MprisNowPlaying.
struct MprisNowPlaying::Bus {
    static void methodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                           GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self) {
        static_cast<MprisNowPlaying*>(self)->command(method, parameters);
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }
    static GVariant* getProperty(GDBusConnection*, const gchar*, const gchar*, const gchar* interface,
                                 const gchar* name, GError** error, gpointer self) {
        GVariant* value = static_cast<const MprisNowPlaying*>(self)->property(interface, name);
        if (!value) g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "No property %s", name);
        return value;
    }
    static gboolean quit(gpointer loop) {
        g_main_loop_quit(static_cast<GMainLoop*>(loop));
        return G_SOURCE_REMOVE;
    }
};

MprisNowPlaying::~MprisNowPlaying() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        // The loop quits from inside, so a quit cannot come before it runs.
        if (onBus_) g_main_context_invoke(context_, &Bus::quit, loop_);
    }
    thread_.join();
}

bool MprisNowPlaying::attach(RunLoopHandle mainQueue) {
    mainQueue_ = std::move(mainQueue);
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address || !*address) {
        Log::info("Now Playing: no D-Bus session bus, media keys and desktop shells do not see the player");
        return false;
    }
    thread_ = std::thread([this, bus = std::string(address)] { serve(bus); });
    std::unique_lock lock(mutex_);
    ready_.wait_for(lock, kJoinTimeout, [&] { return started_; });
    return onBus_;
}

bool MprisNowPlaying::isOnBus() const {
    std::lock_guard lock(mutex_);
    return onBus_;
}

void MprisNowPlaying::serve(std::string address) {
    context_ = g_main_context_new();
    g_main_context_push_thread_default(context_);
    GError* error = nullptr;
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, &error);
    connection_ = node ? g_dbus_connection_new_for_address_sync(
                             address.c_str(),
                             static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                               G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                             nullptr, nullptr, &error)
                       : nullptr;
    static const GDBusInterfaceVTable vtable = {&Bus::methodCall, &Bus::getProperty, nullptr, {}};
    guint registrations[2] = {0, 0};
    bool named = false;
    if (connection_) {
        for (int i = 0; i < 2 && !error; ++i)
            registrations[i] = g_dbus_connection_register_object(connection_, kObjectPath, node->interfaces[i], &vtable,
                                                                 this, nullptr, &error);
        // The well-known name, or, while another player holds it, one of its own instance.
        for (const std::string& name :
             {std::string(kBusName), std::string(kBusName) + ".instance" + std::to_string(getpid())}) {
            if (error || named) break;
            GVariant* reply = g_dbus_connection_call_sync(
                connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                g_variant_new("(su)", name.c_str(), 4u /* DO_NOT_QUEUE */), G_VARIANT_TYPE("(u)"),
                G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error);
            if (!reply) break;
            guint answer = 0;
            g_variant_get(reply, "(u)", &answer);
            g_variant_unref(reply);
            named = answer == 1 /* PRIMARY_OWNER */;
        }
    }
    if (error) {
        Log::error("Now Playing: not on the session bus: {}", error->message);
        g_error_free(error);
    }
    if (named) loop_ = g_main_loop_new(context_, FALSE);
    {
        std::lock_guard lock(mutex_);
        started_ = true;
        onBus_ = named;
    }
    ready_.notify_all();
    if (named) g_main_loop_run(loop_);

    for (guint id : registrations)
        if (id) g_dbus_connection_unregister_object(connection_, id);
    if (connection_) {
        g_dbus_connection_close_sync(connection_, nullptr, nullptr);
        g_object_unref(connection_);
    }
    if (loop_) g_main_loop_unref(loop_);
    if (node) g_dbus_node_info_unref(node);
    g_main_context_pop_thread_default(context_);
    g_main_context_unref(context_);
}

void MprisNowPlaying::setNowPlayingInfo(std::optional<NowPlayingInfo> info) {
    {
        std::lock_guard lock(mutex_);
        info_ = std::move(info);
        infoSetAt_ = steadySeconds();
    }
    announce();
}

void MprisNowPlaying::setCommandHandler(std::function<void(RemoteCommand command, double position)> handler) {
    handler_ = handler ? std::make_shared<std::function<void(RemoteCommand, double)>>(std::move(handler)) : nullptr;
    std::lock_guard lock(mutex_);
    current_ = handler_;
}

void MprisNowPlaying::command(const std::string& method, GVariant* parameters) {
    std::optional<RemoteCommand> command;
    double position = 0;
    if (method == "Play") {
        command = RemoteCommand::Play;
    } else if (method == "Pause" || method == "Stop") {
        command = RemoteCommand::Pause;
    } else if (method == "PlayPause") {
        command = RemoteCommand::TogglePlayPause;
    } else if (method == "SetPosition") {
        const gchar* track = nullptr;
        gint64 microseconds = 0;
        g_variant_get(parameters, "(&ox)", &track, &microseconds);
        command = RemoteCommand::ChangePlaybackPosition;
        position = static_cast<double>(microseconds) / kMicroseconds;
    } else if (method == "Seek") {
        gint64 offset = 0;
        g_variant_get(parameters, "(x)", &offset);
        GVariant* now = property(kPlayerInterface, "Position");
        position = static_cast<double>(g_variant_get_int64(now) + offset) / kMicroseconds;
        g_variant_unref(g_variant_ref_sink(now));
        command = RemoteCommand::ChangePlaybackPosition;
    }
    if (!command) return;
    std::weak_ptr<std::function<void(RemoteCommand, double)>> handler;
    {
        std::lock_guard lock(mutex_);
        handler = current_;
    }
    mainQueue_.post([handler, command = *command, position = std::max(0.0, position)] {
        if (auto target = handler.lock()) (*target)(command, position);
    });
}

GVariant* MprisNowPlaying::property(const std::string& interface, const std::string& name) const {
    std::optional<NowPlayingInfo> info;
    double setAt;
    {
        std::lock_guard lock(mutex_);
        info = info_;
        setAt = infoSetAt_;
    }
    if (interface == kRootInterface) {
        if (name == "CanQuit" || name == "CanRaise" || name == "HasTrackList") return g_variant_new_boolean(FALSE);
        if (name == "Identity") return g_variant_new_string("Movra");
        if (name == "SupportedUriSchemes" || name == "SupportedMimeTypes") return g_variant_new_strv(nullptr, 0);
        return nullptr;
    }
    if (name == "PlaybackStatus")
        return g_variant_new_string(!info ? "Stopped" : info->rate > 0 ? "Playing" : "Paused");
    if (name == "Rate" || name == "MinimumRate" || name == "MaximumRate" || name == "Volume")
        return g_variant_new_double(1.0);
    if (name == "Position") {
        const double seconds = info ? info->elapsed + (steadySeconds() - setAt) * info->rate : 0;
        return g_variant_new_int64(
            static_cast<gint64>(std::clamp(seconds, 0.0, info ? info->duration : 0.0) * kMicroseconds));
    }
    if (name == "CanGoNext" || name == "CanGoPrevious") return g_variant_new_boolean(FALSE);
    if (name == "CanPlay" || name == "CanPause" || name == "CanSeek" || name == "CanControl")
        return g_variant_new_boolean(TRUE);
    if (name == "Metadata") {
        GVariantBuilder metadata;
        g_variant_builder_init(&metadata, G_VARIANT_TYPE("a{sv}"));
        g_variant_builder_add(&metadata, "{sv}", "mpris:trackid",
                              g_variant_new_object_path(trackPath(info ? info->trackId : "").c_str()));
        if (info) {
            g_variant_builder_add(&metadata, "{sv}", "mpris:length",
                                  g_variant_new_int64(static_cast<gint64>(info->duration * kMicroseconds)));
            g_variant_builder_add(&metadata, "{sv}", "xesam:title", utf8(info->title));
            if (info->artworkUrl) g_variant_builder_add(&metadata, "{sv}", "mpris:artUrl", utf8(*info->artworkUrl));
        }
        return g_variant_builder_end(&metadata);
    }
    return nullptr;
}

void MprisNowPlaying::announce() {
    if (!isOnBus()) return;
    GVariantBuilder changed;
    g_variant_builder_init(&changed, G_VARIANT_TYPE("a{sv}"));
    for (const char* name : {"PlaybackStatus", "Metadata"})
        g_variant_builder_add(&changed, "{sv}", name, property(kPlayerInterface, name));
    // Emitting is safe from any thread; the connection lives until the bus thread ends.
    g_dbus_connection_emit_signal(connection_, nullptr, kObjectPath, "org.freedesktop.DBus.Properties",
                                  "PropertiesChanged", g_variant_new("(sa{sv}as)", kPlayerInterface, &changed, nullptr),
                                  nullptr);
}

}  // namespace movra
