// Feeds arbitrary bytes, as a network would deliver them, to cast discovery's reading of DNS-SD answers, and
// to the emulator responder's reading of queries.
#include "Platform/DnsSdMessage.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace movra;
    const std::string_view packet(reinterpret_cast<const char*>(data), size);
    std::string error;
    if (auto devices = DnsSdMessage::parseResponse(packet, &error))
        for (const auto& device : *devices) (void)device.address();
    (void)DnsSdMessage::makeResponse(packet, {CastDevice{.deviceID = "d6ec1406",
                                                         .friendlyName = "Living Room TV",
                                                         .modelName = "Movra Cast Emulator",
                                                         .ipAddress = "127.0.0.1",
                                                         .servicePort = 8009}});
    return 0;
}
