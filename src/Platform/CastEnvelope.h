// CastEnvelope: one message between a cast sender and a receiver, as the frame carries it.
#pragma once

#include <string>

namespace movra {

struct CastEnvelope {
    std::string sourceId;
    std::string destinationId;
    std::string nameSpace;
    /// The text, or the bytes when `binary` is set.
    std::string payload;
    bool binary = false;

    bool operator==(const CastEnvelope&) const = default;
};

}  // namespace movra
