#include "movra/PlaybackReport.h"

#include "Model/MVItem.h"
#include "Sections/MoviePlayer/MVDRMVideoPlayerViewController.h"
#include "Sections/MoviePlayer/MVMediaSelectionOptionHelper.h"
#include "movra/Output.h"

#include <iostream>

namespace movra::cli {

namespace {

std::string clock(double seconds) { return MVDRMVideoPlayerViewController::timeStringFromSeconds(seconds); }

Json renditions(const MediaSelectionGroupPtr& group) {
    Json list = Json::array();
    if (!group) return list;
    for (const auto& option : group->options)
        list.push_back({{"language", option.localeLanguageCode},
                        {"name", MVMediaSelectionOptionHelper::mvtk_localizedDisplayName(option)}});
    return list;
}

std::string renditionsText(const Json& list) {
    std::string text;
    for (const auto& r : list)
        text +=
            (text.empty() ? "" : ", ") + r["name"].get<std::string>() + " (" + r["language"].get<std::string>() + ")";
    return text.empty() ? "none" : text;
}

}  // namespace

void PlaybackReport::print(const Json& event, const std::string& text) const {
    if (json_)
        std::cout << event.dump(-1, ' ', false, Json::error_handler_t::replace) << std::endl;
    else
        std::cout << text << std::endl;
}

void PlaybackReport::title(const std::string& guid, const std::string& title, double duration) {
    print({{"event", "title"}, {"guid", guid}, {"title", title}, {"duration", duration}},
          "Playing " + title + " [" + guid + "], " + clock(duration));
}

void PlaybackReport::progress(double position, double duration, double buffered) {
    print({{"event", "position"}, {"position", position}, {"duration", duration}, {"buffered", buffered}},
          clock(position) + " / " + clock(duration) + ", buffered to " + clock(buffered));
}

void PlaybackReport::error(const std::string& title, const std::string& message) {
    failed_ = true;
    print({{"event", "error"}, {"title", title}, {"message", message}}, message);
}

void PlaybackReport::paused(bool paused) {
    print({{"event", paused ? "paused" : "resumed"}}, paused ? "Paused" : "Resumed");
}

void PlaybackReport::cuePointHit(const std::shared_ptr<MVItem>& item, long long countdown) {
    const std::string next = item ? item->title().value_or(item->guid().value_or("")) : "";
    print({{"event", "chainPlay"},
           {"next", item ? Json(item->guid().value_or("")) : Json(nullptr)},
           {"countdown", countdown}},
          "Up next" + (next.empty() ? std::string() : ": " + next) + " in " + std::to_string(countdown) + " s");
}

void PlaybackReport::dismissPlayer() { finished_ = true; }

void PlaybackReport::sessionOpened(const std::string& streamURL) {
    print({{"event", "session"}, {"url", streamURL}}, "Session opened: " + streamURL);
}

void PlaybackReport::playerSetupComplete(double position) {
    ready_ = true;
    print({{"event", "setupComplete"}, {"position", position}}, "Ready at " + clock(position));
}

void PlaybackReport::tracksAvailable(const MediaSelectionGroupPtr& subtitles, const MediaSelectionGroupPtr& audio) {
    const Json audioList = renditions(audio);
    const Json subtitleList = renditions(subtitles);
    // The player reports the groups again on every change of rate.
    if (lastTracks_ == Json{audioList, subtitleList}) return;
    lastTracks_ = Json{audioList, subtitleList};
    print({{"event", "tracks"}, {"audio", audioList}, {"subtitles", subtitleList}},
          "Audio: " + renditionsText(audioList) + "\nSubtitles: " + renditionsText(subtitleList));
}

void PlaybackReport::bufferingChanged(bool buffering) {
    print({{"event", "buffering"}, {"buffering", buffering}}, buffering ? "Buffering" : "Buffered");
}

void PlaybackReport::bookmarkSent(long long seconds, const ErrorPtr& error) {
    print({{"event", "bookmark"}, {"seconds", seconds}, {"error", errorObject(error)}},
          "Bookmark " + std::to_string(seconds) + " s " + (error ? "not stored: " + error->summary() : "sent"));
}

void PlaybackReport::choices(const std::vector<SubtitleAndAudioEntry>& entries, const std::string& selected,
                             bool audio) {
    Json list = Json::array();
    std::string text = audio ? "Audio:" : "Subtitles:";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const bool isSelected = entries[i].key == selected;
        list.push_back(
            {{"number", i}, {"name", entries[i].displayName}, {"key", entries[i].key}, {"selected", isSelected}});
        text += "  " + std::to_string(i) + " " + entries[i].displayName + (isSelected ? " *" : "");
    }
    text += audio ? "  (a number picks, a cycles)" : "  (a number picks, s cycles)";
    print({{"event", "choices"}, {"kind", audio ? "audio" : "subtitles"}, {"entries", list}}, text);
}

void PlaybackReport::chosen(const std::string& subtitle, const std::string& audioTrack) {
    print({{"event", "chosen"}, {"subtitle", subtitle}, {"audioTrack", audioTrack}},
          "Subtitles " + (subtitle.empty() ? std::string("off") : subtitle) +
              (audioTrack.empty() ? std::string() : ", audio " + audioTrack));
}

void PlaybackReport::audioPlaying(const std::string& name, const std::string& language) {
    print({{"event", "audioPlaying"}, {"name", name}, {"language", language}},
          "Audio playing: " + name + " (" + language + ")");
}

void PlaybackReport::seekBarReleased(double seconds) {
    print({{"event", "seek"}, {"position", seconds}}, "Seek to " + clock(seconds));
}

void PlaybackReport::suspended(bool suspended) {
    print({{"event", suspended ? "background" : "foreground"}},
          suspended ? "Stopped: the bookmark is saved" : "Continued, paused: space plays on");
}

void PlaybackReport::subtitleCue(const std::string& text, double start, double end) {
    print({{"event", "subtitle"}, {"text", text}, {"start", start}, {"end", end}}, "[" + clock(start) + "] " + text);
}

void PlaybackReport::seekThumbnailShown(double seconds, bool loaded) {
    print({{"event", "thumbnail"}, {"position", seconds}, {"source", loaded ? "loaded" : "cached"}},
          "Seek bar shows the picture of " + clock(seconds) + (loaded ? " (loaded)" : " (cached)"));
}

void PlaybackReport::cuePointReached(double position) {
    print({{"event", "cuePoint"}, {"position", position}}, "Cue point at " + clock(position));
}

void PlaybackReport::reachedEnd() {
    finished_ = true;
    print({{"event", "end"}}, "End of the title");
}

void PlaybackReport::sessionClosed(long long seconds, const ErrorPtr& error) {
    closed_ = true;
    print({{"event", "closed"}, {"bookmarkSecs", seconds}, {"error", errorObject(error)}},
          "Session closed at " + std::to_string(seconds) + " s" + (error ? ": " + error->summary() : ""));
}

}  // namespace movra::cli
