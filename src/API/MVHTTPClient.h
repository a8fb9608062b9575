// MVHTTPClient: the one gateway to the back end's XML client API. One shared instance exists at a time;
// it is re-created for every API host the region check names. Every operation returns its started task.
//
// Thread contract: create, configure and call it on the main queue. Responses are parsed on the
// transport's thread; success and failure blocks and completions run on the main queue. Blocks of a
// replaced client still run (with error -999 when its tasks were cancelled at the swap).
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"
#include "Foundation/NotificationCenter.h"
#include "Foundation/Url.h"
#include "Platform/HttpTransport.h"
#include "Platform/Image.h"
#include "Utilities/XMLDocument.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace movra {

class MVHTTPClientGlobalErrorHandler;
class MVAccount;
class MVChannel;
class MVErrorResponse;
class MVSettingsResponse;

inline constexpr const char* MVNotificationLogOut = "MVNotificationLogOut";
inline constexpr const char* MVNotificationLogIn = "MVNotificationLogIn";
inline constexpr const char* MVNotificationAuthenticationRequired = "MVNotificationAuthenticationRequired";
/// A local watchlist update: the first guid of the changed titles comes as objects["object"] (a string).
inline constexpr const char* MVNotificationWatchlistChanged = "MVNotificationWatchlistChanged";
/// The root menu's recently-watched entry was (re)registered: user info {"Recently Watched": item guid}.
inline constexpr const char* MVRecentlyWatchedUpdated = "MVRecentlyWatchedUpdated";

class MVHTTPClient : public std::enable_shared_from_this<MVHTTPClient> {
  public:
    using Success = std::function<void(const HttpTaskPtr& task, const XMLDocumentPtr& responseObject)>;
    using Failure =
        std::function<void(const HttpTaskPtr& task, const XMLDocumentPtr& responseObject, const ErrorPtr& error)>;
    /// (error, response object): error first, as every completion of the client.
    using Completion = std::function<void(ErrorPtr error, XMLDocumentPtr responseObject)>;

    /// The path prefix of the client API and its platform segment.
    static constexpr const char* kClientPath = "/stoffice/client";
    static constexpr const char* kPlatformSegment = "/ios";
    /// Defaults key of the last API host the client was created for.
    static constexpr const char* kLastAPIHostKey = "MVTKLastAPIHostKey";

    /// Replaces the shared client (the old one's tasks are cancelled) with one for `host`. Without a host
    /// the last API host named before (or the configured default host) is used.
    static std::shared_ptr<MVHTTPClient> initSharedClientWithHost(const std::optional<std::string>& host);
    static std::shared_ptr<MVHTTPClient> sharedClient();
    /// The base URL for a host: "https://" + host unless the host already begins with "http://" or "https://"
    /// (only the QA override gives one), then the client path, the platform segment and a terminal "/".
    static std::optional<Url> baseURLForHost(const std::string& host);

    /// initWithBaseURL: loads the stored credentials and starts observing sign-out.
    explicit MVHTTPClient(std::optional<Url> baseURL);
    ~MVHTTPClient();
    MVHTTPClient(const MVHTTPClient&) = delete;
    MVHTTPClient& operator=(const MVHTTPClient&) = delete;

    const std::optional<Url>& baseURL() const { return baseURL_; }
    double requestTimeoutInterval() const { return requestTimeoutInterval_; }
    void setRequestTimeoutInterval(double seconds) { requestTimeoutInterval_ = seconds; }
    std::shared_ptr<MVHTTPClientGlobalErrorHandler> globalErrorHandler() const { return globalErrorHandler_.lock(); }
    void setGlobalErrorHandler(std::weak_ptr<MVHTTPClientGlobalErrorHandler> handler) {
        globalErrorHandler_ = std::move(handler);
    }

    // Requests.
    HttpTaskPtr commonRequestWithMethod(const std::string& method, const std::string& path, const Json& parameters,
                                        bool ignoreCache, Success success, Failure failure);
    HttpTaskPtr getPath(const std::string& path, const Json& parameters, bool ignoreCache, Success success,
                        Failure failure);
    HttpTaskPtr postPath(const std::string& path, const Json& parameters, bool ignoreCache, Success success,
                         Failure failure);
    /// Builds a request for `path` resolved against the base URL with `parameters` in its query and the
    /// serializer's default headers; nullopt when the path gives no valid URL or one of another origin than the
    /// base URL's (the device's credentials go to the API host only).
    std::optional<HttpRequest> requestWithMethod(const std::string& method, const std::string& path,
                                                 const Json& parameters) const;
    /// Runs `request` on the client's session, parsing the answer as XML.
    HttpTaskPtr dataTaskWithRequest(HttpRequest request, Success success, Failure failure);
    /// The device headers, set only when the request goes to the base URL's origin.
    void setAuthHeadersForRequest(HttpRequest& request);

