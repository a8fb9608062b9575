#include "API/MVHTTPClient.h"

#include "API/MVCatalogueImporting.h"
#include "API/MVHTTPClientGlobalErrorHandler.h"
#include "Foundation/Crypto.h"
#include "Foundation/Localization.h"
#include "Foundation/Log.h"
#include "Foundation/MainQueue.h"
#include "Foundation/Strings.h"
#include "Platform/Platform.h"
#include "Utilities/AFImageResponseSerializer.h"
#include "Utilities/AFKissXMLResponseSerializer.h"
#include "Utilities/MTLXMLAdapter.h"
#include "Utilities/MVAccount.h"
#include "Utilities/MVErrorResponse.h"
#include "Utilities/MVLoginResponse.h"
#include "Utilities/MVSettingsResponse.h"
#include "Utilities/MVTavikLocale.h"
#include "Utilities/SecurityManager.h"

#include <cstdio>

namespace movra {

namespace {

ErrorPtr serviceError(std::int64_t code) { return makeError(kMovraErrorDomain, code); }

int statusCodeOf(const HttpTaskPtr& task) {
    auto response = task ? task->response() : nullptr;
    return response ? response->statusCode : 0;
}

/// 1005 or 1009 for the geo-block and maintenance codes of an error document, else nullptr.
ErrorPtr serviceWideError(const std::optional<std::string>& errorCode) {
    if (errorCode == "ST1005") return serviceError(kErrorGeoBlocked);
    if (errorCode == "ST1009") return serviceError(kErrorMaintenance);
    return nullptr;
}

// Bytes of XML that parse in well under a millisecond.
constexpr std::size_t kLargestAnswerParsedOnTheMainQueue = 32 * 1024;
constexpr const char* kIncorrectPasswordMessage = "Incorrect Password. Note that passwords are case sensitive.";
constexpr const char* kIncorrectCredentialsMessage =
    "Incorrect Email or Password. Please try again. Note that passwords are case sensitive.";
constexpr const char* kNoNetworkMessage = "Sorry, No network connection is available at the moment.";
constexpr const char* kServiceUnavailableMessage =
    "A problem has occured and the service may be temporarily unavailable.";

ErrorPtr clientError(std::int64_t code, const std::string& message) {
    return makeError(kHTTPClientErrorDomain, code, MVLocalizedString(message));
}

std::shared_ptr<MVErrorResponse> errorResponseOf(const XMLDocumentPtr& document) {
    if (!document) return nullptr;
    ErrorPtr mappingError;
    auto response = MTLXMLAdapter::modelOfClass<MVErrorResponse>(document->documentNode(), &mappingError);
    return mappingError ? nullptr : response;
}

/// The message of a failed sign-in, chosen from the status and the error document the server sent.
std::string signInFailureMessage(int status, bool cachedUserName, const XMLDocumentPtr& document) {
    if (status == 401 && cachedUserName) return MVLocalizedString(kIncorrectPasswordMessage);
    if (status == 401) {
        // The service's own wording wins, except for its plain wrong-credentials code.
        if (auto response = errorResponseOf(document)) {
            const auto code = response->errorCode().value_or("");
            const auto message = response->userMessage().value_or("");
            if (!code.empty() && code != "ST3003" && !message.empty()) return message;
        }
        return MVLocalizedString(kIncorrectCredentialsMessage);
    }
    return MVLocalizedString(Platform::current().reachability().isReachable() ? kServiceUnavailableMessage
                                                                              : kNoNetworkMessage);
}

/// A settings value as the body shows it: texts as they are, booleans as 1 and 0, numbers in decimal.
std::string settingText(const Json& value) {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_boolean()) return value.get<bool>() ? "1" : "0";
    return value.dump();
}

std::string acceptLanguageHeader() {
    auto languages = Platform::current().locale().preferredLanguages();
    std::vector<std::string> parts;
    for (std::size_t i = 0; i < languages.size() && i < 6; ++i) {
        char q[16];
        std::snprintf(q, sizeof q, "%0.1g", 1.0 - 0.1 * static_cast<double>(i));
        parts.push_back(languages[i] + ";q=" + q);
    }
    return join(parts, ", ");
}

std::string userAgentHeader() {
    auto& device = Platform::current().device();
    return "Movra/" + device.appShortVersion() + " (" + device.localizedModel() + "; iOS " + device.systemVersion() +
           "; Scale/2.00)";
}

}  // namespace

// ---- shared client ----

std::optional<Url> MVHTTPClient::baseURLForHost(const std::string& host) {
    const std::string prefix = std::string(kClientPath) + kPlatformSegment;
    const bool hasScheme = startsWith(toLower(host), "https://") || startsWith(toLower(host), "http://");
    auto url = Url::parse(hasScheme ? host + prefix : "https://" + host + prefix);
    if (!url || !url->hasAuthority() || url->host().empty()) return std::nullopt;
    // The session manager gives a base URL with a path a terminal "/", so relative paths land below it.
    if (!url->path().empty() && !endsWith(url->path(), "/")) url->setPath(url->path() + "/");
    return url;
}

