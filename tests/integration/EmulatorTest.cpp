// The emulator tests' shared fixture.
#include "EmulatorTest.h"

#include "Foundation/Crypto.h"
#include "Foundation/Strings.h"
#include "Utilities/XMLDocument.h"

namespace movra::backend {

void EmulatorTest::start(BackendServer::Options options) {
    server_.reset();
    options.dataDir = dataDir_.file("backend");
    server_ = std::make_unique<BackendServer>(std::move(options));
    auto error = server_->start();
    ASSERT_FALSE(error) << *error;
}

std::unique_ptr<httplib::SSLClient> EmulatorTest::client() const {
    auto client = std::make_unique<httplib::SSLClient>("127.0.0.1", server_->port());
    client->set_ca_cert_path(server_->caFile().c_str());
    client->enable_server_certificate_verification(true);
    return client;
}

httplib::Headers EmulatorTest::standardHeaders(const std::string& token, const std::string& deviceId) {
    httplib::Headers headers{
        {"X-Stravo-DeviceId", deviceId}, {"X-Client-Version", "3.2.417"}, {"X-Client-Name", "iOS"}};
    if (!token.empty()) headers.emplace("X-Stravo-DeviceToken", token);
    return headers;
}

std::string EmulatorTest::withLanguage(const std::string& path) { return path + "?language=sv_mvtk"; }

std::string EmulatorTest::deviceBody(const std::string& deviceId, const std::string& model, const std::string& name) {
    return "<device><type>ios</type><deviceId>" + xmlEscape(deviceId) + "</deviceId><deviceModel>" + xmlEscape(model) +
           "</deviceModel><deviceName>" + xmlEscape(name) + "</deviceName></device>";
}

std::string EmulatorTest::credentials(const std::string& userName, const std::string& password) {
    return "Basic " + base64Encode(userName + ":" + base64Encode(password));
}

std::string EmulatorTest::tokenFor(const std::string& userName, const std::string& password,
                                   const std::string& deviceId) const {
    httplib::Headers headers = standardHeaders({}, deviceId);
    headers.emplace("Authorization", credentials(userName, password));
    auto result = client()->Post(withLanguage("/stoffice/client/device/login").c_str(), headers,
                                 deviceBody(deviceId, "iPhone", "Test phone"), "application/xml");
    if (!result || result->status != 200) {
        ADD_FAILURE() << "sign-in of " << userName << " failed: " << (result ? result->body : "no answer");
        return {};
    }
    return resultText(result->body, "token");
}

httplib::Result EmulatorTest::getWithToken(const std::string& path, const std::string& token,
                                           const std::string& deviceId) const {
    return client()->Get(withLanguage(path).c_str(), standardHeaders(token, deviceId));
}

std::string EmulatorTest::resultText(const std::string& body, const char* name) {
    auto document = XMLDocument::parse(body);
    auto node = document ? document->rootElement().firstChildElement(name) : XMLNode();
    return node ? node.stringValue() : "<none>";
}

Json EmulatorTest::controlJson(const std::string& path) const {
    auto result = client()->Get(path.c_str());
    if (!result || result->status != 200) return nullptr;
    return Json::parse(result->body, nullptr, /*allow_exceptions=*/false);
}

}  // namespace movra::backend
