// Feeds arbitrary bytes to the reader of the streaming session's answer, mapped as the session client maps
// it: the answer record with its cue points and the channel whose items are offered for chain play.
#include "FuzzPlatform.h"
#include "Model/MVStreamingSessionResponse.h"
#include "Utilities/MTLXMLAdapter.h"
#include "Utilities/XMLDocument.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace movra;
    fuzz::installPlatform();
    ErrorPtr error;
    auto document = XMLDocument::parse(std::string_view(reinterpret_cast<const char*>(data), size), &error);
    if (!document) return 0;
    auto response = MTLXMLAdapter::modelOfClass<MVStreamingSessionResponse>(document->documentNode(), &error);
    if (!response) return 0;
    // What the player reads afterwards: the cue points' positions and the first item's stored values.
    for (const auto& cuePoint : response->cuePoints()) (void)cuePoint->position();
    if (const auto& channel = response->channel()) {
        (void)channel->attributeValues();
        for (const auto& item : channel->items()) {
            (void)item->attributeValues();
            (void)item->movieMediaContentForType(MVMediaContentTypeHLSFairPlay);
        }
    }
    return 0;
}
