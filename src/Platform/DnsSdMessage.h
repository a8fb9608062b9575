// DnsSdMessage: the DNS-SD messages of cast receiver discovery over multicast DNS: the query for the
// "_googlecast._tcp.local" service, and the answers that describe receivers (PTR to each instance, its SRV
// with target and port, its TXT with "id", "fn" and "md", and the target's A record). The packets are made
// and read with ldns.
//
// Thread contract: stateless; any thread.
#pragma once

#include "Platform/CastDevice.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace movra {

class DnsSdMessage {
  public:
    static constexpr const char* kCastService = "_googlecast._tcp.local.";

    /// The query packet (PTR of the cast service) with id `id`.
    static std::string makeQuery(std::uint16_t id);
    /// The receivers a response packet describes completely. Instances without an address, a usable port
    /// or an "id" are left out. nullopt with `error` set for a packet that is not a well-formed response.
    static std::optional<std::vector<CastDevice>> parseResponse(std::string_view packet, std::string* error);
    /// A responder's answer to `query` announcing `devices`; empty when `query` is not a well-formed query
    /// for the cast service.
    static std::string makeResponse(std::string_view query, const std::vector<CastDevice>& devices);
};

}  // namespace movra