    /// Hands the document to the catalogue import, which calls `completion`.
    Success onSuccess(Completion completion);
    /// The standard failure path: service-wide errors to the global handler, the completion, then 401 handling.
    Failure onFailure(Completion completion);
    /// The error of a back-end error document ("status" exactly "Failure"), else nullptr.
    static ErrorPtr parseStravoErrorFromDocument(const XMLDocumentPtr& document);
    /// The service status check (GET "browse").
    HttpTaskPtr checkErrorStatusWithCompletion(Completion completion);
    /// Cancels every running data task; `completion` runs once afterwards, on the main queue.
    void cancelTasksWithCompletion(std::function<void()> completion);
    /// (error, the stored channel of a catalogue page, or else the document as received).
    using BrowseCompletion =
        std::function<void(ErrorPtr error, std::shared_ptr<MVChannel> channel, XMLDocumentPtr document)>;
    /// Imports a received catalogue page into the store (replacing the channel's item list when
    /// `clearExistingData`, else appending, numbered from `startingOffset`) and answers with the stored
    /// channel; any other document is read as an error document and handed back.
    void handleXMLResponse(const XMLDocumentPtr& responseObject, std::optional<unsigned long> startingOffset,
                           bool clearExistingData, BrowseCompletion completion);

    // Catalogue.
    /// GET `path` ("browse" when none) with "offset", "max", "sort" and "order" as given, imported.
    HttpTaskPtr browseToPath(const std::optional<std::string>& path, std::optional<unsigned long> offset,
                             std::optional<unsigned long> maxResults, const std::optional<std::string>& sortKey,
                             bool ascending, bool ignoreCache, bool clearExistingItems, BrowseCompletion completion);
    HttpTaskPtr browseToPath(const std::optional<std::string>& path, bool ignoreCache, bool clearExistingItems,
                             BrowseCompletion completion);
    /// A search: GET `path` ("search" when none) with "query", imported as its feed's channel (its items
    /// replaced by the answer's, in order).
    HttpTaskPtr searchAtPath(const std::optional<std::string>& path, const std::string& query,
                             BrowseCompletion completion);
    /// Suggestions for what is typed: GET `path` with "query" when there is one, imported as a search is.
    /// Without a path nothing is sent: the completion gets error "MVHTTPClient" 0 at once, and no task.
    HttpTaskPtr getSuggestionsAtPath(const std::optional<std::string>& path, const std::optional<std::string>& query,
                                     BrowseCompletion completion);
    /// One title's page, "browse/<guid>".
    HttpTaskPtr getItemWithGuid(const std::string& guid, bool ignoreCache, bool clearExistingItems,
                                BrowseCompletion completion);

    /// Downloads a catalogue image on the shared session (not cancelled with the client's requests). The
    /// URL's query is replaced by "language", "type" and "deviceId".
    HttpTaskPtr downloadImageWithURL(const Url& url, std::function<void(ErrorPtr error, ImagePtr image)> completion);
    /// The image URL as requested.
    std::string imageRequestURL(const Url& url);

    // Watchlist.
    /// POST "addSavedAsset" with "guid". Without a guid (none, or empty) nothing is sent: the completion is
    /// called at once with error "MVHTTPClient" 0 whose underlying error is "invalid guid", and no task is
    /// returned.
    HttpTaskPtr addToWatchlistWithGUID(const std::optional<std::string>& guid, Completion completion);
    /// DELETE "savedAsset" with "guid" in the query; without a guid as above.
    HttpTaskPtr removeFromWatchlistWithGUID(const std::optional<std::string>& guid, Completion completion);
    /// After a successful add (main queue): flags every stored record of the titles as on the watchlist; once
    /// the store has saved, posts MVNotificationWatchlistChanged and calls `completion` on the main queue. For an
    /// empty list only `completion` is called.
    static void updateCacheForAddedWatchlistItemGuids(const std::vector<std::string>& guids,
                                                      std::function<void()> completion = nullptr);
    /// After a successful removal: clears the flag of the flagged records of the titles, then posts the
    /// same notification (also when no record was flagged).
    static void updateCacheForRemovedWatchlistItemGuids(const std::vector<std::string>& guids,
                                                        std::function<void()> completion = nullptr);

    // Account and device.
    /// Signs in and registers the device; on success the token, guids and user name are stored. Failures
    /// come as errors of the client's own domain whose description is the message to show.
    HttpTaskPtr loginSubscriberWithUserName(const std::string& userName, const std::string& password,
                                            Completion completion);
    /// As above; `cachedUserName` says that the stored user is re-entering the password (another 401 text).
    HttpTaskPtr loginSubscriberWithUserName(const std::string& userName, bool cachedUserName,
                                            const std::string& password, Completion completion);
    /// Re-verifies the stored user's password.
    HttpTaskPtr loginLastSubscriberWithPassword(const std::string& password, Completion completion);
    /// Signs the device out of the back end (local credentials are cleared by the sign-out notification).
    HttpTaskPtr logoutWithCompletion(Completion completion);
    /// (error, document on success, the error document on a failure that carried one).
    using ForgotPasswordCompletion = std::function<void(ErrorPtr error, XMLDocumentPtr document,
                                                        std::shared_ptr<const MVErrorResponse> errorResponse)>;
    HttpTaskPtr forgotPasswordForUserName(const std::string& userName, ForgotPasswordCompletion completion);
    /// The completion runs on a background queue, not the main queue.
    HttpTaskPtr getSettingsWithCompletion(
        std::function<void(ErrorPtr, std::shared_ptr<MVSettingsResponse>)> completion);
    /// Writes settings (an object of name -> value; null clears a setting), in the object's key order.
    HttpTaskPtr updateSettings(const Json& settings, Completion completion);
    HttpTaskPtr getAccountWithCompletion(std::function<void(ErrorPtr, std::shared_ptr<MVAccount>)> completion);

