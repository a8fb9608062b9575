// Now Playing on a private D-Bus session bus, shown and driven by playerctl as a desktop shell would.
#include "Platform/MprisNowPlaying.h"
#include "support/ChildProcess.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace movra {
namespace {

class MprisNowPlayingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(bus_.started());
        for (int i = 0; i < 200 && address_.empty(); ++i) {
            const std::string out = bus_.output();
            if (auto end = out.find('\n'); end != std::string::npos) address_ = out.substr(0, end);
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        ASSERT_FALSE(address_.empty()) << "dbus-daemon gave no address";
        setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
    }
    void TearDown() override { unsetenv("DBUS_SESSION_BUS_ADDRESS"); }

    test::ChildProcess::Outcome playerctl(std::vector<std::string> arguments) const {
        std::vector<std::string> argv = {"/usr/bin/playerctl", "--player=movra"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        test::ChildProcess child({argv, {"DBUS_SESSION_BUS_ADDRESS=" + address_}, {}, {}});
        return child.finish(10);
    }

    test::TestPlatform env{[] {
        test::TestPlatform::Options options;
        options.realClock = true;
        return options;
    }()};
    test::ChildProcess bus_{
        {{"/usr/bin/dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"}, {}, {}, {}}};
    std::string address_;
};

TEST_F(MprisNowPlayingTest, PlayerctlSeesTheTitleAndItsCommandsReachTheMainQueue) {
    MprisNowPlaying player;
    ASSERT_TRUE(player.attach(env.platform().mainQueue().handle()));
    std::vector<std::pair<RemoteCommand, double>> commands;
    player.setCommandHandler([&](RemoteCommand command, double position) { commands.emplace_back(command, position); });

    EXPECT_EQ(playerctl({"status"}).out, "Stopped\n");
    player.setNowPlayingInfo(NowPlayingInfo{"Frost Line", "film-frost-line", std::nullopt, 40, 3, 0});
    EXPECT_EQ(playerctl({"metadata", "xesam:title"}).out, "Frost Line\n");
    EXPECT_EQ(playerctl({"status"}).out, "Paused\n");
    EXPECT_EQ(playerctl({"metadata", "mpris:length"}).out, "40000000\n");
    player.setNowPlayingInfo(NowPlayingInfo{"Frost Line", "film-frost-line", std::nullopt, 40, 3, 1});
    EXPECT_EQ(playerctl({"status"}).out, "Playing\n");

    struct Case {
        std::vector<std::string> arguments;
        RemoteCommand command;
        double position;
    };
    for (const auto& c : std::vector<Case>{{{"pause"}, RemoteCommand::Pause, 0},
                                           {{"play"}, RemoteCommand::Play, 0},
                                           {{"play-pause"}, RemoteCommand::TogglePlayPause, 0},
                                           {{"position", "12"}, RemoteCommand::ChangePlaybackPosition, 12}}) {
        SCOPED_TRACE(c.arguments.front());
        commands.clear();
        auto outcome = playerctl(c.arguments);
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        ASSERT_TRUE(env.runUntil([&] { return !commands.empty(); }, 5));
        EXPECT_EQ(commands.front().first, c.command);
        EXPECT_NEAR(commands.front().second, c.position, 0.01);
    }

    // Without a handler the commands go nowhere, and nothing is left pending.
    player.setCommandHandler(nullptr);
    commands.clear();
    EXPECT_EQ(playerctl({"pause"}).exitCode, 0);
    env.runUntil([] { return false; }, 0.3);
    EXPECT_TRUE(commands.empty());
}

TEST_F(MprisNowPlayingTest, WithoutASessionBusNothingIsShown) {
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    MprisNowPlaying player;
    EXPECT_FALSE(player.attach(env.platform().mainQueue().handle()));
    EXPECT_FALSE(player.isOnBus());
    player.setNowPlayingInfo(NowPlayingInfo{"Frost Line", "film-frost-line", std::nullopt, 40, 0, 0});
}

}  // namespace
}  // namespace movra
