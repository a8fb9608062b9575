#include "Platform/SystemDeviceInfo.h"

#include <limits.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace movra {

namespace {

std::string hostName() {
    char buffer[HOST_NAME_MAX + 1] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0) return "localhost";
    return buffer;
}

}  // namespace

SystemDeviceInfo::SystemDeviceInfo(const Configuration& configuration)
    : idiom_(configuration.deviceIdiom == "pad" ? UserInterfaceIdiom::Pad : UserInterfaceIdiom::Phone),
      model_(configuration.deviceModel),
      name_(configuration.deviceName.empty() ? hostName() : configuration.deviceName) {
    struct utsname system {};
    if (::uname(&system) == 0) {
        systemName_ = system.sysname;
        systemVersion_ = system.release;
    }
}

std::string SystemDeviceInfo::appShortVersion() const { return MOVRA_VERSION; }

// Builds are not numbered separately from the version yet.
std::string SystemDeviceInfo::appBuildNumber() const { return "1"; }

}  // namespace movra
