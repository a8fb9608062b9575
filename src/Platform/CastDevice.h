// CastDevice: a cast receiver as discovery or the configuration found it.
#pragma once

#include <string>

namespace movra {

struct CastDevice {
    /// Stable identifier the receiver announces ("id" of its service record).
    std::string deviceID;
    /// The name people gave it ("fn").
    std::string friendlyName;
    /// Its model ("md").
    std::string modelName;
    /// Numeric address and port of its cast service.
    std::string ipAddress;
    int servicePort = 8009;
    /// Whether the application the scanner filters on is available there (asked when the device is found).
    bool applicationAvailable = false;

    /// "address:port".
    std::string address() const { return ipAddress + ":" + std::to_string(servicePort); }
};

}  // namespace movra
