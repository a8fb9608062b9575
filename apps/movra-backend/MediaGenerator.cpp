// Generating an asset's HLS streams, subtitles and seek pictures.
#include "movra-backend/MediaGenerator.h"

#include "Foundation/Strings.h"
#include "movra-backend/ExternalProgram.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace movra::backend {

namespace {

struct Rendition {
    const char* language;
    const char* name;
    /// Tone of an audio rendition, so that a listener hears which one plays.
    int frequency;
};

constexpr Rendition kAudio[] = {{"sv", "Svenska", 440}, {"en", "English", 550}, {"fi", "Suomi", 660}};
constexpr Rendition kSubtitles[] = {
    {"sv", "Svenska", 0}, {"no", "Norsk", 0}, {"fi", "Suomi", 0}, {"da", "Dansk", 0}, {"en", "English", 0}};
constexpr const char* kAudioGroup = "aud";
constexpr const char* kSubtitleGroup = "subs";

std::optional<std::string> writeFile(const std::string& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    out.close();
    if (!out) return "cannot write " + path;
    return std::nullopt;
}

std::string variantName(const StreamAsset& asset, int height) { return asset.id + "_" + std::to_string(height); }

int widthFor(int height) { return height * 16 / 9; }

int segmentCount(const StreamAsset& asset) {
    return (asset.durationSeconds + MediaGenerator::kSegmentSeconds - 1) / MediaGenerator::kSegmentSeconds;
}

// "HH:MM:SS.mmm" of a WebVTT cue timing.
std::string cueTime(int milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", milliseconds / 3600000, milliseconds / 60000 % 60,
                  milliseconds / 1000 % 60, milliseconds % 1000);
    return text;
}

}  // namespace

MediaGenerator::MediaGenerator(std::string ffmpeg) : ffmpeg_(std::move(ffmpeg)) {}

std::optional<std::string> MediaGenerator::generate(const StreamAsset& asset, const std::string& directory) const {
    if (auto error = encodeStreams(asset, directory)) return error;
    if (auto error = drawSeekPictures(asset, directory)) return error;
    if (auto error = writeSubtitles(asset, directory)) return error;
    return writeFile(directory + "/master.m3u8", masterPlaylist(asset));
}

std::optional<std::string> MediaGenerator::encodeStreams(const StreamAsset& asset, const std::string& directory) const {
    // The key material goes next to the output only while ffmpeg reads it: nothing there is ever served.
    const std::string keyFile = directory + "/.key";
    const std::string keyInfo = directory + "/.keyinfo";
    if (auto error = writeFile(keyFile, asset.key)) return error;
    if (auto error = writeFile(keyInfo, "skd://" + asset.keyId + "\n" + keyFile + "\n")) return error;

    const std::string duration = std::to_string(asset.durationSeconds);
    std::vector<std::string> arguments{ffmpeg_,
                                       "-hide_banner",
                                       "-nostdin",
                                       "-loglevel",
                                       "error",
                                       "-y",
                                       "-f",
                                       "lavfi",
                                       "-i",
                                       "testsrc2=size=" + std::to_string(widthFor(kVariantHeights[0])) + "x" +
                                           std::to_string(kVariantHeights[0]) + ":rate=25:duration=" + duration};
    for (const Rendition& audio : kAudio) {
        arguments.insert(arguments.end(), {"-f", "lavfi", "-i",
                                           "sine=frequency=" + std::to_string(audio.frequency) +
                                               ":sample_rate=48000:duration=" + duration});
    }
    const std::string small = std::to_string(widthFor(kVariantHeights[1])) + ":" + std::to_string(kVariantHeights[1]);
    arguments.insert(arguments.end(), {"-filter_complex", "[0:v]split=2[big][full];[full]scale=" + small + "[small]",
                                       "-map", "[big]", "-map", "[small]"});
    std::string streamMap = "v:0,agroup:" + std::string(kAudioGroup) +
                            ",name:" + variantName(asset, kVariantHeights[0]) + " v:1,agroup:" + kAudioGroup +
                            ",name:" + variantName(asset, kVariantHeights[1]);
    int index = 0;
    for (const Rendition& audio : kAudio) {
        arguments.insert(arguments.end(), {"-map", std::to_string(++index) + ":a"});
        streamMap += " a:" + std::to_string(index - 1) + ",agroup:" + kAudioGroup + ",language:" + audio.language +
                     ",name:audio_" + audio.language;
    }
    // A key frame every segment, so that each segment starts one and seeks land on segment starts.
    arguments.insert(arguments.end(), {"-c:v",
                                       "libx264",
                                       "-preset",
                                       "ultrafast",
                                       "-profile:v",
                                       "baseline",
                                       "-level",
                                       "3.0",
                                       "-pix_fmt",
                                       "yuv420p",
                                       "-force_key_frames",
                                       "expr:gte(t,n_forced*" + std::to_string(kSegmentSeconds) + ")",
                                       "-b:v:0",
                                       "300k",
                                       "-b:v:1",
                                       "120k",
                                       "-c:a",
                                       "aac",
                                       "-b:a",
                                       "64k",
                                       "-ac",
                                       "2",
                                       "-f",
                                       "hls",
                                       "-hls_time",
                                       std::to_string(kSegmentSeconds),
                                       "-hls_playlist_type",
                                       "vod",
                                       "-hls_key_info_file",
                                       keyInfo,
                                       "-hls_segment_filename",
                                       directory + "/%v/seg_%05d.ts",
                                       "-var_stream_map",
                                       streamMap,
                                       directory + "/%v/index.m3u8"});
    auto error = ExternalProgram::run(arguments, directory + "/ffmpeg.log");
    std::error_code ignored;
    std::filesystem::remove(keyFile, ignored);
    std::filesystem::remove(keyInfo, ignored);
    return error;
}

