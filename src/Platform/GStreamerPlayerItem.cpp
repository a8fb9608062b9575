#include "Platform/GStreamerPlayerItem.h"

#include "Foundation/Log.h"
#include "Foundation/MainQueue.h"
#include "Foundation/Strings.h"
#include "Platform/MediaEngine.h"
#include "Platform/Platform.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace movra {

namespace {

GstElement* fakeSink() {
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    // Without sync the sink takes buffers as fast as they decode, and seconds of media play in moments.
    g_object_set(sink, "sync", TRUE, nullptr);
    return sink;
}

bool hasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* value = std::getenv(name); value && *value) return true;
    return false;
}

GstElement* videoSink(const std::string& output) {
    if (output == "window" || (output == "auto" && hasDisplay()))
        if (GstElement* sink = gst_element_factory_make("autovideosink", nullptr)) return sink;
    return fakeSink();
}

/// A sound server or a playback device to try. Without one, probing the outputs only fills stderr with the
/// sound libraries' complaints.
bool hasAudioOutput() {
    namespace fs = std::filesystem;
    if (const char* server = std::getenv("PULSE_SERVER"); server && *server) return true;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        std::error_code ignored;
        for (const char* socket : {"pulse/native", "pipewire-0"})
            if (fs::exists(fs::path(runtime) / socket, ignored)) return true;
    }
    std::error_code error;
    for (fs::directory_iterator it("/dev/snd", error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (startsWith(name, "pcmC") && name.back() == 'p') return true;
    }
    return false;
}

