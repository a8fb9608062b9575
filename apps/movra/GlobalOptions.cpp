#include "movra/GlobalOptions.h"

#include "Platform/PlatformFactory.h"

namespace movra::cli {

ErrorPtr GlobalOptions::makeConfiguration(Configuration& configuration) const {
    configuration.dataDirectory = dataDir.empty() ? defaultDataDirectory() : dataDir;
    if (auto error = configuration.loadFile(configuration.dataDirectory + "/config.json")) return error;
    if (!discriminatorHost.empty()) configuration.discriminatorHost = discriminatorHost;
    if (!apiHost.empty()) configuration.apiHostOverride = apiHost;
    if (!caFile.empty()) configuration.caFile = caFile;
    if (!tenant.empty()) configuration.tenant = tenant;
    if (!drmCertificateFile.empty()) configuration.drmCertificateFile = drmCertificateFile;
    if (!videoOutput.empty()) configuration.videoOutput = videoOutput;
    if (!audioOutput.empty()) configuration.audioOutput = audioOutput;
    return nullptr;
}

LogLevel GlobalOptions::consoleLevel() const {
    switch (verbosity) {
        case 0:
            return LogLevel::Warning;
        case 1:
            return LogLevel::Info;
        case 2:
            return LogLevel::Debug;
        default:
            return LogLevel::Verbose;
    }
}

}  // namespace movra::cli
