// The crash handler's hand-made calendar dates.
#include "Platform/SignalSafeWriter.h"

#include <gtest/gtest.h>

#include <ctime>

namespace movra {
namespace {

std::string utc(std::time_t time, bool compact) {
    char buffer[32];
    SignalSafeWriter writer(buffer, sizeof buffer);
    writer.utc(time, compact);
    return writer.data();
}

TEST(SignalSafeWriter, UtcMatchesTheCLibraryAcrossCenturiesAndLeapDays) {
    EXPECT_EQ(utc(0, false), "1970-01-01T00:00:00Z");
    EXPECT_EQ(utc(-1, false), "1969-12-31T23:59:59Z");
    EXPECT_EQ(utc(951782400, false), "2000-02-29T00:00:00Z");
    EXPECT_EQ(utc(1709251199, true), "20240229T235959Z");
    // Every 7 days and 13 seconds from 1901 to 2200, against gmtime_r.
    for (long long t = -2'147'483'648LL; t < 7'258'118'400LL; t += 7 * 3600 * 24 + 13) {
        std::time_t time = static_cast<std::time_t>(t);
        std::tm tm{};
        ASSERT_TRUE(gmtime_r(&time, &tm));
        char expected[32];
        std::strftime(expected, sizeof expected, "%Y-%m-%dT%H:%M:%SZ", &tm);
        ASSERT_EQ(utc(time, false), expected) << t;
    }
}

}  // namespace
}  // namespace movra
