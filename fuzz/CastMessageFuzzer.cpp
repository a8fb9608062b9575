// Feeds arbitrary bytes, as a receiver would send them, through the cast sender's decoding: the framing and
// the envelope, the receiver platform's JSON (status, launch answers, heartbeats) and the media channel's
// status messages.
#include "FuzzPlatform.h"
#include "Platform/CastFrameCodec.h"
#include "Platform/CastMediaControlChannel.h"
#include "Platform/CastV2DeviceManager.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace movra;
    fuzz::installPlatform();
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    // The first byte splits the stream in two reads, as the network may.
    const std::size_t split = std::min<std::size_t>(data[0], bytes.size());
    CastFrameCodec codec;
    std::vector<CastEnvelope> envelopes;
    if (!codec.feed(bytes.substr(0, split), envelopes)) codec.feed(bytes.substr(split), envelopes);

    CastV2DeviceManager manager(CastDevice{}, "fuzz");
    CastMediaControlChannel media;
    manager.addChannel(media);
    for (const auto& envelope : envelopes) {
        manager.didReceive(envelope);
        media.didReceiveTextMessage(envelope.payload);
        (void)media.approximateStreamPosition();
    }
    manager.removeChannel(media);
    return 0;
}