std::shared_ptr<MVHTTPClient> MVHTTPClient::initSharedClientWithHost(const std::optional<std::string>& host) {
    MOVRA_ASSERT_MAIN_QUEUE();
    auto& platform = Platform::current();
    if (auto old = sharedClient()) old->session_->invalidateAndCancel();
    std::string effective;
    if (host && !host->empty()) {
        effective = *host;
        platform.defaults().setObject(kLastAPIHostKey, effective);
        platform.defaults().synchronize();
    } else {
        // Without a host, keep talking to the last host that was named rather than to no host at all.
        effective = platform.defaults().stringForKey(kLastAPIHostKey).value_or(platform.configuration().defaultApiHost);
    }
    auto client = std::make_shared<MVHTTPClient>(baseURLForHost(effective));
    platform.setObject(client);
    return client;
}

std::shared_ptr<MVHTTPClient> MVHTTPClient::sharedClient() { return Platform::current().object<MVHTTPClient>(); }

MVHTTPClient::MVHTTPClient(std::optional<Url> baseURL)
    : baseURL_(std::move(baseURL)),
      originPrefix_(baseURL_ ? baseURL_->scheme() + "://" + baseURL_->authority() : std::string()),
      acceptLanguage_(acceptLanguageHeader()),
      userAgent_(userAgentHeader()) {
    auto& platform = Platform::current();
    session_ = platform.makeTransport();
    auto& keychain = platform.credentials();
    deviceToken_ = keychain.password(SecurityManager::kPasswordServiceName, SecurityManager::kDeviceTokenAccountName);
    identityGuid_ = keychain.password(SecurityManager::kPasswordServiceName, SecurityManager::kIdentityGuidName);
    accountGuid_ = keychain.password(SecurityManager::kPasswordServiceName, SecurityManager::kAccountGuidName);
    userName_ = keychain.password(SecurityManager::kPasswordServiceName, SecurityManager::kUserNameAccountName);
    auto& center = platform.notificationCenter();
    logOutObserver_ = ScopedObserver(
        center, center.addObserver(MVNotificationLogOut, [this](const Notification& n) { loggedOut(n); }));
}

MVHTTPClient::~MVHTTPClient() = default;

// ---- requests ----

std::optional<HttpRequest> MVHTTPClient::requestWithMethod(const std::string& method, const std::string& path,
                                                           const Json& parameters) const {
    if (!baseURL_) return std::nullopt;
    auto url = Url::resolve(path, *baseURL_);
    // A path from server data may be a URL of another host or scheme: the device's credentials stay home.
    if (!url || !url->hasAuthority() || !url->isSameOrigin(*baseURL_)) return std::nullopt;
    HttpRequest request;
    request.method = method;
    // Parameters go into the query for every method.
    auto query = queryStringFromParameters(parameters);
    request.url = url->absoluteString();
    if (!query.empty()) request.url += (url->query() ? "&" : "?") + query;
    request.timeoutSeconds = requestTimeoutInterval_;
    request.setHeader("Accept-Language", acceptLanguage_);
    request.setHeader("User-Agent", userAgent_);
    return request;
}

HttpTaskPtr MVHTTPClient::commonRequestWithMethod(const std::string& method, const std::string& path,
                                                  const Json& parameters, bool /*ignoreCache*/, Success success,
                                                  Failure failure) {
    MOVRA_ASSERT_MAIN_QUEUE();
    Json params = parameters.is_object() ? parameters : Json::object();
    // The tenant-qualified language always replaces one the caller gave.
    if (auto language = MVTavikLocale::mvtk_preferredLanguageString(); !language.empty()) params["language"] = language;
    auto request = requestWithMethod(method, path, params);
    if (!request) {
        auto error = makeError(kURLErrorDomain, kURLErrorBadURL, MVLocalizedString("unsupported URL"),
                               "No URL of the API host for path \"" + path + "\"; nothing was sent");
        Log::warning("Refused the request for path \"{}\": it does not lead to the API host", path);
        auto task = std::make_shared<HttpTask>(0, HttpRequest{method, path, {}, {}, requestTimeoutInterval_});
        task->markCompleted();
        Platform::current().mainQueue().post([task, failure, error] {
            if (failure) failure(task, nullptr, error);
        });
        return task;
    }
    setAuthHeadersForRequest(*request);
    return dataTaskWithRequest(std::move(*request), std::move(success), std::move(failure));
}

HttpTaskPtr MVHTTPClient::getPath(const std::string& path, const Json& parameters, bool ignoreCache, Success success,
                                  Failure failure) {
    return commonRequestWithMethod("GET", path, parameters, ignoreCache, std::move(success), std::move(failure));
}

