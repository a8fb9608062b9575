#include "Platform/GStreamerMediaAsset.h"

#include "Foundation/MainQueue.h"
#include "Foundation/Url.h"
#include "Platform/HlsPlaylist.h"
#include "Platform/MediaEngine.h"

namespace movra {

namespace {

/// The keys this asset loads; any other stays unknown.
bool isLoadableKey(const std::string& key) { return key == "tracks" || key == "playable" || key == "duration"; }

MediaSelectionGroupPtr makeGroup(const std::vector<HlsPlaylist::Rendition>& renditions, const std::string& type,
                                 MediaCharacteristic characteristic) {
    auto group = std::make_shared<MediaSelectionGroup>();
    group->characteristic = characteristic;
    group->allowsEmptySelection = characteristic == MediaCharacteristic::Legible;
    // The demuxer names a rendition's stream after its NAME and nothing else.
    const std::string prefix = characteristic == MediaCharacteristic::Audible ? "audio-" : "text-";
    for (const auto& r : renditions) {
        if (r.type != type) continue;
        group->options.push_back({prefix + r.name, r.name, r.language, {{"title", "comn", r.name, r.language}}});
        if (r.isDefault && !group->defaultOption) group->defaultOption = group->options.back();
    }
    return group->options.empty() ? nullptr : group;
}

}  // namespace

GStreamerMediaAsset::GStreamerMediaAsset(std::string url, std::shared_ptr<HttpTransport> transport,
                                         RunLoopHandle mainQueue)
    : url_(std::move(url)), transport_(std::move(transport)), mainQueue_(std::move(mainQueue)) {}

void GStreamerMediaAsset::setResourceLoaderDelegate(std::weak_ptr<MediaResourceLoaderDelegate> delegate,
                                                    std::shared_ptr<DispatchQueue> queue) {
    std::lock_guard lock(loaderMutex_);
    loader_ = {std::move(delegate), std::move(queue)};
}

GStreamerMediaAsset::ResourceLoader GStreamerMediaAsset::resourceLoader() const {
    std::lock_guard lock(loaderMutex_);
    return loader_;
}

void GStreamerMediaAsset::loadValuesAsynchronously(const std::vector<std::string>&, std::function<void()> completion) {
    MOVRA_ASSERT_MAIN_QUEUE();
    if (status_ == MediaKeyValueStatus::Loaded || status_ == MediaKeyValueStatus::Failed) {
        mainQueue_.post(std::move(completion));
        return;
    }
    completions_.push_back(std::move(completion));
    if (status_ == MediaKeyValueStatus::Loading) return;
    status_ = MediaKeyValueStatus::Loading;
    fetch(url_, [weak = weak_from_this()](ErrorPtr error, std::string body) {
        auto self = weak.lock();
        if (!self) return;
        if (error) return self->finish(std::move(error));
        self->readMaster(body);
    });
}

void GStreamerMediaAsset::readMaster(const std::string& body) {
    auto playlist = HlsPlaylist::parse(body);
    if (!playlist) return finish(makeError(kMediaEngineErrorDomain, -11828, "Cannot Open", "Not an HLS playlist"));
    if (playlist->variantUris().empty()) {
        duration_ = playlist->duration();
        return finish(nullptr);
    }
    audible_ = makeGroup(playlist->renditions(), "AUDIO", MediaCharacteristic::Audible);
    legible_ = makeGroup(playlist->renditions(), "SUBTITLES", MediaCharacteristic::Legible);
    auto base = Url::parse(url_);
    auto variant = base ? Url::resolve(playlist->variantUris().front(), *base) : std::nullopt;
    if (!variant) return finish(makeError(kMediaEngineErrorDomain, -11828, "Cannot Open", "Bad variant URI"));
    fetch(variant->absoluteString(), [weak = weak_from_this()](ErrorPtr error, std::string media) {
        auto self = weak.lock();
        if (!self) return;
        if (auto parsed = error ? std::nullopt : HlsPlaylist::parse(media)) self->duration_ = parsed->duration();
        self->finish(std::move(error));
    });
}

void GStreamerMediaAsset::fetch(const std::string& url, std::function<void(ErrorPtr, std::string)> done) {
    HttpRequest request;
    request.url = url;
    request.timeoutSeconds = 30;
    transport_->dataTask(std::move(request), [main = mainQueue_, done = std::move(done)](
                                                 const HttpTaskPtr&, std::shared_ptr<const HttpResponse> response,
                                                 std::string body, ErrorPtr error) mutable {
        if (!error && response && (response->statusCode < 200 || response->statusCode > 299)) {
            error = makeError(kMediaEngineErrorDomain, -11828, "Cannot Open",
                              "HTTP status " + std::to_string(response->statusCode),
                              {{kErrorHTTPStatusCodeKey, response->statusCode}});
        }
        main.post([done = std::move(done), error = std::move(error), body = std::move(body)]() mutable {
            done(std::move(error), std::move(body));
        });
    });
}

void GStreamerMediaAsset::finish(ErrorPtr error) {
    status_ = error ? MediaKeyValueStatus::Failed : MediaKeyValueStatus::Loaded;
    error_ = std::move(error);
    auto completions = std::move(completions_);
    completions_.clear();
    for (auto& completion : completions) completion();
}

MediaKeyValueStatus GStreamerMediaAsset::statusOfValue(const std::string& key, ErrorPtr* error) const {
    if (!isLoadableKey(key)) return MediaKeyValueStatus::Unknown;
    if (error && status_ == MediaKeyValueStatus::Failed) *error = error_;
    return status_;
}

MediaSelectionGroupPtr GStreamerMediaAsset::mediaSelectionGroup(MediaCharacteristic characteristic) const {
    return characteristic == MediaCharacteristic::Audible ? audible_ : legible_;
}

}  // namespace movra