GstElement* audioSink(const std::string& output) {
    if (output == "none") return fakeSink();
    if (!hasAudioOutput()) {
        Log::info("Media engine: no sound server or playback device, audio is discarded");
        return fakeSink();
    }
    GstElement* sink = gst_element_factory_make("autoaudiosink", nullptr);
    // An output that cannot open (no device) would fail the whole pipeline later.
    if (sink && gst_element_set_state(sink, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE) {
        gst_element_set_state(sink, GST_STATE_NULL);
        return sink;
    }
    if (sink) {
        gst_element_set_state(sink, GST_STATE_NULL);
        gst_object_unref(sink);
    }
    Log::info("Media engine: no audio output, audio is discarded");
    return fakeSink();
}

constexpr double kNanoseconds = 1e9;
/// How long a seek, reload or state change may take before the item gives up on the pipeline.
constexpr double kControlTimeout = 10;

/// `text` with the character references of markup read (the five XML ones and &nbsp;).
std::string withEntitiesRead(std::string_view text) {
    static constexpr std::pair<std::string_view, std::string_view> kEntities[] = {
        {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&nbsp;", "\u00a0"}};
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool read = false;
        if (text[i] == '&') {
            for (const auto& [entity, character] : kEntities) {
                if (text.substr(i).starts_with(entity)) {
                    out += character;
                    i += entity.size() - 1;
                    read = true;
                    break;
                }
            }
        }
        if (!read) out += text[i];
    }
    return out;
}

/// A cue as the subtitle parser hands it on: WebVTT text (with its own references) inside Pango markup.
std::string plainText(std::string_view markup) {
    std::string tagless;
    for (std::size_t i = 0; i < markup.size(); ++i) {
        if (markup[i] != '<') {
            tagless += markup[i];
            continue;
        }
        const auto close = markup.find('>', i);
        if (close == std::string_view::npos) break;
        i = close;
    }
    // Once for the markup, once for the WebVTT underneath.
    return trim(withEntitiesRead(withEntitiesRead(tagless)));
}

std::string streamId(GstStream* stream) {
    const char* id = gst_stream_get_stream_id(stream);
    return id ? id : "";
}

/// Stops `pipeline` for good and lets it go with its video output: on the control thread, after every call
/// already posted for it.
void dispose(GstElement* pipeline, GstElement* videoSink) {
    gst_element_set_state(pipeline, GST_STATE_NULL);
    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(pipeline);
    if (videoSink) gst_object_unref(videoSink);
}

}  // namespace

std::shared_ptr<GStreamerPlayerItem> GStreamerPlayerItem::make(std::shared_ptr<GStreamerMediaAsset> asset,
                                                               std::shared_ptr<HttpTransport> transport,
                                                               Outputs outputs, RunLoopHandle mainQueue) {
    std::shared_ptr<GStreamerPlayerItem> item(
        new GStreamerPlayerItem(std::move(asset), std::move(outputs), std::move(mainQueue)));
    item->start(std::move(transport));
    return item;
}

GStreamerPlayerItem::GStreamerPlayerItem(std::shared_ptr<GStreamerMediaAsset> asset, Outputs outputs,
                                         RunLoopHandle mainQueue)
    : asset_(std::move(asset)), mainQueue_(std::move(mainQueue)), outputs_(std::move(outputs)) {}

void GStreamerPlayerItem::start(std::shared_ptr<HttpTransport> transport) {
    std::weak_ptr<GStreamerPlayerItem> weak = weak_from_this();
    GStreamerLoopbackEndpoint::Callbacks callbacks{
        .failed =
            [weak, main = mainQueue_](ErrorPtr error) {
                main.post([weak, error] {
                    if (auto self = weak.lock()) self->fail(error);
                });
            },
        .logged =
            [weak, main = mainQueue_](std::string line) {
                main.post([weak, line = std::move(line)]() mutable {
                    if (auto self = weak.lock()) self->log(std::move(line));
                });
            },
        .variantChanged =
            [weak, main = mainQueue_](double bitsPerSecond) {
                main.post([weak, bitsPerSecond] {
                    if (auto self = weak.lock()) {
                        self->indicatedBitrate_ = bitsPerSecond;
                        self->changed("indicatedBitrate");
                    }
                });
            },
    };
    endpoint_ = std::make_unique<GStreamerLoopbackEndpoint>(asset_, std::move(transport), std::move(callbacks));
    control_ = std::make_unique<GStreamerControlThread>("media engine's control thread", kControlTimeout,
                                                        [weak, main = mainQueue_] {
                                                            main.post([weak] {
                                                                if (auto self = weak.lock()) self->stopResponding();
                                                            });
                                                        });
    if (endpoint_->entryUrl().empty()) {
        fail(
            makeError(kMediaEngineErrorDomain, -11800, "The operation could not be completed", "No loopback endpoint"));
        return;
    }
    makePipeline();
    startPipeline();
}

void GStreamerPlayerItem::makePipeline() {
    std::weak_ptr<GStreamerPlayerItem> weak = weak_from_this();
    const unsigned generation = ++generation_;
    pipeline_ = gst_element_factory_make("playbin3", nullptr);
    if (!pipeline_) {
        videoSink_ = nullptr;
        return;
    }
    gst_object_ref_sink(pipeline_);
    videoSink_ = GST_ELEMENT(gst_object_ref_sink(videoSink(outputs_.video)));
    g_object_set(pipeline_, "uri", endpoint_->entryUrl().c_str(), "video-sink", videoSink_, "audio-sink",
                 audioSink(outputs_.audio), nullptr);
    // Cues go to the legible output, not onto the picture: the front end shows them.
    GstElement* textSink = fakeSink();
    // Subtitles are sparse: a cue-less stretch must not hold up prerolling.
    g_object_set(textSink, "async", FALSE, "signal-handoffs", TRUE, nullptr);
    g_signal_connect_data(
        textSink, "handoff", G_CALLBACK(&GStreamerPlayerItem::onTextBuffer),
        new BusContext{weak, mainQueue_, generation},
        [](gpointer context, GClosure*) { delete static_cast<BusContext*>(context); }, GConnectFlags(0));
    g_object_set(pipeline_, "text-sink", textSink, nullptr);
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, &GStreamerPlayerItem::onBusMessage, new BusContext{weak, mainQueue_, generation},
                             [](gpointer context) { delete static_cast<BusContext*>(context); });
    gst_object_unref(bus);
    if (GstPad* pad = gst_element_get_static_pad(videoSink_, "sink")) {
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &GStreamerPlayerItem::onFirstVideoBuffer,
                          new BusContext{weak, mainQueue_, generation},
                          [](gpointer context) { delete static_cast<BusContext*>(context); });
        gst_object_unref(pad);
    }
}

