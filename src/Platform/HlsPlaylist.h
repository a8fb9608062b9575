// HlsPlaylist: what the engine reads from an HLS playlist (renditions, variants, duration), and the rewriting
// of its URIs that sends everything the demuxer fetches through the engine's loopback endpoint.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace movra {

class HlsPlaylist {
  public:
    /// An #EXT-X-MEDIA line.
    struct Rendition {
        std::string type;  // "AUDIO", "SUBTITLES", ...
        std::string groupId;
        std::string name;
        std::string language;
        bool isDefault = false;
        std::string uri;
    };

    /// nullopt when `text` does not start with #EXTM3U.
    static std::optional<HlsPlaylist> parse(std::string_view text);
    /// `text` with each URI (URI lines and URI="..." attributes) replaced by `map(uri)`, all else kept.
    static std::string rewriteUris(std::string_view text, const std::function<std::string(const std::string&)>& map);

    /// `text` without the #EXT-X-MEDIA renditions `keep` refuses. A variant's reference to a group that has
    /// no rendition left goes too, since a demuxer may refuse a group it cannot find.
    static std::string keepRenditions(std::string_view text, const std::function<bool(const Rendition&)>& keep);

    const std::vector<Rendition>& renditions() const { return renditions_; }
    /// URIs of the #EXT-X-STREAM-INF variants, in playlist order; empty for a media playlist.
    const std::vector<std::string>& variantUris() const { return variantUris_; }
    /// The BANDWIDTH of each variant, in the order of variantUris() (nullopt where it is missing).
    const std::vector<std::optional<double>>& variantBandwidths() const { return variantBandwidths_; }
    /// The sum of the segment durations of a media playlist that ends (#EXT-X-ENDLIST); nullopt otherwise.
    std::optional<double> duration() const;

  private:
    /// The attribute list's names and values, in order; a quoted value keeps its quotes.
    static std::vector<std::pair<std::string, std::string>> attributeList(std::string_view list);
    static std::map<std::string, std::string> attributes(std::string_view list);
    static Rendition rendition(std::string_view mediaLine);

    std::vector<Rendition> renditions_;
    std::vector<std::string> variantUris_;
    std::vector<std::optional<double>> variantBandwidths_;
    double segmentSeconds_ = 0;
    bool hasSegments_ = false;
    bool ends_ = false;
};

}  // namespace movra