HttpTaskPtr MVHTTPClient::postPath(const std::string& path, const Json& parameters, bool ignoreCache, Success success,
                                   Failure failure) {
    return commonRequestWithMethod("POST", path, parameters, ignoreCache, std::move(success), std::move(failure));
}

HttpTaskPtr MVHTTPClient::dataTaskWithRequest(HttpRequest request, Success success, Failure failure) {
    // The blocks hold nothing of the client: a replaced client's blocks still run.
    return session_->dataTask(
        std::move(request),
        [success, failure, mainQueue = Platform::current().mainQueue().handle()](
            const HttpTaskPtr& task, std::shared_ptr<const HttpResponse> response, std::string body, ErrorPtr error) {
            auto& platform = Platform::current();
            platform.reachability().noteTransportOutcome(
                response != nullptr, error && error->is(kURLErrorDomain, kURLErrorNotConnectedToInternet));
            const auto parse = [](const HttpResponse& answer, const std::string& text, ErrorPtr& problem) {
                ErrorPtr validation;
                auto parsed = AFKissXMLResponseSerializer().responseObjectForResponse(&answer, text, &validation);
                problem = validation;
                return parsed;
            };
            XMLDocumentPtr document;
            // A large feed is parsed here, off the main queue. A small answer parses faster than the cache
            // misses of a document built on one thread and walked and freed on another, so the main queue
            // parses it.
            const bool parseHere = !error && response && body.size() > kLargestAnswerParsedOnTheMainQueue;
            if (parseHere) document = parse(*response, body, error);
            auto text = response ? std::make_shared<const std::string>(std::move(body)) : nullptr;
            if (text) task->setResponseBody(text);
            mainQueue.post([task, response, text, document = std::move(document), parseHere, parse, error, success,
                            failure]() mutable {
                if (!parseHere && !error && response) document = parse(*response, *text, error);
                if (error) {
                    if (failure) failure(task, document, error);
                } else if (success) {
                    success(task, document);
                }
            });
        });
}

bool MVHTTPClient::goesToAPIHost(const std::string& url) const {
    if (!baseURL_) return false;
    // The client's own requests begin with the base URL's scheme and authority as written: no parse for them.
    if (url.starts_with(originPrefix_) &&
        (url.size() == originPrefix_.size() || url[originPrefix_.size()] == '/' || url[originPrefix_.size()] == '?'))
        return true;
    auto parsed = Url::parse(url);
    return parsed && parsed->isSameOrigin(*baseURL_);
}

void MVHTTPClient::setAuthHeadersForRequest(HttpRequest& request) {
    if (!goesToAPIHost(request.url)) {
        Log::warning("No device credentials for {}: not the API host", request.url);
        return;
    }
    if (const auto& id = deviceId(); !id.empty()) request.setHeader("X-Stravo-DeviceId", id);
    if (deviceToken_ && !deviceToken_->empty()) request.setHeader("X-Stravo-DeviceToken", *deviceToken_);
    auto& device = Platform::current().device();
    request.setHeader("X-Client-Version", device.appShortVersion() + "." + device.appBuildNumber());
    request.setHeader("X-Client-Name", "iOS");
}

// ---- answers ----

MVHTTPClient::Success MVHTTPClient::onSuccess(Completion completion) {
    std::weak_ptr<MVHTTPClient> weak = weak_from_this();
    return [weak, completion](const HttpTaskPtr&, const XMLDocumentPtr& responseObject) {
        if (auto self = weak.lock()) {
            self->handleXMLResponse(responseObject, 0, /*clearExistingData=*/false,
                                    [completion](ErrorPtr error, std::shared_ptr<MVChannel>, XMLDocumentPtr document) {
                                        if (completion) completion(error, document);
                                    });
        } else if (completion) {
            completion(nullptr, responseObject);
        }
    };
}

MVHTTPClient::Failure MVHTTPClient::onFailure(Completion completion) {
    std::weak_ptr<MVHTTPClient> weak = weak_from_this();
    return [weak, completion](const HttpTaskPtr& task, const XMLDocumentPtr& responseObject, const ErrorPtr& error) {
        auto self = weak.lock();
        auto handler = self ? self->globalErrorHandler() : nullptr;
        const int status = statusCodeOf(task);
        if (responseObject) {
            ErrorPtr mappingError;
            auto errorResponse =
                MTLXMLAdapter::modelOfClass<MVErrorResponse>(responseObject->documentNode(), &mappingError);
            if (errorResponse && !mappingError) {
                if (auto serviceWide = serviceWideError(errorResponse->errorCode()); serviceWide && handler)
                    handler->globalNetworkErrorOccurred(serviceWide);
            }
        } else if (status == 403 && handler) {
            handler->globalNetworkErrorOccurred(serviceError(kErrorGeoBlocked));
        }
        if (completion) completion(error, responseObject);
        if (status == 401) authenticationFailed(self);
    };
}

