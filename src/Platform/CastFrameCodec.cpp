// This file implements the cast protocol's framing over the protocol-buffer envelope.
#include "Platform/CastFrameCodec.h"

#include "Platform/CastMessage.pb.h"

#include <cstdint>

namespace movra {

std::string CastFrameCodec::encode(const CastEnvelope& envelope) {
    wire::CastMessage message;
    message.set_protocol_version(wire::CastMessage::CASTV2_1_0);
    message.set_source_id(envelope.sourceId);
    message.set_destination_id(envelope.destinationId);
    message.set_namespace_(envelope.nameSpace);
    if (envelope.binary) {
        message.set_payload_type(wire::CastMessage::BINARY);
        message.set_payload_binary(envelope.payload);
    } else {
        message.set_payload_type(wire::CastMessage::STRING);
        message.set_payload_utf8(envelope.payload);
    }
    const std::size_t size = message.ByteSizeLong();
    if (size > kMaxMessageSize) return {};
    std::string frame(4 + size, '\0');
    const auto length = static_cast<std::uint32_t>(size);
    for (int i = 0; i < 4; ++i) frame[i] = static_cast<char>((length >> (24 - 8 * i)) & 0xff);
    message.SerializeWithCachedSizesToArray(reinterpret_cast<std::uint8_t*>(frame.data() + 4));
    return frame;
}

std::optional<std::string> CastFrameCodec::feed(std::string_view bytes, std::vector<CastEnvelope>& out) {
    buffer_.append(bytes);
    std::size_t offset = 0;
    while (buffer_.size() - offset >= 4) {
        std::uint32_t length = 0;
        for (int i = 0; i < 4; ++i) length = (length << 8) | static_cast<std::uint8_t>(buffer_[offset + i]);
        if (length > kMaxMessageSize) return "frame of " + std::to_string(length) + " bytes exceeds the limit";
        if (buffer_.size() - offset - 4 < length) break;
        wire::CastMessage message;
        if (!message.ParsePartialFromArray(buffer_.data() + offset + 4, static_cast<int>(length)) ||
            !message.IsInitialized())
            return "frame does not hold a cast message";
        const bool binary = message.payload_type() == wire::CastMessage::BINARY;
        if (binary ? !message.has_payload_binary() : !message.has_payload_utf8())
            return "cast message without its payload";
        out.push_back(CastEnvelope{.sourceId = message.source_id(),
                                   .destinationId = message.destination_id(),
                                   .nameSpace = message.namespace_(),
                                   .payload = binary ? message.payload_binary() : message.payload_utf8(),
                                   .binary = binary});
        offset += 4 + length;
    }
    buffer_.erase(0, offset);
    return std::nullopt;
}

}  // namespace movra