void GStreamerPlayerItem::startPipeline() {
    if (!pipeline_) {
        fail(makeError(kMediaEngineErrorDomain, -11800, "The operation could not be completed",
                       "GStreamer has no playbin3"));
        return;
    }
    sentState_ = GST_STATE_PAUSED;
    control([weak = weak_from_this(), main = mainQueue_](GstElement* pipeline) {
        if (gst_element_set_state(pipeline, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE) return;
        main.post([weak] {
            if (auto self = weak.lock())
                self->fail(makeError(kMediaEngineErrorDomain, -11800, "The operation could not be completed",
                                     "The pipeline did not start"));
        });
    });
}

GStreamerPlayerItem::~GStreamerPlayerItem() {
    // Last in line: every call already posted uses the pipeline before this one lets it go.
    if (pipeline_) control([videoSink = videoSink_](GstElement* pipeline) { dispose(pipeline, videoSink); });
    control_.reset();
    // The endpoint only once the pipeline has stopped: a demuxer whose every download fails at once retries in
    // a tight loop, and its download helper then frees transfers still in use.
    endpoint_.reset();
}

void GStreamerPlayerItem::control(std::function<void(GstElement*)> call) {
    control_->post([pipeline = pipeline_, call = std::move(call)] { call(pipeline); });
}

GstBusSyncReply GStreamerPlayerItem::onBusMessage(GstBus*, GstMessage* message, gpointer context) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR:
        case GST_MESSAGE_WARNING:
        case GST_MESSAGE_EOS:
        case GST_MESSAGE_ASYNC_DONE:
        case GST_MESSAGE_DURATION_CHANGED:
        case GST_MESSAGE_BUFFERING:
        case GST_MESSAGE_STREAMS_SELECTED: {
            auto* bus = static_cast<BusContext*>(context);
            std::shared_ptr<GstMessage> held(gst_message_ref(message), gst_message_unref);
            bus->mainQueue.post([item = bus->item, held, generation = bus->generation] {
                if (auto self = item.lock()) self->handleMessage(held.get(), generation);
            });
            break;
        }
        default:
            break;
    }
    return GST_BUS_DROP;
}

GstPadProbeReturn GStreamerPlayerItem::onFirstVideoBuffer(GstPad*, GstPadProbeInfo*, gpointer context) {
    auto* probe = static_cast<BusContext*>(context);
    probe->mainQueue.post([item = probe->item, at = std::chrono::steady_clock::now()] {
        auto self = item.lock();
        // The first frame of the item's first pipeline: a reload's is not the start.
        if (!self || self->firstVideoFrame_) return;
        self->firstVideoFrame_ = at;
        self->changed("firstVideoFrame");
    });
    // Once is enough: later buffers pass untouched.
    return GST_PAD_PROBE_REMOVE;
}

void GStreamerPlayerItem::onTextBuffer(GstElement*, GstBuffer* buffer, GstPad* pad, gpointer context) {
    if (!GST_BUFFER_PTS_IS_VALID(buffer)) return;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return;
    MediaLegibleCue cue;
    cue.text = plainText(std::string_view(reinterpret_cast<const char*>(map.data), map.size));
    gst_buffer_unmap(buffer, &map);
    // Timestamps run on the pipeline's running time (with an offset); the segment turns them into the title's.
    guint64 start = GST_BUFFER_PTS(buffer);
    if (GstEvent* event = gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0)) {
        const GstSegment* segment = nullptr;
        gst_event_parse_segment(event, &segment);
        if (segment && segment->format == GST_FORMAT_TIME)
            start = gst_segment_to_stream_time(segment, GST_FORMAT_TIME, start);
        gst_event_unref(event);
    }
    if (!GST_CLOCK_TIME_IS_VALID(start)) return;
    cue.start = static_cast<double>(start) / kNanoseconds;
    cue.end =
        cue.start +
        (GST_BUFFER_DURATION_IS_VALID(buffer) ? static_cast<double>(GST_BUFFER_DURATION(buffer)) / kNanoseconds : 0);
    if (cue.text.empty()) return;
    auto* text = static_cast<BusContext*>(context);
    text->mainQueue.post([item = text->item, cue = std::move(cue), generation = text->generation] {
        auto self = item.lock();
        if (self && self->legibleOutput_ && self->status_ == MediaPlayerItemStatus::ReadyToPlay && !self->reloading_ &&
            generation == self->generation_)
            self->legibleOutput_(cue);
    });
}