void MVHTTPClient::authenticationFailed(const std::shared_ptr<MVHTTPClient>& client) {
    if (client)
        client->clearStoredCredentials();
    else
        deleteStoredCredentials();
    Platform::current().notificationCenter().post(MVNotificationAuthenticationRequired);
}

void MVHTTPClient::deleteStoredCredentials() {
    auto& keychain = Platform::current().credentials();
    for (const char* account : {SecurityManager::kDeviceTokenAccountName, SecurityManager::kIdentityGuidName,
                                SecurityManager::kAccountGuidName, SecurityManager::kUserNameAccountName})
        keychain.deletePassword(SecurityManager::kPasswordServiceName, account);
}

void MVHTTPClient::clearStoredCredentials() {
    deleteStoredCredentials();
    deviceToken_.reset();
    identityGuid_.reset();
    accountGuid_.reset();
    userName_.reset();
}

ErrorPtr MVHTTPClient::parseStravoErrorFromDocument(const XMLDocumentPtr& document) {
    if (!document) return nullptr;
    auto root = document->rootElement();
    if (!root) return nullptr;
    auto status = root.firstChildElement("status");
    if (!status || status.stringValue() != "Failure") return nullptr;
    auto text = [&root](const char* name) {
        auto node = root.firstChildElement(name);
        return node ? node.stringValue() : std::string();
    };
    const auto code = integerValue(replaceAll(text("errorCode"), "ST", ""));
    return makeError(kMovraErrorDomain, code, text("userMessage"), text("systemMessage"));
}

HttpTaskPtr MVHTTPClient::checkErrorStatusWithCompletion(Completion completion) {
    return getPath(
        "browse", Json::object(), /*ignoreCache=*/true,
        [completion](const HttpTaskPtr&, const XMLDocumentPtr& responseObject) {
            ErrorPtr error;
            if (responseObject) {
                auto errorResponse =
                    MTLXMLAdapter::modelOfClass<MVErrorResponse>(responseObject->documentNode(), &error);
                if (!error && errorResponse) error = serviceWideError(errorResponse->errorCode());
            }
            if (completion) completion(error, responseObject);
        },
        [completion](const HttpTaskPtr& task, const XMLDocumentPtr&, const ErrorPtr& error) {
            ErrorPtr reported = statusCodeOf(task) == 403 ? serviceError(kErrorGeoBlocked) : error;
            if (completion) completion(reported, nullptr);
        });
}

void MVHTTPClient::cancelTasksWithCompletion(std::function<void()> completion) {
    MOVRA_ASSERT_MAIN_QUEUE();
    if (!session_) {
        if (completion) completion();
        return;
    }
    for (const auto& task : session_->tasks())
        if (task->state() == HttpTask::State::Running) task->cancel();
    if (completion) Platform::current().mainQueue().post(std::move(completion));
}

void MVHTTPClient::handleXMLResponse(const XMLDocumentPtr& responseObject, std::optional<unsigned long> startingOffset,
                                     bool clearExistingData, BrowseCompletion completion) {
    std::weak_ptr<MVHTTPClient> weak = weak_from_this();
    Platform::current().globalQueue().async([weak, responseObject, startingOffset, clearExistingData, completion] {
        auto& platform = Platform::current();
        auto deliver = [&platform, completion](ErrorPtr error, std::shared_ptr<MVChannel> channel,
                                               XMLDocumentPtr result) {
            platform.mainQueue().post([completion, error, channel, result] {
                if (completion) completion(error, channel, result);
            });
        };
        if (!responseObject) return deliver(nullptr, nullptr, nullptr);
        auto importer = MVCatalogueImporting::registered();
        if (importer && importer->importPage(responseObject, startingOffset.value_or(0), clearExistingData,
                                             [completion](ErrorPtr error, std::shared_ptr<MVChannel> channel) {
                                                 if (completion) completion(error, channel, nullptr);
                                             }))
            return;
        // A document without a channel guid is read as an error document.
        ErrorPtr error;
        if (auto errorResponse = errorResponseOf(responseObject)) {
            const auto code = errorResponse->errorCode().value_or("");
            if (auto serviceWide = serviceWideError(code))
                error = serviceWide;
            else if (!code.empty())
                error =
                    serviceError(integerValue(code.size() > 2 ? std::string_view(code).substr(2) : std::string_view{}));
        }
        if (error) {
            // The handler hears of it on the main queue, before the completion, like every other observer.
            platform.mainQueue().post([weak, error] {
                auto self = weak.lock();
                if (auto handler = self ? self->globalErrorHandler() : nullptr)
                    handler->globalNetworkErrorOccurred(error);
            });
        }
        deliver(error, nullptr, responseObject);
    });
}