std::optional<std::string> MediaGenerator::drawSeekPictures(const StreamAsset& asset,
                                                            const std::string& directory) const {
    const std::string pictures = directory + "/images_1";
    std::error_code ec;
    std::filesystem::create_directories(pictures, ec);
    if (ec) return "cannot create " + pictures + ": " + ec.message();
    const std::string duration = std::to_string(asset.durationSeconds);
    // The same pattern as the streams, one frame per second, numbered by the second it shows.
    return ExternalProgram::run(
        {ffmpeg_, "-hide_banner", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
         "testsrc2=size=" + std::to_string(widthFor(kVariantHeights[0])) + "x" + std::to_string(kVariantHeights[0]) +
             ":rate=1:duration=" + duration,
         "-frames:v", duration, "-q:v", "5", "-start_number", "0", pictures + "/" + asset.id + "_1.%05d.jpg"},
        directory + "/ffmpeg.log");
}

std::optional<std::string> MediaGenerator::writeSubtitles(const StreamAsset& asset, const std::string& directory) {
    const int segments = segmentCount(asset);
    for (const Rendition& subtitle : kSubtitles) {
        const std::string folder = directory + "/subs_" + subtitle.language;
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (ec) return "cannot create " + folder + ": " + ec.message();
        std::string playlist = "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:" + std::to_string(kSegmentSeconds) +
                               "\n#EXT-X-MEDIA-SEQUENCE:0\n#EXT-X-PLAYLIST-TYPE:VOD\n";
        for (int i = 0; i < segments; ++i) {
            const int start = i * kSegmentSeconds * 1000;
            const int end = std::min((i + 1) * kSegmentSeconds, asset.durationSeconds) * 1000;
            char name[32];
            std::snprintf(name, sizeof name, "seg_%05d.vtt", i);
            char clock[16];
            std::snprintf(clock, sizeof clock, "%d:%02d", start / 60000, start / 1000 % 60);
            // A segment must end with a blank line, or players drop its last cue.
            const std::string cues = "WEBVTT\nX-TIMESTAMP-MAP=MPEGTS:" + std::to_string(kFirstTimestamp) +
                                     ",LOCAL:00:00:00.000\n\n" + cueTime(start + 250) + " --> " +
                                     cueTime(std::max(start + 500, end - 250)) + "\n" + subtitle.name + " " + clock +
                                     "\n\n";
            if (auto error = writeFile(folder + "/" + name, cues)) return error;
            char length[32];
            std::snprintf(length, sizeof length, "%.3f", (end - start) / 1000.0);
            playlist += std::string("#EXTINF:") + length + ",\n" + name + "\n";
        }
        playlist += "#EXT-X-ENDLIST\n";
        if (auto error = writeFile(folder + "/index.m3u8", playlist)) return error;
    }
    return std::nullopt;
}

std::string MediaGenerator::masterPlaylist(const StreamAsset& asset) {
    std::string text = "#EXTM3U\n#EXT-X-VERSION:4\n";
    bool first = true;
    for (const Rendition& audio : kAudio) {
        text += std::string("#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"") + kAudioGroup + "\",LANGUAGE=\"" + audio.language +
                "\",NAME=\"" + audio.name + "\",DEFAULT=" + (first ? "YES" : "NO") + ",AUTOSELECT=YES,URI=\"audio_" +
                audio.language + "/index.m3u8\"\n";
        first = false;
    }
    for (const Rendition& subtitle : kSubtitles) {
        text += std::string("#EXT-X-MEDIA:TYPE=SUBTITLES,GROUP-ID=\"") + kSubtitleGroup + "\",LANGUAGE=\"" +
                subtitle.language + "\",NAME=\"" + subtitle.name +
                "\",DEFAULT=NO,AUTOSELECT=YES,FORCED=NO,URI=\"subs_" + subtitle.language + "/index.m3u8\"\n";
    }
    for (int height : kVariantHeights) {
        const int bandwidth = (height == kVariantHeights[0] ? 300 : 120) * 1000 + 70000;
        text += "#EXT-X-STREAM-INF:PROGRAM-ID=1,BANDWIDTH=" + std::to_string(bandwidth) +
                ",RESOLUTION=" + std::to_string(widthFor(height)) + "x" + std::to_string(height) +
                ",CODECS=\"avc1.42e01e,mp4a.40.2\",AUDIO=\"" + kAudioGroup + "\",SUBTITLES=\"" + kSubtitleGroup +
                "\"\n" + variantName(asset, height) + "/index.m3u8\n";
    }
    return text;
}

}  // namespace movra::backend
