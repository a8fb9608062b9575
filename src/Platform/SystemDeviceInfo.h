// SystemDeviceInfo: the device as configured (idiom, model, name) and as the operating system reports it
// (name and release). Everything is read once, at construction.
//
// Thread contract: immutable; every member may be called from any thread.
#pragma once

#include "Platform/Configuration.h"
#include "Platform/DeviceInfo.h"

namespace movra {

class SystemDeviceInfo final : public DeviceInfo {
  public:
    /// An empty configured device name falls back to the host name.
    explicit SystemDeviceInfo(const Configuration& configuration);

    UserInterfaceIdiom idiom() const override { return idiom_; }
    std::string localizedModel() const override { return model_; }
    std::string name() const override { return name_; }
    std::string systemName() const override { return systemName_; }
    std::string systemVersion() const override { return systemVersion_; }
    std::string appShortVersion() const override;
    std::string appBuildNumber() const override;

  private:
    UserInterfaceIdiom idiom_;
    std::string model_;
    std::string name_;
    std::string systemName_;
    std::string systemVersion_;
};

}  // namespace movra