HttpTaskPtr MVHTTPClient::browseToPath(const std::optional<std::string>& path, std::optional<unsigned long> offset,
                                       std::optional<unsigned long> maxResults,
                                       const std::optional<std::string>& sortKey, bool ascending, bool ignoreCache,
                                       bool clearExistingItems, BrowseCompletion completion) {
    Json parameters = Json::object();
    if (offset) parameters["offset"] = std::to_string(*offset);
    if (maxResults) parameters["max"] = std::to_string(*maxResults);
    if (sortKey) {
        parameters["sort"] = *sortKey;
        parameters["order"] = ascending ? "asc" : "desc";
    }
    return importingGet(path.value_or("browse"), std::move(parameters), ignoreCache, offset, clearExistingItems,
                        std::move(completion));
}

HttpTaskPtr MVHTTPClient::browseToPath(const std::optional<std::string>& path, bool ignoreCache,
                                       bool clearExistingItems, BrowseCompletion completion) {
    return browseToPath(path, std::nullopt, std::nullopt, std::nullopt, /*ascending=*/true, ignoreCache,
                        clearExistingItems, std::move(completion));
}

HttpTaskPtr MVHTTPClient::searchAtPath(const std::optional<std::string>& path, const std::string& query,
                                       BrowseCompletion completion) {
    // A search answer is a first page: it replaces what its channel listed.
    return importingGet(path.value_or("search"), {{"query", query}}, /*ignoreCache=*/true, 0,
                        /*clearExistingItems=*/true, std::move(completion));
}

HttpTaskPtr MVHTTPClient::getSuggestionsAtPath(const std::optional<std::string>& path,
                                               const std::optional<std::string>& query, BrowseCompletion completion) {
    if (!path) {
        Platform::current().mainQueue().post([completion] {
            if (completion) completion(makeError(kHTTPClientErrorDomain, 0), nullptr, nullptr);
        });
        return nullptr;
    }
    Json parameters = Json::object();
    if (query) parameters["query"] = *query;
    return importingGet(*path, std::move(parameters), /*ignoreCache=*/false, 0, /*clearExistingItems=*/true,
                        std::move(completion));
}

HttpTaskPtr MVHTTPClient::importingGet(const std::string& path, Json parameters, bool ignoreCache,
                                       std::optional<unsigned long> offset, bool clearExistingItems,
                                       BrowseCompletion completion) {
    std::weak_ptr<MVHTTPClient> weak = weak_from_this();
    return getPath(
        path, parameters, ignoreCache,
        [weak, offset, clearExistingItems, completion](const HttpTaskPtr&, const XMLDocumentPtr& document) {
            if (auto self = weak.lock())
                self->handleXMLResponse(document, offset, clearExistingItems, completion);
            else if (completion)
                completion(nullptr, nullptr, document);
        },
        onFailure([completion](ErrorPtr error, XMLDocumentPtr document) {
            if (completion) completion(error, nullptr, document);
        }));
}

HttpTaskPtr MVHTTPClient::getItemWithGuid(const std::string& guid, bool ignoreCache, bool clearExistingItems,
                                          BrowseCompletion completion) {
    return browseToPath("browse/" + guid, ignoreCache, clearExistingItems, std::move(completion));
}

// ---- images ----

std::string MVHTTPClient::imageRequestURL(const Url& url) {
    Url copy = url;
    copy.setQuery("language=" + percentEscapeQueryComponent(MVTavikLocale::mvtk_preferredLanguageString()) +
                  "&type=" + percentEscapeQueryComponent(std::string(kPlatformSegment).substr(1)) +
                  "&deviceId=" + percentEscapeQueryComponent(deviceId()));
    return copy.absoluteString();
}

HttpTaskPtr MVHTTPClient::downloadImageWithURL(const Url& url, std::function<void(ErrorPtr, ImagePtr)> completion) {
    HttpRequest request;
    request.url = imageRequestURL(url);
    request.timeoutSeconds = requestTimeoutInterval_;
    request.setHeader("Accept", "image/*");
    auto& platform = Platform::current();
    return platform.sharedTransport().dataTask(
        std::move(request),
        [completion, mainQueue = platform.mainQueue().handle()](
            const HttpTaskPtr&, std::shared_ptr<const HttpResponse> response, std::string body, ErrorPtr error) {
            ImagePtr image;
            if (!error) image = AFImageResponseSerializer().responseObjectForResponse(response.get(), body, &error);
            mainQueue.post([completion, error, image] {
                if (completion) completion(error, image);
            });
        });
}

// ---- watchlist ----

HttpTaskPtr MVHTTPClient::addToWatchlistWithGUID(const std::optional<std::string>& guid, Completion completion) {
    return changeWatchlist("POST", "addSavedAsset", guid, std::move(completion));
}

