#include "Platform/HlsPlaylist.h"

#include "Foundation/Strings.h"

#include <cstdlib>

namespace movra {

namespace {

constexpr std::string_view kUriAttribute = "URI=\"";

}  // namespace

std::optional<HlsPlaylist> HlsPlaylist::parse(std::string_view text) {
    if (!startsWith(trim(text), "#EXTM3U")) return std::nullopt;
    HlsPlaylist playlist;
    bool variantFollows = false;
    for (const auto& rawLine : split(text, "\n")) {
        const std::string line = trim(rawLine);
        if (line.empty()) continue;
        if (startsWith(line, "#EXT-X-MEDIA:")) {
            auto a = attributes(std::string_view(line).substr(13));
            playlist.renditions_.push_back(
                {a["TYPE"], a["NAME"], a["LANGUAGE"], a["DEFAULT"] == "YES", a.count("URI") ? a["URI"] : ""});
        } else if (startsWith(line, "#EXT-X-STREAM-INF:")) {
            variantFollows = true;
        } else if (startsWith(line, "#EXTINF:")) {
            playlist.segmentSeconds_ += std::strtod(line.c_str() + 8, nullptr);
            playlist.hasSegments_ = true;
        } else if (line == "#EXT-X-ENDLIST") {
            playlist.ends_ = true;
        } else if (line[0] != '#' && variantFollows) {
            playlist.variantUris_.push_back(line);
            variantFollows = false;
        }
    }
    return playlist;
}

std::string HlsPlaylist::rewriteUris(std::string_view text, const std::function<std::string(const std::string&)>& map) {
    std::string out;
    out.reserve(text.size() * 2);
    auto lines = split(text, "\n");
    // The text's final newline ends its last line; it opens no line of its own.
    if (!lines.empty() && trim(lines.back()).empty()) lines.pop_back();
    for (const auto& rawLine : lines) {
        std::string line = trim(rawLine);
        if (!line.empty() && line[0] != '#') {
            line = map(line);
        } else if (auto start = line.find(kUriAttribute); line.starts_with("#") && start != std::string::npos) {
            start += kUriAttribute.size();
            if (auto end = line.find('"', start); end != std::string::npos)
                line.replace(start, end - start, map(line.substr(start, end - start)));
        }
        out += line;
        out += '\n';
    }
    return out;
}

std::optional<double> HlsPlaylist::duration() const {
    if (!ends_ || !hasSegments_) return std::nullopt;
    return segmentSeconds_;
}

std::map<std::string, std::string> HlsPlaylist::attributes(std::string_view list) {
    std::map<std::string, std::string> result;
    std::size_t i = 0;
    while (i < list.size()) {
        auto equals = list.find('=', i);
        if (equals == std::string_view::npos) break;
        std::string name = trim(list.substr(i, equals - i));
        std::size_t valueEnd;
        std::string value;
        if (equals + 1 < list.size() && list[equals + 1] == '"') {
            // A quoted value may hold commas.
            auto close = list.find('"', equals + 2);
            if (close == std::string_view::npos) close = list.size();
            value = list.substr(equals + 2, close - equals - 2);
            valueEnd = list.find(',', close);
        } else {
            valueEnd = list.find(',', equals + 1);
            value = list.substr(equals + 1, (valueEnd == std::string_view::npos ? list.size() : valueEnd) - equals - 1);
        }
        result[std::move(name)] = std::move(value);
        if (valueEnd == std::string_view::npos) break;
        i = valueEnd + 1;
    }
    return result;
}

}  // namespace movra