void GStreamerPlayerItem::handleMessage(GstMessage* message, unsigned generation) {
    // A pipeline a reload replaced may still report (its end, an error as it stops): none of it holds now.
    if (status_ == MediaPlayerItemStatus::Failed || generation != generation_) return;
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR:
        case GST_MESSAGE_WARNING: {
            GError* gerror = nullptr;
            gchar* debug = nullptr;
            const bool isError = GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR;
            if (isError)
                gst_message_parse_error(message, &gerror, &debug);
            else
                gst_message_parse_warning(message, &gerror, &debug);
            const std::string domain = g_quark_to_string(gerror->domain);
            const std::string text = gerror->message ? gerror->message : "";
            const std::string details = debug ? debug : "";
            const int code = gerror->code;
            g_error_free(gerror);
            g_free(debug);
            log(std::string(GST_MESSAGE_SRC_NAME(message)) + " " + domain + " " + std::to_string(code) + ": " + text +
                (details.empty() ? "" : " (" + details + ")"));
            if (isError) {
                Log::error("Media engine: {} ({})", text, details);
                fail(makeError(domain, code, text, details));
            }
            break;
        }
        case GST_MESSAGE_EOS: {
            ended_ = true;
            if (playedToEnd_) playedToEnd_();
            Platform::current().notificationCenter().post(kMediaPlayerItemDidPlayToEndTimeNotification,
                                                          static_cast<const MediaPlayerItem*>(this));
            break;
        }
        case GST_MESSAGE_ASYNC_DONE:
            updateDuration();
            updateNaturalSize();
            if (status_ == MediaPlayerItemStatus::Unknown) {
                becomeReady();
            } else if (reloading_) {
                reloading_ = false;
                sendNext();
            } else if (seekInFlight_) {
                seekInFlight_ = false;
                if (seek_ && seek_->sent) answerSeek(true);
                sendNext();
            }
            break;
        case GST_MESSAGE_DURATION_CHANGED:
            updateDuration();
            break;
        case GST_MESSAGE_BUFFERING: {
            int percent = 100;
            gst_message_parse_buffering(message, &percent);
            updateBuffering(percent);
            break;
        }
        case GST_MESSAGE_STREAMS_SELECTED:
            updateSelection(message);
            break;
        default:
            break;
    }
}

void GStreamerPlayerItem::becomeReady() {
    status_ = MediaPlayerItemStatus::ReadyToPlay;
    bufferEmpty_ = false;
    likelyToKeepUp_ = !buffering_;
    changed("status");
    changed("playbackBufferEmpty");
    changed("playbackLikelyToKeepUp");
    sendNext();
}

void GStreamerPlayerItem::updateDuration() {
    gint64 nanoseconds = -1;
    if (!gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &nanoseconds) || nanoseconds <= 0) return;
    const double seconds = static_cast<double>(nanoseconds) / kNanoseconds;
    if (duration_ == seconds) return;
    duration_ = seconds;
    changed("duration");
}

void GStreamerPlayerItem::updateNaturalSize() {
    if (naturalSize_ || !videoSink_) return;
    GstPad* pad = gst_element_get_static_pad(videoSink_, "sink");
    GstCaps* caps = pad ? gst_pad_get_current_caps(pad) : nullptr;
    if (pad) gst_object_unref(pad);
    if (!caps) return;
    const GstStructure* structure = gst_caps_get_structure(caps, 0);
    int width = 0, height = 0, parN = 1, parD = 1;
    if (gst_structure_get_int(structure, "width", &width) && gst_structure_get_int(structure, "height", &height)) {
        gst_structure_get_fraction(structure, "pixel-aspect-ratio", &parN, &parD);
        naturalSize_ =
            MediaVideoSize{static_cast<double>(width) * parN / (parD ? parD : 1), static_cast<double>(height)};
    }
    gst_caps_unref(caps);
    if (naturalSize_) changed("tracks");
}

void GStreamerPlayerItem::updateBuffering(int percent) {
    const bool buffering = percent < 100;
    const bool wasEmpty = bufferEmpty_, wasLikely = likelyToKeepUp_;
    if (status_ == MediaPlayerItemStatus::ReadyToPlay) {
        bufferEmpty_ = buffering;
        likelyToKeepUp_ = !buffering;
    }
    if (buffering != buffering_) {
        buffering_ = buffering;
        // Playing on while the queues run dry would stutter: wait for them, as the platform player does.
        applyState();
    }
    changed("loadedTimeRanges");
    if (wasEmpty != bufferEmpty_) changed("playbackBufferEmpty");
    if (wasLikely != likelyToKeepUp_) changed("playbackLikelyToKeepUp");
}

