#include "movra/CastCommand.h"

#include "Cast/MVCastManager.h"
#include "Platform/Platform.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"

#include <sstream>

namespace movra::cli {

int CastCommand::runDevices(const GlobalOptions& options) const {
    ClientSession session(options);
    if (auto error = session.open()) {
        printFailure(options, error->localizedDescription, error);
        return 2;
    }
    std::string applicationId = Platform::current().configuration().castApplicationId;
    if (applicationId.empty()) applicationId = MVCastManager::kMVTKReceiverAppId;
    auto scanner = Platform::current().castSdk().makeDeviceScanner(
        CastDeviceScanner::FilterCriteria::reportingApplication(applicationId));
    scanner->startScan();
    session.wait([] { return false; }, waitSeconds);
    scanner->stopScan();

    Json devices = Json::array();
    std::ostringstream text;
    for (const auto& device : scanner->devices()) {
        devices.push_back({{"id", device.deviceID},
                           {"name", device.friendlyName},
                           {"model", device.modelName},
                           {"address", device.address()},
                           {"applicationAvailable", device.applicationAvailable}});
        text << device.friendlyName << " (" << (device.modelName.empty() ? "unknown model" : device.modelName)
             << ") at " << device.address() << ", id " << device.deviceID << ": application " << applicationId
             << (device.applicationAvailable ? " available" : " not available") << "\n";
    }
    if (devices.empty()) text << "No cast receivers found.\n";
    printResult(options, {{"applicationId", applicationId}, {"devices", devices}}, text.str());
    return 0;
}

}  // namespace movra::cli
