// Sign-in, sign-out, forgotten password, settings, account record and watchlist of the emulated client API.
#include "movra-backend/AccountApi.h"

#include "Foundation/Crypto.h"
#include "Foundation/Strings.h"
#include "movra-backend/SampleCatalogue.h"
#include "movra-backend/XmlReader.h"
#include "movra-backend/XmlWriter.h"

#include <httplib.h>

#include <algorithm>

namespace movra::backend {

namespace {

using Access = ClientApi::Access;
using Call = ClientApi::Call;

/// A result document whose status says success, left open for the answer's own elements.
XmlWriter successResult() {
    XmlWriter xml;
    xml.open("result").element("status", "Success");
    return xml;
}

void respondXml(httplib::Response& response, XmlWriter& xml) { response.set_content(xml.finish(), "application/xml"); }

void respondSuccess(httplib::Response& response) {
    XmlWriter xml = successResult();
    respondXml(response, xml);
}

void refuse(httplib::Response& response, std::string problem) {
    ClientApi::badRequest(std::move(problem)).respond(response, 400);
}

std::optional<std::string> checkXmlBody(const httplib::Request& request) {
    const std::string contentType = request.get_header_value("Content-Type");
    const std::string mediaType = toLower(trim(contentType.substr(0, contentType.find(';'))));
    if (mediaType != "application/xml" && mediaType != "text/xml") {
        return "Content-Type \"" + contentType + "\" is not XML";
    }
    return std::nullopt;
}

/// An XML body, when it is a well-formed document whose root element has that name.
std::unique_ptr<const XmlReader> readBody(const std::string& body, std::string_view rootName, std::string* problem) {
    std::string reason;
    auto reader = XmlReader::parse(body, &reason);
    if (!reader) {
        *problem = "The body is not XML: " + reason;
        return nullptr;
    }
    const std::string name = reader->root().name();
    if (name != rootName) {
        *problem = "The body's root element is <" + name + ">, expected <" + std::string(rootName) + ">";
        return nullptr;
    }
    return reader;
}

/// The device a sign-in body describes; it must name the device the request comes from.
std::optional<AccountStore::Device> readDevice(const std::string& body, const std::string& deviceId,
                                               std::string* problem) {
    auto reader = readBody(body, "device", problem);
    if (!reader) return std::nullopt;
    const XmlElement root = reader->root();
    auto text = [&root](const char* name) { return root.firstChild(name).text(); };
    AccountStore::Device device{text("type"), text("deviceModel"), text("deviceName"), {}};
    if (device.type != "ios") {
        *problem = "Device type \"" + device.type + "\", expected \"ios\"";
    } else if (text("deviceId") != deviceId) {
        *problem = "deviceId \"" + text("deviceId") + "\" differs from header X-Stravo-DeviceId";
    } else if (device.model.empty() || device.name.empty()) {
        *problem = "deviceModel and deviceName must not be empty";
    } else {
        return device;
    }
    return std::nullopt;
}

/// The changes of a settings write: <request><setting Name="n">value</setting>...</request>, where
/// <null></null> as the value removes the setting.
std::optional<AccountStore::SettingChanges> readSettingChanges(const std::string& body, std::string* problem) {
    auto reader = readBody(body, "request", problem);
    if (!reader) return std::nullopt;
    AccountStore::SettingChanges changes;
    for (const XmlElement& setting : reader->root().children()) {
        const auto name = setting.attribute("Name");
        if (setting.name() != "setting" || !name || name->empty()) {
            *problem = "Every child of <request> must be a <setting> with a Name";
            return std::nullopt;
        }
        const auto children = setting.children();
        if (children.empty()) {
            changes.emplace_back(*name, setting.text());
        } else if (children.size() == 1 && children[0].name() == "null" && children[0].text().empty()) {
            changes.emplace_back(*name, std::nullopt);
        } else {
            *problem = "Setting \"" + *name + "\" holds elements other than one empty <null>";
            return std::nullopt;
        }
    }
    return changes;
}

/// Why the service would not keep one of the kids-mode settings as written: the PIN is four digits (or
/// empty for none) and the switch "true" or "false". nullopt when the changes are acceptable.
std::optional<std::string> kidsModeProblem(const AccountStore::SettingChanges& changes) {
    for (const auto& [name, value] : changes) {
        if (!value) continue;
        if (name == "kidsModePIN" && !value->empty() &&
            (value->size() != 4 ||
             !std::all_of(value->begin(), value->end(), [](char c) { return c >= '0' && c <= '9'; })))
            return "kidsModePIN \"" + *value + "\" is not four digits";
        if (name == "kidsModeIgnore" && *value != "true" && *value != "false")
            return "kidsModeIgnore \"" + *value + "\" is neither true nor false";
    }
    return std::nullopt;
}

}  // namespace

AccountApi::AccountApi(AccountStore& accounts) : accounts_(accounts) {}

void AccountApi::addRoutes(ClientApi& api, Router& router) {
    api.add(router, "POST", "device/login", Access::Open, [this](Call& call) { signIn(call); });
    api.add(router, "DELETE", "device/logout", Access::Open, [this](Call& call) { signOut(call); });
    api.add(router, "POST", "identities/forgotPassword", Access::Open, [this](Call& call) { forgotPassword(call); });
    api.add(router, "GET", "settings", Access::Required, [this](Call& call) { readSettings(call); });
    api.add(router, "POST", "settings", Access::Required, [this](Call& call) { writeSettings(call); });
    api.add(router, "GET", "account", Access::Required, [this](Call& call) { readAccount(call); });
    api.add(router, "POST", "ios/addSavedAsset", Access::Required, [this](Call& call) { changeWatchlist(call, true); });
    api.add(router, "DELETE", "ios/savedAsset", Access::Required, [this](Call& call) { changeWatchlist(call, false); });
}

void AccountApi::signIn(Call& call) {
    const std::string deviceId = call.request.get_header_value("X-Stravo-DeviceId");
    if (auto problem = checkXmlBody(call.request)) return refuse(call.response, *problem);
    std::string problem;
    auto device = readDevice(call.request.body, deviceId, &problem);
    if (!device) return refuse(call.response, problem);

    // "Basic " + Base64("user:" + Base64(password)): the password travels Base64-encoded inside the pair.
    const std::string authorization = call.request.get_header_value("Authorization");
    auto pair = startsWith(authorization, "Basic ") ? base64Decode(authorization.substr(6)) : std::nullopt;
    const auto colon = pair ? pair->find(':') : std::string::npos;
    if (colon == std::string::npos)
        return refuse(call.response, "Header Authorization does not hold Basic credentials");
    const std::string userName = pair->substr(0, colon);
    const auto password = base64Decode(std::string_view(*pair).substr(colon + 1));

    auto account = accounts_.account(userName);
    auto deny = [&call](const char* code, const char* userMessage, std::string systemMessage) {
        ErrorDocument{code, userMessage, std::move(systemMessage)}.respond(call.response, 401);
    };
    const char* kBadCredentials =
        "Incorrect Email or Password. Please try again. Note that passwords are case sensitive.";
    if (!account) return deny(kBadCredentialsCode, kBadCredentials, "No account for user " + userName);
    if (!password) return deny(kBadCredentialsCode, kBadCredentials, "The password is not Base64-encoded");
    if (*password != account->password) return deny(kBadCredentialsCode, kBadCredentials, "Wrong password");
    if (account->accountState != Account::kActiveState) {
        return deny(kInactiveAccountCode, "Your subscription is not active. Please update your payment information.",
                    "Account state " + account->accountState);
    }

    device->userName = account->userName;
    const std::string token = accounts_.signIn(deviceId, std::move(*device));
    XmlWriter xml = successResult();
    xml.element("token", token).element("identityGuid", account->identityGuid).element("accountGuid", account->guid);
    respondXml(call.response, xml);
}

void AccountApi::signOut(Call& call) {
    // The client drops its token before it signs out, so the device id is all there is to go by.
    accounts_.revokeDevice(call.request.get_header_value("X-Stravo-DeviceId"));
    respondSuccess(call.response);
}

void AccountApi::forgotPassword(Call& call) {
    const std::string userName = call.request.get_param_value("userId");
    if (userName.empty()) return refuse(call.response, "Missing query parameter userId");
    if (!accounts_.account(userName)) {
        return ErrorDocument{kUnknownUserCode, "We could not find an account with that e-mail address.",
                             "No account for user " + userName}
            .respond(call.response, 404);
    }
    respondSuccess(call.response);
}

void AccountApi::readSettings(Call& call) {
    XmlWriter xml = successResult();
    xml.open("settings");
    for (const auto& [name, value] : accounts_.settings(*call.account)) {
        xml.open("setting").element("name", name).element("value", value).close();
    }
    respondXml(call.response, xml);
}

void AccountApi::writeSettings(Call& call) {
    if (auto problem = checkXmlBody(call.request)) return refuse(call.response, *problem);
    std::string problem;
    auto changes = readSettingChanges(call.request.body, &problem);
    if (!changes) return refuse(call.response, problem);
    if (auto kidsMode = kidsModeProblem(*changes)) return refuse(call.response, *kidsMode);
    accounts_.updateSettings(*call.account, *changes);
    respondSuccess(call.response);
}

void AccountApi::readAccount(Call& call) {
    XmlWriter xml = successResult();
    call.account->writeRecord(xml);
    respondXml(call.response, xml);
}

void AccountApi::changeWatchlist(Call& call, bool add) {
    const std::string guid = call.request.get_param_value("guid");
    if (guid.empty()) return refuse(call.response, "Missing query parameter guid");
    const CatalogueNode* node = SampleCatalogue::shared().withGuid(guid);
    if (!node || !node->isSavable()) {
        return ErrorDocument{ErrorDocument::codeForStatus(404), "The requested content could not be found.",
                             "No title " + guid + " to save"}
            .respond(call.response, 404);
    }
    // Saving a saved title and removing one that is not saved both succeed: the list ends as asked.
    if (add)
        accounts_.addToWatchlist(*call.account, guid);
    else
        accounts_.removeFromWatchlist(*call.account, guid);
    respondSuccess(call.response);
}

}  // namespace movra::backend
