#include "Platform/CastFrameCodec.h"
#include "Platform/CastMessage.pb.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

const CastEnvelope kText{.sourceId = "sender-0",
                         .destinationId = "receiver-0",
                         .nameSpace = "urn:x-cast:com.google.cast.receiver",
                         .payload = R"({"type":"GET_STATUS","requestId":1})"};
const CastEnvelope kBinary{.sourceId = "web-1",
                           .destinationId = "sender-0",
                           .nameSpace = "urn:x-cast:x",
                           .payload = std::string("\0\xff", 2),
                           .binary = true};

/// The frame of a hand-built message, with its length prefix.
std::string frameOf(const wire::CastMessage& message) {
    const std::string body = message.SerializePartialAsString();
    const auto n = static_cast<std::uint32_t>(body.size());
    return std::string{static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8),
                       static_cast<char>(n)} +
           body;
}

TEST(CastFrameCodecTest, DecodesFramesHoweverTheBytesArrive) {
    const std::string stream = CastFrameCodec::encode(kText) + CastFrameCodec::encode(kBinary);
    ASSERT_EQ(stream.substr(0, 4),
              std::string("\0\0\0", 3) + static_cast<char>(CastFrameCodec::encode(kText).size() - 4))
        << "big-endian length first";
    for (std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{7}, stream.size()}) {
        SCOPED_TRACE("chunks of " + std::to_string(chunk));
        CastFrameCodec codec;
        std::vector<CastEnvelope> out;
        for (std::size_t at = 0; at < stream.size(); at += chunk)
            ASSERT_FALSE(codec.feed(std::string_view(stream).substr(at, chunk), out));
        ASSERT_EQ(out.size(), 2u);
        EXPECT_EQ(out[0], kText);
        EXPECT_EQ(out[1], kBinary);
    }
}

TEST(CastFrameCodecTest, RefusesWhatIsNotAWellFormedMessage) {
    wire::CastMessage noPayload;
    noPayload.set_protocol_version(wire::CastMessage::CASTV2_1_0);
    noPayload.set_source_id("a");
    noPayload.set_destination_id("b");
    noPayload.set_namespace_("c");
    noPayload.set_payload_type(wire::CastMessage::STRING);
    wire::CastMessage noNamespace = noPayload;
    noNamespace.clear_namespace_();
    noNamespace.set_payload_utf8("{}");
    const std::string valid = CastFrameCodec::encode(kText);
    std::string wrongVersion = valid;
    wrongVersion[5] = 7;  // the protocol version's value, right after its tag

    const std::pair<const char*, std::string> cases[] = {
        {"a length over 64 KiB", std::string("\x00\x01\x00\x01", 4)},
        {"bytes that are no message", std::string("\x00\x00\x00\x04\xff\xff\xff\xff", 8)},
        {"a message without a required field", frameOf(noNamespace)},
        {"a text message without its text", frameOf(noPayload)},
        {"an unknown protocol version", wrongVersion},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        CastFrameCodec codec;
        std::vector<CastEnvelope> out;
        EXPECT_TRUE(codec.feed(bytes, out));
        EXPECT_TRUE(out.empty());
    }
}

TEST(CastFrameCodecTest, EncodesNothingOverTheLimit) {
    CastEnvelope large = kText;
    large.payload.assign(CastFrameCodec::kMaxMessageSize, 'x');
    EXPECT_TRUE(CastFrameCodec::encode(large).empty());
    large.payload.resize(CastFrameCodec::kMaxMessageSize - 100);
    EXPECT_FALSE(CastFrameCodec::encode(large).empty());
}

}  // namespace
}  // namespace movra
