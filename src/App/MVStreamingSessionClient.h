// MVStreamingSessionClient: the API client's session operations that start from a catalogue title: opening
// a title's streaming session and recording a bookmark. They read the title's main media content, a record of
// the model, and word the payment error with the tenant's web address, so they live above the API client.
//
// Thread contract: main queue; completions run on the main queue.
#pragma once

#include "API/MVHTTPClient.h"
#include "Model/MVItem.h"
#include "Model/MVStreamingSessionResponse.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace movra {

/// Codes of the "MVHTTPClient" domain for a session that could not be opened.
enum MVStreamingSessionErrorCode : std::int64_t {
    MVStreamingSessionErrorAuthenticate = 3000,     // status "authenticate"
    MVStreamingSessionErrorNoMediaContent = 3001,   // the title has no main media content
    MVStreamingSessionErrorFailed = 3002,           // any other failure; the user message when there is one
    MVStreamingSessionErrorPaymentRequired = 3003,  // error code "ST2002"
};

class MVStreamingSessionClient {
  public:
    using SessionCompletion = std::function<void(ErrorPtr error, std::optional<std::string> streamURL,
                                                 std::shared_ptr<MVStreamingSessionResponse> response)>;

    /// setUpSessionForItem: opens the session of the item's main media content and interprets the answer.
    /// Without media content the completion gets error 3001 at once and nothing is returned.
    static HttpTaskPtr setUpSessionForItem(MVHTTPClient& client, const MVItem& item, SessionCompletion completion);
    /// postBookmarkForAssetItem: records `bookmarkSeconds` on the item's session resource; without a media
    /// content URL nothing is sent and the completion is never called.
    static HttpTaskPtr postBookmarkForAssetItem(MVHTTPClient& client, const MVItem& item, long long bookmarkSeconds,
                                                MVHTTPClient::Completion completion);

  private:
    /// The answer of setUpSessionAtPath turned into the completion's values.
    static void interpretSessionAnswer(const ErrorPtr& transportError, const XMLDocumentPtr& document,
                                       const SessionCompletion& completion);
};

}  // namespace movra
