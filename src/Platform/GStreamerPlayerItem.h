// GStreamerPlayerItem: one asset in a playbin3 pipeline, fed through its own loopback endpoint. The pipeline
// prerolls (PAUSED) when the item is made; the player sets the rate. Bus messages are taken on the
// streaming threads by a sync handler and handled on the main queue, where all of the item's state lives.
// Seeks, reloads and state changes run on the item's control thread, since the demuxer can block them;
// nothing goes out while a seek or reload is outstanding, and a later seek replaces a waiting one. A call
// that does not return fails the item. Choosing a rendition reloads: a new pipeline prerolls a playlist that
// offers only the chosen ones (see GStreamerLoopbackEndpoint) and seeks back to where the old one stood. The
// old pipeline is stopped and let go rather than restarted: the demuxer's download helper, restarted, runs
// the answers of downloads cancelled before it stopped on transfers it has already freed. The pipeline goes
// with the item, and then the endpoint: NULL state, threads joined (or abandoned, when the control thread is
// stuck).
//
// Observable keys, besides those of MediaPlayerItem: "currentMediaSelection", when the streams the pipeline
// reports as selected change (the answer to selectMediaOption(), once the reload is through); "firstVideoFrame", once,
// when the first video buffer has reached the video output (firstVideoFrameTime() then tells when).
#pragma once

#include "Foundation/RunLoopHandle.h"
#include "Platform/GStreamerControlThread.h"
#include "Platform/GStreamerLoopbackEndpoint.h"
#include "Platform/GStreamerMediaAsset.h"
#include "Platform/MediaObserverList.h"
#include "Platform/MediaPlayerItem.h"

#include <chrono>
#include <functional>
#include <gst/gst.h>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace movra {

class GStreamerPlayerItem final : public MediaPlayerItem, public std::enable_shared_from_this<GStreamerPlayerItem> {
  public:
    struct Outputs {
        /// "auto", "window" or "none", as in Configuration.
        std::string video = "auto";
        std::string audio = "auto";
    };

    /// Makes the item and starts its pipeline towards PAUSED.
    static std::shared_ptr<GStreamerPlayerItem> make(std::shared_ptr<GStreamerMediaAsset> asset,
                                                     std::shared_ptr<HttpTransport> transport, Outputs outputs,
                                                     RunLoopHandle mainQueue);
    ~GStreamerPlayerItem() override;

    Token addObserver(const std::string& key, std::function<void()> changed) override;
    bool removeObserver(const std::string& key, Token token) override;

    std::shared_ptr<MediaAsset> asset() const override { return asset_; }
    MediaPlayerItemStatus status() const override { return status_; }
    ErrorPtr error() const override { return error_; }
    std::string errorLog() const override;
    std::optional<double> duration() const override { return duration_; }
    double currentTime() const override;
    std::vector<MediaTimeRange> loadedTimeRanges() const override;
    bool isPlaybackBufferEmpty() const override { return bufferEmpty_; }
    bool isPlaybackLikelyToKeepUp() const override { return likelyToKeepUp_; }
    std::optional<double> indicatedBitrate() const override { return indicatedBitrate_; }
    void seekToTime(double seconds, std::function<void(bool finished)> completion) override;
    void cancelPendingSeeks() override;
    void selectMediaOption(const std::optional<MediaSelectionOption>& option,
                           const MediaSelectionGroup& group) override;
    std::optional<MediaSelectionOption> selectedMediaOption(const MediaSelectionGroup& group) const override;
    std::optional<MediaVideoSize> firstVideoTrackNaturalSize() const override { return naturalSize_; }
    /// When the first video buffer reached the video output's input, read on the streaming thread so that the
    /// hop to the main queue does not count; nullopt until then. Start-up is measured up to this moment.
    std::optional<std::chrono::steady_clock::time_point> firstVideoFrameTime() const { return firstVideoFrame_; }

    void setLegibleOutputHandler(std::function<void(const MediaLegibleCue& cue)> handler) override {
        legibleOutput_ = std::move(handler);
    }

