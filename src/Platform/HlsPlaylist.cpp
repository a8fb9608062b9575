#include "Platform/HlsPlaylist.h"

#include "Foundation/Strings.h"

#include <cstdlib>
#include <set>

namespace movra {

namespace {

constexpr std::string_view kUriAttribute = "URI=\"";
constexpr std::string_view kMediaTag = "#EXT-X-MEDIA:";
constexpr std::string_view kVariantTag = "#EXT-X-STREAM-INF:";

/// The rendition type a variant's group attribute names.
bool isGroupReference(const std::string& attribute) {
    return attribute == "AUDIO" || attribute == "VIDEO" || attribute == "SUBTITLES";
}

std::string unquoted(const std::string& value) {
    return value.size() >= 2 && value.front() == '"' && value.back() == '"' ? value.substr(1, value.size() - 2) : value;
}

}  // namespace

std::optional<HlsPlaylist> HlsPlaylist::parse(std::string_view text) {
    if (!startsWith(trim(text), "#EXTM3U")) return std::nullopt;
    HlsPlaylist playlist;
    bool variantFollows = false;
    std::optional<double> bandwidth;
    for (const auto& rawLine : split(text, "\n")) {
        const std::string line = trim(rawLine);
        if (line.empty()) continue;
        if (startsWith(line, "#EXT-X-MEDIA:")) {
            playlist.renditions_.push_back(rendition(line));
        } else if (startsWith(line, "#EXT-X-STREAM-INF:")) {
            variantFollows = true;
            const auto declared = attributes(std::string_view(line).substr(18));
            const auto it = declared.find("BANDWIDTH");
            bandwidth = it == declared.end() ? std::nullopt : std::optional(std::strtod(it->second.c_str(), nullptr));
        } else if (startsWith(line, "#EXTINF:")) {
            playlist.segmentSeconds_ += std::strtod(line.c_str() + 8, nullptr);
            playlist.hasSegments_ = true;
        } else if (line == "#EXT-X-ENDLIST") {
            playlist.ends_ = true;
        } else if (line[0] != '#' && variantFollows) {
            playlist.variantUris_.push_back(line);
            playlist.variantBandwidths_.push_back(bandwidth);
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

std::string HlsPlaylist::keepRenditions(std::string_view text, const std::function<bool(const Rendition&)>& keep) {
    auto lines = split(text, "\n");
    if (!lines.empty() && trim(lines.back()).empty()) lines.pop_back();
    // "TYPE GROUP-ID" of every group, and of those that keep a rendition.
    std::set<std::string> groups, kept;
    std::vector<bool> dropped(lines.size(), false);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string line = trim(lines[i]);
        if (!startsWith(line, kMediaTag)) continue;
        const Rendition r = rendition(line);
        groups.insert(r.type + " " + r.groupId);
        if (keep(r))
            kept.insert(r.type + " " + r.groupId);
        else
            dropped[i] = true;
    }
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (dropped[i]) continue;
        std::string line = trim(lines[i]);
        if (startsWith(line, kVariantTag)) {
            std::string rebuilt(kVariantTag);
            bool first = true;
            for (const auto& [name, value] : attributeList(std::string_view(line).substr(kVariantTag.size()))) {
                const std::string group = name + " " + unquoted(value);
                if (isGroupReference(name) && groups.count(group) && !kept.count(group)) continue;
                rebuilt += (first ? "" : ",") + name + "=" + value;
                first = false;
            }
            line = std::move(rebuilt);
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

std::vector<std::pair<std::string, std::string>> HlsPlaylist::attributeList(std::string_view list) {
    std::vector<std::pair<std::string, std::string>> result;
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
            if (close == std::string_view::npos) {
                // Unterminated: the rest of the line, closed.
                value = std::string(list.substr(equals + 1)) + '"';
                valueEnd = std::string_view::npos;
            } else {
                value = list.substr(equals + 1, close - equals);
                valueEnd = list.find(',', close + 1);
            }
        } else {
            valueEnd = list.find(',', equals + 1);
            value = list.substr(equals + 1, (valueEnd == std::string_view::npos ? list.size() : valueEnd) - equals - 1);
        }
        result.emplace_back(std::move(name), std::move(value));
        if (valueEnd == std::string_view::npos) break;
        i = valueEnd + 1;
    }
    return result;
}

std::map<std::string, std::string> HlsPlaylist::attributes(std::string_view list) {
    std::map<std::string, std::string> result;
    for (auto& [name, value] : attributeList(list)) result[name] = unquoted(value);
    return result;
}

HlsPlaylist::Rendition HlsPlaylist::rendition(std::string_view mediaLine) {
    auto a = attributes(mediaLine.substr(kMediaTag.size()));
    return {a["TYPE"], a["GROUP-ID"], a["NAME"], a["LANGUAGE"], a["DEFAULT"] == "YES", a.count("URI") ? a["URI"] : ""};
}

}  // namespace movra
