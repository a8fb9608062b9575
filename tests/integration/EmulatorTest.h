// EmulatorTest: fixture of the emulator's endpoint tests: a BackendServer in a temporary data directory
// and requests to it over verified HTTPS, with the client's standard headers and sign-in.
#pragma once

#include "Foundation/Json.h"
#include "movra-backend/BackendServer.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <memory>
#include <string>

namespace movra::backend {

class EmulatorTest : public ::testing::Test {
  protected:
    static constexpr const char* kDeviceId = "8A1E3C52-7F0B-4D1C-9E2A-1B2C3D4E5F60";
    static constexpr const char* kOtherDeviceId = "0C9D8E7F-6A5B-4C3D-8E1F-203142536475";
    /// A demo subscriber of the Tavik tenant.
    static constexpr const char* kAnna = "anna.lindqvist@tavik.example";
    static constexpr const char* kAnnasPassword = "Anna-tavik-1";

    static constexpr const char* kBrowsePath = "/stoffice/client/ios/browse";
    static constexpr const char* kAccountPath = "/stoffice/client/account";
    static constexpr const char* kSettingsPath = "/stoffice/client/settings";

    void SetUp() override { start(); }

    /// Starts a new emulator on the fixture's data directory, replacing any running one.
    void start(BackendServer::Options options = {});

    std::unique_ptr<httplib::SSLClient> client() const;
    /// The client's standard headers from `deviceId`, with the device token when `token` is not empty.
    static httplib::Headers standardHeaders(const std::string& token = {}, const std::string& deviceId = kDeviceId);
    /// `path` (without a query) with the Tavik "language" parameter.
    static std::string withLanguage(const std::string& path);
    /// The sign-in body as the client writes it, values escaped.
    static std::string deviceBody(const std::string& deviceId, const std::string& model, const std::string& name);
    /// "Basic " + Base64("user:" + Base64(password)), as the client sends its credentials.
    static std::string credentials(const std::string& userName, const std::string& password);

    /// The token of a sign-in as the client sends it, which must succeed ("" after a recorded failure).
    std::string tokenFor(const std::string& userName, const std::string& password,
                         const std::string& deviceId = kDeviceId) const;
    /// GET of a client API path with the standard headers and `token`.
    httplib::Result getWithToken(const std::string& path, const std::string& token,
                                 const std::string& deviceId = kDeviceId) const;

    /// The text of `name` under the root of a result document, or "<none>".
    static std::string resultText(const std::string& body, const char* name);
    /// The JSON answer of a control endpoint (null when it failed).
    Json controlJson(const std::string& path) const;

    test::TemporaryDirectory dataDir_;
    std::unique_ptr<BackendServer> server_;
};

}  // namespace movra::backend
