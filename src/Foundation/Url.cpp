#include "Foundation/Url.h"

#include "Foundation/Strings.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <netinet/in.h>

namespace movra {

namespace {

bool isSchemeChar(char c, bool first) {
    if (std::isalpha(static_cast<unsigned char>(c))) return true;
    return !first && (std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.');
}

std::optional<std::size_t> schemeLength(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == ':') return i == 0 ? std::nullopt : std::optional<std::size_t>(i);
        if (!isSchemeChar(c, i == 0)) return std::nullopt;
    }
    return std::nullopt;
}

// Splits "//authority/path?query#fragment" (the part after the scheme) into the Url fields.
struct Parts {
    bool hasAuthority = false;
    std::string authority, path;
    std::optional<std::string> query, fragment;
};

Parts splitRest(std::string_view rest) {
    Parts p;
    if (auto hash = rest.find('#'); hash != std::string_view::npos) {
        p.fragment = std::string(rest.substr(hash + 1));
        rest = rest.substr(0, hash);
    }
    if (auto q = rest.find('?'); q != std::string_view::npos) {
        p.query = std::string(rest.substr(q + 1));
        rest = rest.substr(0, q);
    }
    if (startsWith(rest, "//")) {
        p.hasAuthority = true;
        rest = rest.substr(2);
        auto slash = rest.find('/');
        p.authority = std::string(rest.substr(0, slash));
        rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash);
    }
    p.path = std::string(rest);
    return p;
}

std::string removeDotSegments(std::string_view input) {
    std::string in(input), out;
    while (!in.empty()) {
        if (startsWith(in, "../")) {
            in.erase(0, 3);
        } else if (startsWith(in, "./")) {
            in.erase(0, 2);
        } else if (startsWith(in, "/./")) {
            in.replace(0, 3, "/");
        } else if (in == "/.") {
            in = "/";
        } else if (startsWith(in, "/../") || in == "/..") {
            in = in == "/.." ? "/" : in.substr(3);
            auto last = out.rfind('/');
            out.erase(last == std::string::npos ? 0 : last);
        } else if (in == "." || in == "..") {
            in.clear();
        } else {
            auto next = in.find('/', in[0] == '/' ? 1 : 0);
            out += in.substr(0, next);
            in.erase(0, next == std::string::npos ? in.size() : next);
        }
    }
    return out;
}

}  // namespace

std::optional<Url> Url::parse(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f) return std::nullopt;
    }
    auto len = schemeLength(text);
    if (!len) return std::nullopt;
    Url url;
    url.scheme_ = toLower(text.substr(0, *len));
    auto parts = splitRest(text.substr(*len + 1));
    url.hasAuthority_ = parts.hasAuthority;
    url.authority_ = std::move(parts.authority);
    url.path_ = std::move(parts.path);
    url.query_ = std::move(parts.query);
    url.fragment_ = std::move(parts.fragment);
    return url;
}

std::optional<Url> Url::resolve(std::string_view reference, const Url& base) {
    for (char c : reference) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f) return std::nullopt;
    }
    if (schemeLength(reference)) return parse(reference);
    auto r = splitRest(reference);
    Url t;
    t.scheme_ = base.scheme_;
    t.fragment_ = r.fragment;
    if (r.hasAuthority) {
        t.hasAuthority_ = true;
        t.authority_ = r.authority;
        t.path_ = removeDotSegments(r.path);
        t.query_ = r.query;
        return t;
    }
    t.hasAuthority_ = base.hasAuthority_;
    t.authority_ = base.authority_;
    if (r.path.empty()) {
        t.path_ = base.path_;
        t.query_ = r.query ? r.query : base.query_;
        return t;
    }
    if (r.path[0] == '/') {
        t.path_ = removeDotSegments(r.path);
    } else {
        std::string merged;
        if (base.hasAuthority_ && base.path_.empty()) {
            merged = "/" + r.path;
        } else {
            auto slash = base.path_.rfind('/');
            merged = (slash == std::string::npos ? std::string() : base.path_.substr(0, slash + 1)) + r.path;
        }
        t.path_ = removeDotSegments(merged);
    }
    t.query_ = r.query;
    return t;
}

std::string Url::host() const {
    std::string_view a = authority_;
    if (auto at = a.rfind('@'); at != std::string_view::npos) a = a.substr(at + 1);
    if (startsWith(a, "[")) {
        auto close = a.find(']');
        return std::string(a.substr(0, close == std::string_view::npos ? a.size() : close + 1));
    }
    return std::string(a.substr(0, a.find(':')));
}

bool Url::isSameOrigin(const Url& other) const {
    auto effectivePort = [](const Url& url) -> std::optional<int> {
        if (auto written = url.port()) return written;
        const auto scheme = toLower(url.scheme());
        if (scheme == "https") return 443;
        if (scheme == "http") return 80;
        return std::nullopt;
    };
    return hasAuthority_ && other.hasAuthority_ && toLower(scheme_) == toLower(other.scheme_) &&
           toLower(host()) == toLower(other.host()) && effectivePort(*this) == effectivePort(other);
}

std::optional<int> Url::port() const {
    std::string_view a = authority_;
    if (auto at = a.rfind('@'); at != std::string_view::npos) a = a.substr(at + 1);
    if (startsWith(a, "[")) {
        auto close = a.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        a = a.substr(close + 1);
    }
    auto colon = a.find(':');
    if (colon == std::string_view::npos || colon + 1 >= a.size()) return std::nullopt;
    auto digits = a.substr(colon + 1);
    if (!std::all_of(digits.begin(), digits.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) ||
        digits.size() > 5)
        return std::nullopt;
    return static_cast<int>(integerValue(digits));
}

std::string Url::absoluteString() const {
    std::string s = scheme_ + ":";
    if (hasAuthority_) s += "//" + authority_;
    s += path_;
    if (query_) s += "?" + *query_;
    if (fragment_) s += "#" + *fragment_;
    return s;
}

std::string percentEscapeQueryComponent(std::string_view s) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(s.size());
    for (unsigned char c : s) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/' || c == '?') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string queryStringFromParameters(const Json& parameters) {
    if (!parameters.is_object()) return {};
    std::vector<std::pair<std::string, const Json*>> pairs;
    for (auto it = parameters.begin(); it != parameters.end(); ++it) pairs.emplace_back(it.key(), &it.value());
    std::sort(pairs.begin(), pairs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> parts;
    for (const auto& [key, value] : pairs) {
        if (value->is_null()) {
            parts.push_back(percentEscapeQueryComponent(key));
            continue;
        }
        std::string text;
        if (value->is_string())
            text = value->get<std::string>();
        else if (value->is_boolean())
            text = value->get<bool>() ? "1" : "0";
        else
            text = value->dump();
        parts.push_back(percentEscapeQueryComponent(key) + "=" + percentEscapeQueryComponent(text));
    }
    return join(parts, "&");
}

bool isLoopbackHost(std::string_view host) {
    if (startsWith(host, "[") && endsWith(host, "]")) host = host.substr(1, host.size() - 2);
    const std::string name = toLower(host);
    if (name == "localhost" || endsWith(name, ".localhost")) return true;
    in_addr v4{};
    if (inet_pton(AF_INET, name.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (inet_pton(AF_INET6, name.c_str(), &v6) != 1) return false;
    return IN6_IS_ADDR_LOOPBACK(&v6) || (IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127);
}

}  // namespace movra
