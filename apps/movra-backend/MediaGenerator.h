// MediaGenerator: writes one StreamAsset as HLS with ffmpeg: two video variants ("<id>_180", "<id>_90")
// and Swedish, English and Finnish audio renditions, encrypted with the asset's key in 4-second
// segments; WebVTT subtitle renditions in Swedish, Norwegian, Finnish, Danish and English; the master
// playlist; and a seek picture per second at "images_1/<id>_1.NNNNN.jpg". ffmpeg writes one subtitle
// rendition per variant at most, so the subtitles and the master playlist are written here.
//
// Thread contract: const; generate() blocks while ffmpeg runs.
#pragma once

#include "movra-backend/StreamAsset.h"

#include <optional>
#include <string>

namespace movra::backend {

class MediaGenerator {
  public:
    static constexpr int kSegmentSeconds = 4;
    /// Heights of the video variants, largest first; the widths keep 16:9.
    static constexpr int kVariantHeights[] = {180, 90};
    /// Where the first sample of an ffmpeg MPEG-TS segment lies on the 90 kHz clock (1.4 s); subtitles map
    /// their zero to it so that cues line up with the pictures.
    static constexpr long kFirstTimestamp = 126000;

    /// `ffmpeg`: the program to run (a name looked up in PATH, or a path).
    explicit MediaGenerator(std::string ffmpeg);

    /// Writes `asset` into `directory` (which must exist). An error text when ffmpeg is missing or fails.
    std::optional<std::string> generate(const StreamAsset& asset, const std::string& directory) const;

    /// The master playlist of `asset`, relative URIs throughout.
    static std::string masterPlaylist(const StreamAsset& asset);

  private:
    std::optional<std::string> encodeStreams(const StreamAsset& asset, const std::string& directory) const;
    std::optional<std::string> drawSeekPictures(const StreamAsset& asset, const std::string& directory) const;
    static std::optional<std::string> writeSubtitles(const StreamAsset& asset, const std::string& directory);

    std::string ffmpeg_;
};

}  // namespace movra::backend
