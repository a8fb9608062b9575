// Feeds arbitrary bytes to the reader of the streaming session's answer, mapped as the session client maps
// it: the answer record with its cue points and the channel whose items are offered for chain play.
#include "Model/MVStreamingSessionResponse.h"
#include "Platform/Platform.h"
#include "Platform/PlatformFactory.h"
#include "Utilities/MTLXMLAdapter.h"
#include "Utilities/XMLDocument.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace {

bool setUp() {
    std::string pattern = (std::filesystem::temp_directory_path() / "movra-fuzz-XXXXXX").string();
    movra::Configuration configuration;
    configuration.dataDirectory = mkdtemp(pattern.data());
    movra::Platform::install(
        movra::makeSystemPlatform(configuration, std::make_shared<movra::UiHost>(), movra::LogLevel::Error));
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace movra;
    static bool ready = setUp();
    (void)ready;
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
