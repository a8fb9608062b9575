// Error: a failure as a value (domain, integer code, localized description, failure reason, user info).
// Passed around as ErrorPtr: shared and immutable; nullptr means "no error".
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <memory>
#include <string>

namespace movra {

/// The service's own errors (1005 geo-blocked, 1009 maintenance, 99999, back-end codes).
inline constexpr const char* kMovraErrorDomain = "com.movratavik";
/// Errors of the API client that are shown to the user as they are.
inline constexpr const char* kHTTPClientErrorDomain = "MVHTTPClient";
/// Transport errors, with the platform's URL-loading codes below.
inline constexpr const char* kURLErrorDomain = "NSURLErrorDomain";
/// Response validation (status code, content type) of the response serializers.
inline constexpr const char* kResponseSerializationErrorDomain = "MVURLResponseSerializationErrorDomain";

enum URLErrorCode : std::int64_t {
    kURLErrorUnknown = -1,
    kURLErrorCancelled = -999,
    kURLErrorBadURL = -1000,
    kURLErrorTimedOut = -1001,
    kURLErrorUnsupportedURL = -1002,
    kURLErrorCannotFindHost = -1003,
    kURLErrorCannotConnectToHost = -1004,
    kURLErrorNetworkConnectionLost = -1005,
    kURLErrorNotConnectedToInternet = -1009,
    kURLErrorBadServerResponse = -1011,
    kURLErrorCannotDecodeContentData = -1016,
    kURLErrorDataLengthExceedsMaximum = -1103,
    kURLErrorSecureConnectionFailed = -1200,
    kURLErrorServerCertificateUntrusted = -1202,
};

inline constexpr std::int64_t kErrorGeoBlocked = 1005;
inline constexpr std::int64_t kErrorMaintenance = 1009;
inline constexpr std::int64_t kErrorUnexpectedAnswer = 99999;

/// User-info key holding the HTTP status code of a failed response, when there was one.
inline constexpr const char* kErrorHTTPStatusCodeKey = "MVHTTPStatusCode";

struct Error {
    std::string domain;
    std::int64_t code = 0;
    std::string localizedDescription;
    std::string failureReason;
    nlohmann::ordered_json userInfo = nlohmann::ordered_json::object();

    bool is(std::string_view d, std::int64_t c) const { return domain == d && code == c; }
    /// "domain code: description (reason)", for logs and the command line.
    std::string summary() const;
};

using ErrorPtr = std::shared_ptr<const Error>;

ErrorPtr makeError(std::string domain, std::int64_t code, std::string localizedDescription = {},
                   std::string failureReason = {}, nlohmann::ordered_json userInfo = nlohmann::ordered_json::object());

/// The same error with one more user-info entry.
ErrorPtr withUserInfo(const ErrorPtr& error, const std::string& key, nlohmann::ordered_json value);

}  // namespace movra
