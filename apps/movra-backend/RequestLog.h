// RequestLog: every request the emulated services received, in arrival order, for tests and for a person
// inspecting what a client sent (GET /_emulator/requests). It keeps no credentials (the values of the secret
// headers are replaced) and only the start of a long body.
//
// Thread contract: record() is called by the server's worker threads; the readers from any thread.
#pragma once

#include "Foundation/Json.h"

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace movra::backend {

class RequestLog {
  public:
    using Pairs = std::vector<std::pair<std::string, std::string>>;

    /// Bodies longer than this keep their first kMaxBody bytes and a note of their full size.
    static constexpr std::size_t kMaxBody = 4096;
    /// What a secret header's value is replaced with.
    static constexpr const char* kRedacted = "[redacted]";

    struct Entry {
        std::string method;
        std::string path;
        /// Query parameters in the order of the request line, percent-decoded.
        Pairs query;
        /// Headers as the HTTP server hands them over (ordered by name, not by arrival).
        Pairs headers;
        std::string body;

        /// Value of the first query parameter named `key`, or nullopt.
        std::optional<std::string> queryValue(std::string_view key) const;
        /// Value of the first header named `name` (ignoring case), or nullopt.
        std::optional<std::string> header(std::string_view name) const;
        Json toJson() const;
    };

    /// `secretHeaders`: names (in any case) of the headers whose values are not kept.
    explicit RequestLog(std::vector<std::string> secretHeaders);

    void record(Entry entry);
    std::vector<Entry> entries() const;
    void clear();
    /// The entries as a JSON array of {"method", "path", "query", "headers", "body"}, where "query" and
    /// "headers" are arrays of [name, value] pairs.
    Json toJson() const;

  private:
    std::vector<std::string> secretHeaders_;
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
};

}  // namespace movra::backend
