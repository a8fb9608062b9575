// Url: an absolute URL split into its parts, kept exactly as written (no percent-decoding), with
// RFC 3986 reference resolution and the query encoding of the client's request serializer.
#pragma once

#include "Foundation/Json.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace movra {

class Url {
  public:
    /// An absolute URL ("scheme:..."); nullopt when there is no scheme or the text holds spaces or
    /// control characters.
    static std::optional<Url> parse(std::string_view text);
    /// `reference` resolved against `base` (RFC 3986 section 5.2).
    static std::optional<Url> resolve(std::string_view reference, const Url& base);

    const std::string& scheme() const { return scheme_; }
    bool hasAuthority() const { return hasAuthority_; }
    const std::string& authority() const { return authority_; }
    /// Host without user info and port; IPv6 literals keep their brackets.
    std::string host() const;
    /// Port written in the URL, else nullopt.
    std::optional<int> port() const;
    const std::string& path() const { return path_; }
    const std::optional<std::string>& query() const { return query_; }
    const std::optional<std::string>& fragment() const { return fragment_; }

    void setPath(std::string path) { path_ = std::move(path); }
    void setQuery(std::optional<std::string> query) { query_ = std::move(query); }

    std::string absoluteString() const;
    /// Whether both name the same origin: scheme and host in any letter case, and the same port (a missing
    /// port is the scheme's default, 443 for https and 80 for http).
    bool isSameOrigin(const Url& other) const;

  private:
    std::string scheme_;
    bool hasAuthority_ = false;
    std::string authority_;
    std::string path_;
    std::optional<std::string> query_;
    std::optional<std::string> fragment_;
};

/// Percent-escapes a query key or value the way the request serializer does: everything except
/// letters, digits, "-", ".", "_", "~", "/" and "?".
std::string percentEscapeQueryComponent(std::string_view s);
/// "k1=v1&k2=v2" with keys in ascending order; null values give the bare key; numbers and booleans
/// are written as text ("1"/"0" for booleans).
std::string queryStringFromParameters(const Json& parameters);
/// True for "localhost" (and its subdomains) and for addresses in 127.0.0.0/8, ::1 or IPv4-mapped
/// 127.0.0.0/8; IPv6 literals may keep their brackets.
bool isLoopbackHost(std::string_view host);

}  // namespace movra