    // Streaming sessions. One resource, the media content's URL, serves all three verbs.
    /// GET `path` (the main media content's absolute URL) with "responseType" = "xml", bypassing the cache.
    /// (error, the answer document; on failure the error document when the body was XML).
    HttpTaskPtr setUpSessionAtPath(const std::string& path, Completion completion);
    /// Closes the session without a final bookmark.
    HttpTaskPtr tearDownSessionAtURL(const std::string& url, Completion completion);
    /// DELETE with the URL's own query parameters and, when `bookmarkSeconds` is 0 or more, "bookmarkSecs".
    HttpTaskPtr tearDownSessionAtURL(const std::string& url, long long bookmarkSeconds, Completion completion);
    /// POST with the URL's own query parameters and "bookmarkSecs". An empty URL sends nothing, returns
    /// nullptr and never calls the completion.
    HttpTaskPtr postBookmarkAtURL(const std::string& url, long long bookmarkSeconds, Completion completion);

    // URL utilities.
    /// Query parameters as written (no percent-decoding); later keys win; parts without exactly one "=" are skipped.
    static Json getParametersFromURL(const Url& url);

    // Credentials: in-memory copies of the keychain entries.
    /// The device identifier, created and stored on first use.
    const std::string& deviceId();
    void setDeviceId(std::string deviceId) { deviceId_ = std::move(deviceId); }
    static std::string generateDeviceId();
    const std::optional<std::string>& deviceToken() const { return deviceToken_; }
    void setDeviceToken(std::optional<std::string> value) { deviceToken_ = std::move(value); }
    const std::optional<std::string>& identityGuid() const { return identityGuid_; }
    void setIdentityGuid(std::optional<std::string> value) { identityGuid_ = std::move(value); }
    const std::optional<std::string>& accountGuid() const { return accountGuid_; }
    void setAccountGuid(std::optional<std::string> value) { accountGuid_ = std::move(value); }
    const std::optional<std::string>& userName() const { return userName_; }
    void setUserName(std::optional<std::string> value) { userName_ = std::move(value); }
    /// The "MVNotificationLogOut" handler: forgets the signed-in credentials (not the device identifier).
    void loggedOut(const Notification& notification);

    /// The session (tests).
    const std::shared_ptr<HttpTransport>& session() const { return session_; }

  private:
    /// A session request to `url` without its query, whose parameters travel with the request instead.
    HttpTaskPtr sessionRequest(const std::string& method, const std::string& url,
                               std::optional<long long> bookmarkSeconds, Completion completion);
    HttpTaskPtr changeWatchlist(const std::string& method, const std::string& path,
                                const std::optional<std::string>& guid, Completion completion);
    /// Whether `url` has the base URL's origin.
    bool goesToAPIHost(const std::string& url) const;
    static void updateWatchlistFlags(const std::vector<std::string>& guids, bool inWatchlist,
                                     std::function<void()> completion);
    /// Stores the credentials of a successful sign-in; the last keychain error, if any.
    ErrorPtr storeSignIn(const std::string& token, const std::string& identityGuid, const std::string& accountGuid,
                         const std::string& userName);
    void clearStoredCredentials();
    static void deleteStoredCredentials();
    /// GET `path` and import the answer as a catalogue page at `offset`.
    HttpTaskPtr importingGet(const std::string& path, Json parameters, bool ignoreCache,
                             std::optional<unsigned long> offset, bool clearExistingItems, BrowseCompletion completion);
    /// A 401: forgets the stored credentials and asks for a new sign-in.
    static void authenticationFailed(const std::shared_ptr<MVHTTPClient>& client);

    std::optional<Url> baseURL_;
    // "scheme://authority" of the base URL, as written.
    std::string originPrefix_;
    // The serializer's default headers, fixed for the life of the client.
    std::string acceptLanguage_;
    std::string userAgent_;
    double requestTimeoutInterval_ = 60.0;
    std::shared_ptr<HttpTransport> session_;
    std::weak_ptr<MVHTTPClientGlobalErrorHandler> globalErrorHandler_;
    std::string deviceId_;
    std::optional<std::string> deviceToken_, identityGuid_, accountGuid_, userName_;
    ScopedObserver logOutObserver_;
};

}  // namespace movra
