// ErrorDocument: the client API's common failure answer,
// <result><status>Failure</status><errorCode/><userMessage/><systemMessage/></result>.
#pragma once

#include <string>

namespace httplib {
struct Response;
}  // namespace httplib

namespace movra::backend {

struct ErrorDocument {
    /// Back-end code, "ST" and four digits.
    std::string errorCode;
    /// Shown to the subscriber as it is.
    std::string userMessage;
    /// What went wrong, for developers.
    std::string systemMessage;

    /// The service's documents for its two service-wide states.
    static ErrorDocument geoBlocked();
    static ErrorDocument maintenance();
    /// The emulator's own code for a bare HTTP status: "ST" and the status times ten (500 -> "ST5000").
    static std::string codeForStatus(int status);

    std::string toXml() const;
    /// Answers `response` with this document and `status`.
    void respond(httplib::Response& response, int status) const;
};

}  // namespace movra::backend
