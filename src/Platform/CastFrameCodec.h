// CastFrameCodec: the framing of the cast protocol: each message is a 4-byte big-endian length and that many
// bytes of an encoded CastMessage. A decoder takes bytes as they arrive and hands out whole messages.
//
// Thread contract: an instance belongs to one thread at a time; encode() may be called from any thread.
#pragma once

#include "Platform/CastEnvelope.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace movra {

class CastFrameCodec {
  public:
    /// Largest message accepted or sent, without its length prefix.
    static constexpr std::size_t kMaxMessageSize = 64 * 1024;

    /// The frame of `envelope`; empty when the message would be larger than kMaxMessageSize.
    static std::string encode(const CastEnvelope& envelope);

    /// Appends `bytes` and moves every complete message to `out`. Answers why the stream is unusable (an
    /// oversized length, a message that does not decode); the decoder must then not be fed again.
    std::optional<std::string> feed(std::string_view bytes, std::vector<CastEnvelope>& out);

  private:
    std::string buffer_;
};

}  // namespace movra