    /// For the player: 0 pauses, any other rate plays at that rate.
    void setRate(float rate);
    /// For the player: runs on the main queue when the item has played to its end, before the notice.
    void setPlayedToEndHandler(std::function<void()> handler) { playedToEnd_ = std::move(handler); }

  private:
    /// What the bus sync handler and the first-frame probe need; owned by the bus or the probe.
    struct BusContext {
        std::weak_ptr<GStreamerPlayerItem> item;
        RunLoopHandle mainQueue;
        /// Of the pipeline that reports: what an earlier one still says is dropped.
        unsigned generation = 0;
    };
    struct PendingSeek {
        double target = 0;
        std::function<void(bool)> completion;
        bool sent = false;
    };

    GStreamerPlayerItem(std::shared_ptr<GStreamerMediaAsset> asset, Outputs outputs, RunLoopHandle mainQueue);
    void start(std::shared_ptr<HttpTransport> transport);
    /// A new pipeline (and video output) for the endpoint's entry URL, as pipeline_ of the next generation.
    void makePipeline();
    /// Starts pipeline_ towards PAUSED; the item fails when it cannot.
    void startPipeline();
    static GstBusSyncReply onBusMessage(GstBus* bus, GstMessage* message, gpointer context);
    static GstPadProbeReturn onFirstVideoBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer context);
    /// The text sink's handoff: one cue, read on the streaming thread and handed on on the main queue.
    static void onTextBuffer(GstElement* sink, GstBuffer* buffer, GstPad* pad, gpointer context);
    void handleMessage(GstMessage* message, unsigned generation);
    void becomeReady();
    void updateDuration();
    void updateNaturalSize();
    void updateBuffering(int percent);
    void updateSelection(GstMessage* message);
    void fail(ErrorPtr error);
    void log(std::string line);
    void stopResponding();
    void control(std::function<void(GstElement*)> call);
    void sendNext();
    void applyState();
    void sendSeek();
    void sendRate();
    void seekTo(double position);
    void seekRefused(double position);
    void reload();
    void answerSeek(bool finished);
    void changed(const std::string& key) const { observers_.notify(key); }

    const std::shared_ptr<GStreamerMediaAsset> asset_;
    const RunLoopHandle mainQueue_;
    const Outputs outputs_;
    std::unique_ptr<GStreamerLoopbackEndpoint> endpoint_;
    std::unique_ptr<GStreamerControlThread> control_;
    GstElement* pipeline_ = nullptr;
    GstElement* videoSink_ = nullptr;
    /// Of pipeline_; each reload makes a new one.
    unsigned generation_ = 0;
    MediaObserverList observers_;
    std::function<void()> playedToEnd_;
    std::function<void(const MediaLegibleCue&)> legibleOutput_;

    MediaPlayerItemStatus status_ = MediaPlayerItemStatus::Unknown;
    ErrorPtr error_;
    std::vector<std::string> errorLog_;
    std::optional<double> duration_;
    std::optional<MediaVideoSize> naturalSize_;
    std::optional<double> indicatedBitrate_;
    std::optional<std::chrono::steady_clock::time_point> firstVideoFrame_;
    bool bufferEmpty_ = true;
    bool likelyToKeepUp_ = false;
    bool buffering_ = false;
    bool ended_ = false;
    float rate_ = 0;
    float sentRate_ = 1;
    std::optional<GstState> sentState_;
    double rangeStart_ = 0;
    std::optional<PendingSeek> seek_;
    /// A seek event went out and its ASYNC_DONE has not come back.
    bool seekInFlight_ = false;

    /// Stream ids the pipeline last reported as selected.
    std::set<std::string> selected_;
    /// What the endpoint serves; a change reloads the pipeline where it stands.
    GStreamerLoopbackEndpoint::RenditionChoice choice_;
    bool reloadWanted_ = false;
    /// A new pipeline replaced the old one and its preroll has not come back.
    bool reloading_ = false;
};

}  // namespace movra