void GStreamerPlayerItem::updateSelection(GstMessage* message) {
    std::set<std::string> selected;
    for (guint i = 0; i < gst_message_streams_selected_get_size(message); ++i) {
        GstStream* stream = gst_message_streams_selected_get_stream(message, i);
        selected.insert(streamId(stream));
        gst_object_unref(stream);
    }
    if (selected != selected_) {
        selected_ = std::move(selected);
        changed("currentMediaSelection");
    }
}

void GStreamerPlayerItem::sendNext() {
    if (status_ != MediaPlayerItemStatus::ReadyToPlay) return;
    // The demuxer deadlocks, now and then, on an event that arrives while it still handles a seek: the next
    // one when the seek's ASYNC_DONE is back.
    // A choice made while the first playlist was still to come is in the pipeline already.
    if (reloadWanted_ && endpoint_->servedChoice() == choice_) reloadWanted_ = false;
    if (!seekInFlight_ && !reloading_) {
        if (reloadWanted_)
            reload();
        else if (seek_ && !seek_->sent)
            sendSeek();
        else if (rate_ > 0 && rate_ != sentRate_)
            sendRate();
    }
    applyState();
}

void GStreamerPlayerItem::reload() {
    reloadWanted_ = false;
    reloading_ = true;
    // Back to where it stood (or where a waiting seek goes) once the new preroll is in.
    if (!seek_) seek_ = PendingSeek{currentTime(), nullptr, false};
    rangeStart_ = seek_->target;
    ended_ = false;
    control([videoSink = videoSink_](GstElement* pipeline) { dispose(pipeline, videoSink); });
    makePipeline();
    startPipeline();
}

void GStreamerPlayerItem::selectMediaOption(const std::optional<MediaSelectionOption>& option,
                                            const MediaSelectionGroup& group) {
    MOVRA_ASSERT_MAIN_QUEUE();
    // An option's identifier is its stream's id: the rendition's NAME after "audio-" or "text-".
    auto name = [&] { return option->identifier.substr(option->identifier.find('-') + 1); };
    auto choice = choice_;
    if (group.characteristic == MediaCharacteristic::Audible) {
        if (!option) return;
        choice.audio = name();
    } else {
        choice.subtitles = option ? std::optional(name()) : std::nullopt;
    }
    if (choice == choice_ || status_ == MediaPlayerItemStatus::Failed) return;
    choice_ = std::move(choice);
    endpoint_->setRenditionChoice(choice_);
    // What plays already (the default audio, chosen again by language at start) needs no new pipeline.
    if (!reloadWanted_ && !reloading_ && status_ == MediaPlayerItemStatus::ReadyToPlay &&
        selectedMediaOption(group) == option)
        return;
    // Still prerolling: the first playlist may already be read, so the reload waits for the preroll.
    reloadWanted_ = true;
    sendNext();
}

std::optional<MediaSelectionOption> GStreamerPlayerItem::selectedMediaOption(const MediaSelectionGroup& group) const {
    for (const auto& option : group.options)
        if (selected_.count(option.identifier)) return option;
    return std::nullopt;
}

void GStreamerPlayerItem::fail(ErrorPtr error) {
    if (status_ == MediaPlayerItemStatus::Failed) return;
    status_ = MediaPlayerItemStatus::Failed;
    error_ = std::move(error);
    if (pipeline_) {
        sentState_ = GST_STATE_NULL;
        control([](GstElement* pipeline) { gst_element_set_state(pipeline, GST_STATE_NULL); });
    }
    answerSeek(false);
    changed("status");
}

void GStreamerPlayerItem::stopResponding() {
    log("The media engine stopped responding");
    Log::error("Media engine: a seek, selection or state change did not return within {} s", kControlTimeout);
    fail(makeError(kMediaEngineErrorDomain, -11819, "The media engine stopped responding",
                   "A pipeline call did not return"));
}

void GStreamerPlayerItem::log(std::string line) { errorLog_.push_back(std::move(line)); }

std::string GStreamerPlayerItem::errorLog() const { return join(errorLog_, "\n"); }

MediaObservable::Token GStreamerPlayerItem::addObserver(const std::string& key, std::function<void()> changed) {
    return observers_.add(key, std::move(changed));
}

