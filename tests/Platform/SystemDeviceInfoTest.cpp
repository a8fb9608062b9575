// The device description of a real process.
#include "Platform/SystemDeviceInfo.h"

#include <gtest/gtest.h>

#include <regex>
#include <sys/utsname.h>
#include <unistd.h>

namespace movra {
namespace {

TEST(SystemDeviceInfo, ConfiguredValuesWithSystemFallbacks) {
    Configuration configuration;
    configuration.deviceIdiom = "pad";
    configuration.deviceModel = "iPad";
    configuration.deviceName = "Living room";
    SystemDeviceInfo pad(configuration);
    EXPECT_EQ(pad.idiom(), UserInterfaceIdiom::Pad);
    EXPECT_EQ(pad.localizedModel(), "iPad");
    EXPECT_EQ(pad.name(), "Living room");

    configuration.deviceIdiom = "phone";
    configuration.deviceName.clear();
    SystemDeviceInfo phone(configuration);
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    EXPECT_EQ(phone.idiom(), UserInterfaceIdiom::Phone);
    EXPECT_EQ(phone.name(), host);

    struct utsname system {};
    ASSERT_EQ(::uname(&system), 0);
    EXPECT_EQ(phone.systemName(), system.sysname);
    EXPECT_EQ(phone.systemVersion(), system.release);
    EXPECT_TRUE(std::regex_match(phone.appShortVersion(), std::regex(R"(\d+\.\d+\.\d+)"))) << phone.appShortVersion();
    EXPECT_FALSE(phone.appBuildNumber().empty());
}

}  // namespace
}  // namespace movra
