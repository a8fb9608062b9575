// MVStreamingSessionResponse: the answer to opening a streaming session: the stream URL, the title's cue
// points, the chain-play countdown and the channel whose first item is offered next.
//
// Thread contract: mapped on the main queue (the channel's items are made there, as the store's main context
// would make them); read-only afterwards.
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"
#include "Model/MVChannel.h"
#include "Model/MVCuePoint.h"
#include "Utilities/XMLModelClass.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace movra {

class MVStreamingSessionResponse {
  public:
    static const XMLModelClass& modelClass();
    static std::shared_ptr<MVStreamingSessionResponse> modelWithDictionary(const Json& dictionary,
                                                                           ErrorPtr* error = nullptr);
    /// The "result" element read with the channel's key paths.
    static XMLTransformer channelXMLTransformer();

    explicit MVStreamingSessionResponse(const Json& dictionary);

    /// "ST2002": the subscription's payment is missing.
    const std::optional<std::string>& errorCode() const { return errorCode_; }
    /// "success", "authenticate", or anything else for a playback error of the service.
    const std::optional<std::string>& status() const { return status_; }
    const std::optional<std::string>& userMessage() const { return userMessage_; }
    const std::optional<std::string>& systemMessage() const { return systemMessage_; }
    /// The HLS master playlist.
    const std::optional<std::string>& url() const { return url_; }
    const std::optional<std::string>& realm() const { return realm_; }
    const std::vector<std::shared_ptr<MVCuePoint>>& cuePoints() const { return cuePoints_; }
    /// Seconds of the chain-play countdown.
    const std::optional<long long>& chainplayTimer() const { return chainplayTimer_; }
    /// Not stored: the item offered for chain play is its first item.
    const std::shared_ptr<MVChannel>& channel() const { return channel_; }

  private:
    std::optional<std::string> errorCode_, status_, userMessage_, systemMessage_, url_, realm_;
    std::vector<std::shared_ptr<MVCuePoint>> cuePoints_;
    std::optional<long long> chainplayTimer_;
    std::shared_ptr<MVChannel> channel_;
};

}  // namespace movra
