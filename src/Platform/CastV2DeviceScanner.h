// CastV2DeviceScanner: finds cast receivers with DNS-SD over multicast DNS, or through one responder named
// by address (the deployment setting castDiscoveryAddress), plus the receivers the configuration lists by
// address (castDevices). For each receiver found it asks, over the cast protocol, whether the filter's
// application is available there. A receiver that goes unanswered for kOfflineAfterQueries queries in a row
// has gone offline.
//
// Thread contract: main queue, as CastDeviceScanner. A thread of its own reads the answers and posts them to
// the main queue; the query timer runs on the main queue's clock.
#pragma once

#include "Foundation/RunLoopHandle.h"
#include "Foundation/Timer.h"
#include "Platform/CastDeviceScanner.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace movra {

class CastSocket;

class CastV2DeviceScanner final : public CastDeviceScanner {
  public:
    struct Options {
        /// "HOST:PORT" of one DNS-SD responder; empty: the multicast DNS group.
        std::string discoveryAddress;
        /// Receivers by address ("HOST:PORT"), for networks where discovery is blocked.
        std::vector<std::string> devices;
    };
    static constexpr double kQueryInterval = 5;
    static constexpr int kOfflineAfterQueries = 3;
    /// Seconds an availability question may take.
    static constexpr double kAvailabilityTimeout = 5;

    CastV2DeviceScanner(FilterCriteria criteria, Options options);
    ~CastV2DeviceScanner() override;

    void addListener(CastDeviceScannerListener* listener) override;
    void removeListener(CastDeviceScannerListener* listener) override;
    void startScan() override;
    void stopScan() override;
    bool isScanning() const override { return scanning_; }
    std::vector<CastDevice> devices() const override;

    /// "HOST:PORT" split; nullopt when it is not of that form or the port is not 1 to 65535.
    static std::optional<std::pair<std::string, int>> parseAddress(const std::string& address);

  private:
    struct Known {
        CastDevice device;
        int lastSeenRound = 0;
        /// Listed (reported online) because it matches the filter.
        bool online = false;
        /// The availability question was answered (or failed).
        bool checked = false;
    };

    void query();
    void found(const std::vector<CastDevice>& devices);
    void checkAvailability(const std::string& deviceID);
    void availabilityAnswered(const std::string& deviceID, bool available);
    /// The reader thread: posts what each answer describes through `loop`.
    void receive(const RunLoopHandle& loop);

    FilterCriteria criteria_;
    Options options_;
    std::vector<CastDeviceScannerListener*> listeners_;
    bool scanning_ = false;
    int socket_ = -1;
    int wake_ = -1;
    std::thread reader_;
    TimerPtr timer_;
    int round_ = 0;
    std::uint16_t nextQueryId_ = 1;
    /// By device id, in the order found.
    std::vector<std::string> order_;
    std::map<std::string, Known> known_;
    std::map<std::string, std::unique_ptr<CastSocket>> checks_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace movra
