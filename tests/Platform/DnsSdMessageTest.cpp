#include "Platform/DnsSdMessage.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

const CastDevice kLivingRoom{.deviceID = "d6ec1406",
                             .friendlyName = "Living Room \"TV\"",
                             .modelName = "Movra Cast Emulator",
                             .ipAddress = "127.0.0.1",
                             .servicePort = 8009};

std::string answerFor(std::vector<CastDevice> devices) {
    return DnsSdMessage::makeResponse(DnsSdMessage::makeQuery(7), devices);
}

TEST(DnsSdMessageTest, AnswersDescribeEachReceiverCompletely) {
    CastDevice kitchen = kLivingRoom;
    kitchen.deviceID = "0a1b";
    kitchen.friendlyName = "Kitchen";
    kitchen.ipAddress = "127.0.0.2";
    kitchen.servicePort = 8010;
    std::string error;
    auto devices = DnsSdMessage::parseResponse(answerFor({kLivingRoom, kitchen}), &error);
    ASSERT_TRUE(devices) << error;
    ASSERT_EQ(devices->size(), 2u);
    EXPECT_EQ((*devices)[0].deviceID, "d6ec1406");
    EXPECT_EQ((*devices)[0].friendlyName, "Living Room \"TV\"");
    EXPECT_EQ((*devices)[0].modelName, "Movra Cast Emulator");
    EXPECT_EQ((*devices)[1].address(), "127.0.0.2:8010");

    // Records of other kinds are passed over; these two TSIG records are what made ldns_wire2pkt leak.
    std::string withTsig = answerFor({kLivingRoom});
    withTsig[11] = static_cast<char>(withTsig[11] + 2);  // the additional section's count
    const std::string tsig("\x00\x00\xfa\x00\xff\x00\x00\x00\x00\x00\x00", 11);
    devices = DnsSdMessage::parseResponse(withTsig + tsig + tsig, &error);
    ASSERT_TRUE(devices) << error;
    EXPECT_EQ(devices->size(), 1u);

    EXPECT_TRUE(DnsSdMessage::makeResponse("not a query", {kLivingRoom}).empty());
    EXPECT_TRUE(DnsSdMessage::makeResponse(answerFor({kLivingRoom}), {kLivingRoom}).empty()) << "an answer is no query";
}

TEST(DnsSdMessageTest, BadAnswersGiveAnErrorOrLeaveTheReceiverOut) {
    const std::string good = answerFor({kLivingRoom});
    // Header: one answer whose name points at itself.
    const std::string loop(
        "\x00\x00\x84\x00\x00\x00\x00\x01\x00\x00\x00\x00\xc0\x0c\x00\x0c\x00\x01\x00\x00\x00\x78"
        "\x00\x02\xc0\x0c",
        26);
    for (const auto& [what, packet] : std::vector<std::pair<std::string, std::string>>{
             {"truncated header", good.substr(0, 7)},
             {"truncated record", good.substr(0, good.size() - 3)},
             {"a name compression loop", loop},
             {"a query", DnsSdMessage::makeQuery(1)},
         }) {
        SCOPED_TRACE(what);
        std::string error;
        EXPECT_FALSE(DnsSdMessage::parseResponse(packet, &error));
        EXPECT_FALSE(error.empty());
    }

    CastDevice noPort = kLivingRoom;
    noPort.servicePort = 0;
    auto devices = DnsSdMessage::parseResponse(answerFor({noPort}), nullptr);
    ASSERT_TRUE(devices);
    EXPECT_TRUE(devices->empty()) << "a receiver on port 0 cannot be reached";
}

}  // namespace
}  // namespace movra