HttpTaskPtr MVHTTPClient::removeFromWatchlistWithGUID(const std::optional<std::string>& guid, Completion completion) {
    return changeWatchlist("DELETE", "savedAsset", guid, std::move(completion));
}

HttpTaskPtr MVHTTPClient::changeWatchlist(const std::string& method, const std::string& path,
                                          const std::optional<std::string>& guid, Completion completion) {
    if (isEmpty(guid)) {
        if (completion)
            completion(makeError(kHTTPClientErrorDomain, 0, {}, {}, {{"NSUnderlyingError", "invalid guid"}}), nullptr);
        return nullptr;
    }
    return commonRequestWithMethod(method, path, {{"guid", *guid}}, /*ignoreCache=*/true, onSuccess(completion),
                                   onFailure(completion));
}

void MVHTTPClient::updateCacheForAddedWatchlistItemGuids(const std::vector<std::string>& guids,
                                                         std::function<void()> completion) {
    updateWatchlistFlags(guids, /*inWatchlist=*/true, std::move(completion));
}

void MVHTTPClient::updateCacheForRemovedWatchlistItemGuids(const std::vector<std::string>& guids,
                                                           std::function<void()> completion) {
    updateWatchlistFlags(guids, /*inWatchlist=*/false, std::move(completion));
}

void MVHTTPClient::updateWatchlistFlags(const std::vector<std::string>& guids, bool inWatchlist,
                                        std::function<void()> completion) {
    MOVRA_ASSERT_MAIN_QUEUE();
    if (guids.empty()) {
        if (completion) completion();
        return;
    }
    auto announce = [first = guids.front(), completion](ErrorPtr error) {
        if (error) Log::error("Updating the watchlist flags failed: {}", error->summary());
        Notification changed;
        changed.name = MVNotificationWatchlistChanged;
        changed.objects["object"] = first;
        Platform::current().notificationCenter().post(changed);
        if (completion) completion();
    };
    if (auto importer = MVCatalogueImporting::registered())
        importer->setWatchlistFlags(guids, inWatchlist, std::move(announce));
    else
        announce(nullptr);
}

// ---- account and device ----

HttpTaskPtr MVHTTPClient::loginSubscriberWithUserName(const std::string& userName, const std::string& password,
                                                      Completion completion) {
    return loginSubscriberWithUserName(userName, /*cachedUserName=*/false, password, std::move(completion));
}

HttpTaskPtr MVHTTPClient::loginLastSubscriberWithPassword(const std::string& password, Completion completion) {
    return loginSubscriberWithUserName(userName_.value_or(""), /*cachedUserName=*/true, password,
                                       std::move(completion));
}

HttpTaskPtr MVHTTPClient::loginSubscriberWithUserName(const std::string& userName, bool cachedUserName,
                                                      const std::string& password, Completion completion) {
    auto& device = Platform::current().device();
    const std::string platform = std::string(kPlatformSegment).substr(1);
    auto request = requestWithMethod("POST", std::string(kClientPath) + "/device/login",
                                     {{"language", MVTavikLocale::mvtk_preferredLanguageString()}});
    if (!request) {
        auto task = std::make_shared<HttpTask>(0, HttpRequest{"POST", "device/login", {}, {}, requestTimeoutInterval_});
        task->markCompleted();
        Platform::current().mainQueue().post([completion] {
            if (completion) completion(clientError(-1, signInFailureMessage(0, false, nullptr)), nullptr);
        });
        return task;
    }
    setAuthHeadersForRequest(*request);
    // The service expects the Base64 of the password inside the Basic credentials, not the password itself.
    request->setHeader("Authorization", "Basic " + base64Encode(userName + ":" + base64Encode(password)));
    request->setHeader("Content-Type", "application/xml");
    request->body = "<device><type>" + xmlEscape(platform) + "</type><deviceId>" + xmlEscape(deviceId()) +
                    "</deviceId><deviceModel>" + xmlEscape(device.localizedModel()) + "</deviceModel><deviceName>" +
                    xmlEscape(device.name()) + "</deviceName></device>";

    std::weak_ptr<MVHTTPClient> weak = weak_from_this();
    auto answer = [weak, userName, completion](ErrorPtr error, XMLDocumentPtr document) {
        if (!completion) return;
        if (error || !document) return completion(error, document);
        ErrorPtr mappingError;
        auto login = MTLXMLAdapter::modelOfClass<MVLoginResponse>(document->documentNode(), &mappingError);
        if (mappingError || !login) return completion(clientError(0, "Failed to parse xml response"), nullptr);
        if (!containsStringCaseInsensitive(login->status().value_or(""), "success"))
            return completion(clientError(0, "Failed to authenticate"), nullptr);
        ErrorPtr stored;
        if (auto self = weak.lock())
            stored = self->storeSignIn(login->token().value_or(""), login->identityGuid().value_or(""),
                                       login->accountGuid().value_or(""), userName);
        completion(stored, document);
    };
    return dataTaskWithRequest(
        std::move(*request), onSuccess(answer),
        [completion, cachedUserName](const HttpTaskPtr& task, const XMLDocumentPtr& responseObject, const ErrorPtr&) {
            if (!completion) return;
            completion(clientError(-1, signInFailureMessage(statusCodeOf(task), cachedUserName, responseObject)),
                       responseObject);
        });
}

