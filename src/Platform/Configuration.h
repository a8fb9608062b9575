// Configuration: deployment settings. Read from "config.json" in the data directory; the command line
// overrides single values. Unknown keys are ignored; a value of the wrong type is an error.
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace movra {

struct Configuration {
    std::string dataDirectory;
    /// Host (and port) of the tenant discriminator service.
    std::string discriminatorHost = "discriminator.movratavik.com";
    /// When set, the client talks to this API host and skips the discriminator (the QA endpoint override).
    std::string apiHostOverride;
    /// Tenant answered for the API host override ("MVTK", "MVSL" or a tenant name); empty: the stored one.
    std::string tenant;
    /// API host used when the discriminator cannot be asked and no host has answered before.
    std::string defaultApiHost = "api.movratavik.com";
    /// Extra PEM file of trusted certificate authorities.
    std::string caFile;
    /// The application certificate (DER) that key requests are built with.
    std::string drmCertificateFile;
    /// Where the player's video goes: "auto" (a window when a display is available), "window" or "none".
    std::string videoOutput = "auto";
    /// Where the player's audio goes: "auto" (the default output when there is one) or "none".
    std::string audioOutput = "auto";
    std::string analyticsTrackingId = "UA-58213407-1";
    /// Where analytics hits go; empty: hits are only logged.
    std::string analyticsCollectorUrl;
    /// Where playback-quality sessions and their events go; empty: they are only logged.
    std::string playbackQualityCollectorUrl;
    /// Optional cast receiver application id.
    std::string castApplicationId;
    /// "HOST:PORT" of the one DNS-SD responder cast discovery asks; empty: the multicast DNS group.
    std::string castDiscoveryAddress;
    /// Cast receivers by address ("HOST:PORT"), for networks where discovery is blocked.
    std::vector<std::string> castDevices;
    /// Web domain of each tenant's service, by tenant string ("Movra Solara", "Movra Tavik").
    std::map<std::string, std::string> tenantWebDomains = {{"Movra Solara", "movrasolara.es"},
                                                           {"Movra Tavik", "movratavik.com"}};
    /// Device description; empty values fall back to the environment.
    std::string deviceIdiom = "phone";
    std::string deviceModel = "iPhone";
    std::string deviceName;
    /// Preferred languages, most preferred first ("sv-SE"); empty: from the environment (LANG).
    std::string language;

    /// Applies the keys present in `json` over the current values.
    ErrorPtr apply(const Json& json);
    /// Reads `path` when it exists (a missing file is no error) and applies it.
    ErrorPtr loadFile(const std::string& path);
    Json toJson() const;
};

}  // namespace movra