bool GStreamerPlayerItem::removeObserver(const std::string& key, Token token) { return observers_.remove(key, token); }

double GStreamerPlayerItem::currentTime() const {
    if (seek_) return seek_->target;
    if (status_ != MediaPlayerItemStatus::ReadyToPlay) return rangeStart_;
    if (ended_ && duration_) return *duration_;
    gint64 nanoseconds = -1;
    // The sink's position is what was shown; the pipeline's may run ahead of it.
    if (!gst_element_query_position(videoSink_, GST_FORMAT_TIME, &nanoseconds) || nanoseconds < 0)
        gst_element_query_position(pipeline_, GST_FORMAT_TIME, &nanoseconds);
    if (nanoseconds < 0) return rangeStart_;
    const double seconds = static_cast<double>(nanoseconds) / kNanoseconds;
    return duration_ ? std::min(seconds, *duration_) : seconds;
}

std::vector<MediaTimeRange> GStreamerPlayerItem::loadedTimeRanges() const {
    if (status_ != MediaPlayerItemStatus::ReadyToPlay) return {};
    double end = currentTime();
    GstQuery* query = gst_query_new_buffering(GST_FORMAT_TIME);
    if (gst_element_query(pipeline_, query)) {
        gint64 stop = -1;
        gst_query_parse_buffering_range(query, nullptr, nullptr, &stop, nullptr);
        if (stop > 0) end = std::max(end, static_cast<double>(stop) / kNanoseconds);
    }
    gst_query_unref(query);
    if (duration_) end = std::min(end, *duration_);
    if (end <= rangeStart_) return {};
    return {{rangeStart_, end - rangeStart_}};
}

void GStreamerPlayerItem::seekToTime(double seconds, std::function<void(bool finished)> completion) {
    MOVRA_ASSERT_MAIN_QUEUE();
    answerSeek(false);
    if (status_ == MediaPlayerItemStatus::Failed) {
        mainQueue_.post([completion = std::move(completion)] {
            if (completion) completion(false);
        });
        return;
    }
    seek_ = PendingSeek{std::max(0.0, seconds), std::move(completion), false};
    ended_ = false;
    sendNext();
}

void GStreamerPlayerItem::cancelPendingSeeks() {
    MOVRA_ASSERT_MAIN_QUEUE();
    answerSeek(false);
}

void GStreamerPlayerItem::sendSeek() {
    seek_->sent = true;
    rangeStart_ = seek_->target;
    seekTo(seek_->target);
}

void GStreamerPlayerItem::sendRate() {
    sentRate_ = rate_;
    seekTo(currentTime());
}

void GStreamerPlayerItem::seekTo(double position) {
    seekInFlight_ = true;
    control([weak = weak_from_this(), main = mainQueue_, rate = sentRate_, position](GstElement* pipeline) {
        // Accurate: the platform player lands on the time asked for, not on the segment's first key frame.
        if (gst_element_seek(pipeline, rate, GST_FORMAT_TIME,
                             static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), GST_SEEK_TYPE_SET,
                             static_cast<gint64>(position * kNanoseconds), GST_SEEK_TYPE_NONE, -1))
            return;
        main.post([weak, position] {
            if (auto self = weak.lock()) self->seekRefused(position);
        });
    });
}

void GStreamerPlayerItem::seekRefused(double position) {
    log("seek to " + std::to_string(position) + " s refused");
    seekInFlight_ = false;
    if (seek_ && seek_->sent) answerSeek(false);
    sendNext();
}

void GStreamerPlayerItem::answerSeek(bool finished) {
    if (!seek_) return;
    auto completion = std::move(seek_->completion);
    seek_.reset();
    if (completion) mainQueue_.post([completion = std::move(completion), finished] { completion(finished); });
}

void GStreamerPlayerItem::setRate(float rate) {
    MOVRA_ASSERT_MAIN_QUEUE();
    rate_ = rate;
    sendNext();
}

void GStreamerPlayerItem::applyState() {
    if (status_ != MediaPlayerItemStatus::ReadyToPlay || reloading_) return;
    const GstState state = rate_ > 0 && !buffering_ ? GST_STATE_PLAYING : GST_STATE_PAUSED;
    if (sentState_ == state) return;
    sentState_ = state;
    control([state](GstElement* pipeline) { gst_element_set_state(pipeline, state); });
}

}  // namespace movra