ErrorPtr MVHTTPClient::storeSignIn(const std::string& token, const std::string& identityGuid,
                                   const std::string& accountGuid, const std::string& userName) {
    auto& keychain = Platform::current().credentials();
    ErrorPtr latest;
    auto store = [&](std::optional<std::string>& copy, const std::string& value, const char* account,
                     const char* message) {
        copy = value;
        if (auto error = keychain.setPassword(value, SecurityManager::kPasswordServiceName, account)) {
            Log::error("{}: {}", message, error->summary());
            latest = error;
        }
    };
    store(deviceToken_, token, SecurityManager::kDeviceTokenAccountName, "Unable to store device token");
    store(identityGuid_, identityGuid, SecurityManager::kIdentityGuidName, "Unable to store identity guid");
    store(accountGuid_, accountGuid, SecurityManager::kAccountGuidName, "Unable to store account guid");
    store(userName_, userName, SecurityManager::kUserNameAccountName, "Unable to store username");
    return latest;
}

HttpTaskPtr MVHTTPClient::logoutWithCompletion(Completion completion) {
    return commonRequestWithMethod(
        "DELETE", std::string(kClientPath) + "/device/logout", Json::object(),
        /*ignoreCache=*/true, onSuccess(completion),
        [completion](const HttpTaskPtr&, const XMLDocumentPtr& responseObject, const ErrorPtr& error) {
            if (completion) completion(error, responseObject);
        });
}

HttpTaskPtr MVHTTPClient::forgotPasswordForUserName(const std::string& userName, ForgotPasswordCompletion completion) {
    Json parameters = {{"userId", userName}, {"language", MVTavikLocale::mvtk_preferredLanguageString()}};
    return commonRequestWithMethod(
        "POST", std::string(kClientPath) + "/identities/forgotPassword", parameters, /*ignoreCache=*/true,
        onSuccess([completion](ErrorPtr error, XMLDocumentPtr document) {
            if (completion) completion(error, document, nullptr);
        }),
        [completion](const HttpTaskPtr&, const XMLDocumentPtr& responseObject, const ErrorPtr& error) {
            if (!completion) return;
            auto errorResponse = errorResponseOf(responseObject);
            completion(error, errorResponse ? nullptr : responseObject, errorResponse);
        });
}

HttpTaskPtr MVHTTPClient::getSettingsWithCompletion(
    std::function<void(ErrorPtr, std::shared_ptr<MVSettingsResponse>)> completion) {
    return getPath(
        std::string(kClientPath) + "/settings", Json::object(), /*ignoreCache=*/false,
        [completion](const HttpTaskPtr&, const XMLDocumentPtr& responseObject) {
            Platform::current().globalQueue().async([completion, responseObject] {
                if (!completion) return;
                if (!responseObject)
                    return completion(makeError(kMovraErrorDomain, kErrorUnexpectedAnswer,
                                                MVLocalizedString(kServiceUnavailableMessage),
                                                "The settings answer is not an XML document"),
                                      nullptr);
                ErrorPtr mappingError;
                auto settings =
                    MTLXMLAdapter::modelOfClass<MVSettingsResponse>(responseObject->documentNode(), &mappingError);
                if (mappingError) return completion(mappingError, nullptr);
                completion(nullptr, settings);
            });
        },
        onFailure([completion](ErrorPtr error, XMLDocumentPtr) {
            if (completion) completion(error, nullptr);
        }));
}

HttpTaskPtr MVHTTPClient::updateSettings(const Json& settings, Completion completion) {
    Json parameters = Json::object();
    if (deviceToken_ && !deviceId().empty()) parameters["language"] = MVTavikLocale::mvtk_preferredLanguageString();
    auto request = requestWithMethod("POST", std::string(kClientPath) + "/settings", parameters);
    if (!request) {
        auto task = std::make_shared<HttpTask>(0, HttpRequest{"POST", "settings", {}, {}, requestTimeoutInterval_});
        task->markCompleted();
        auto failure = onFailure(completion);
        Platform::current().mainQueue().post([task, failure] {
            failure(task, nullptr, makeError(kURLErrorDomain, kURLErrorBadURL, MVLocalizedString("unsupported URL")));
        });
        return task;
    }
    request->setHeader("Content-Type", "text/xml;charset=UTF-8");
    setAuthHeadersForRequest(*request);
    if (settings.is_object()) {
        std::string elements;
        for (const auto& [name, value] : settings.items()) {
            elements += "<setting Name=\"" + xmlEscape(name) + "\">";
            elements += value.is_null() ? "<null></null>" : xmlEscape(settingText(value));
            elements += "</setting>";
        }
        request->body = "<request>" + elements + "</request>";
    }
    return dataTaskWithRequest(std::move(*request), onSuccess(completion), onFailure(completion));
}

HttpTaskPtr MVHTTPClient::getAccountWithCompletion(
    std::function<void(ErrorPtr, std::shared_ptr<MVAccount>)> completion) {
    return getPath(
        std::string(kClientPath) + "/account", Json::object(), /*ignoreCache=*/false,
        [completion](const HttpTaskPtr&, const XMLDocumentPtr& responseObject) {
            if (!responseObject) {
                if (completion) completion(nullptr, nullptr);
                return;
            }
            ErrorPtr error;
            auto errorResponse = MTLXMLAdapter::modelOfClass<MVErrorResponse>(responseObject->documentNode(), &error);
            if (errorResponse) {
                if (auto serviceWide = serviceWideError(errorResponse->errorCode())) error = serviceWide;
            }
            ErrorPtr accountError;
            auto account = MTLXMLAdapter::modelOfClass<MVAccount>(responseObject->documentNode(), &accountError);
            if (accountError) error = accountError;
            if (completion) completion(error, account);
        },
        [completion, weak = weak_from_this()](const HttpTaskPtr& task, const XMLDocumentPtr&, const ErrorPtr& error) {
            const int status = statusCodeOf(task);
            ErrorPtr reported = status == 403 ? serviceError(kErrorGeoBlocked) : error;
            if (completion) completion(reported, nullptr);
            // A common request like any other: a sign-in the service no longer knows must end here too.
            if (status == 401) authenticationFailed(weak.lock());
        });
}

// ---- streaming sessions ----

HttpTaskPtr MVHTTPClient::setUpSessionAtPath(const std::string& path, Completion completion) {
    return getPath(path, {{"responseType", "xml"}}, /*ignoreCache=*/true, onSuccess(completion), onFailure(completion));
}

HttpTaskPtr MVHTTPClient::tearDownSessionAtURL(const std::string& url, Completion completion) {
    return tearDownSessionAtURL(url, -1, std::move(completion));
}

HttpTaskPtr MVHTTPClient::tearDownSessionAtURL(const std::string& url, long long bookmarkSeconds,
                                               Completion completion) {
    return sessionRequest("DELETE", url, bookmarkSeconds >= 0 ? std::optional(bookmarkSeconds) : std::nullopt,
                          std::move(completion));
}

HttpTaskPtr MVHTTPClient::postBookmarkAtURL(const std::string& url, long long bookmarkSeconds, Completion completion) {
    return sessionRequest("POST", url, bookmarkSeconds, std::move(completion));
}

HttpTaskPtr MVHTTPClient::sessionRequest(const std::string& method, const std::string& url,
                                         std::optional<long long> bookmarkSeconds, Completion completion) {
    const std::string path = url.substr(0, url.find('?'));
    if (path.empty()) return nullptr;
    auto parsed = Url::parse(url);
    Json parameters = parsed ? getParametersFromURL(*parsed) : Json::object();
    if (bookmarkSeconds) parameters["bookmarkSecs"] = std::to_string(*bookmarkSeconds);
    return commonRequestWithMethod(method, path, parameters, /*ignoreCache=*/true, onSuccess(completion),
                                   onFailure(completion));
}

// ---- URL utilities ----

Json MVHTTPClient::getParametersFromURL(const Url& url) {
    Json parameters = Json::object();
    if (!url.query()) return parameters;
    for (const auto& part : split(*url.query(), "&")) {
        auto pieces = split(part, "=");
        if (pieces.size() == 2) parameters[pieces[0]] = pieces[1];
    }
    return parameters;
}

// ---- credentials ----

const std::string& MVHTTPClient::deviceId() {
    if (!deviceId_.empty()) return deviceId_;
    auto& keychain = Platform::current().credentials();
    auto stored = keychain.password(SecurityManager::kPasswordServiceName, SecurityManager::kDeviceIdAccountName);
    if (stored && stored->find('-') != std::string::npos) {
        deviceId_ = *stored;
        return deviceId_;
    }
    // A stored value without "-" is not an identifier we made: replace it.
    deviceId_ = generateDeviceId();
    if (keychain.setPassword(deviceId_, SecurityManager::kPasswordServiceName, SecurityManager::kDeviceIdAccountName))
        Log::error("Unable to store device identifier.");
    return deviceId_;
}

std::string MVHTTPClient::generateDeviceId() { return makeUUIDString(); }

void MVHTTPClient::loggedOut(const Notification&) {
    clearStoredCredentials();
    MVAccount::clearCache();
}

}  // namespace movra
