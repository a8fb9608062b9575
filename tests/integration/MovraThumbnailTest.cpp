// `movra thumbnail`, run as a child process against the emulator: the picture written is the one the emulator
// publishes for the whole second below the time asked, the title's streaming session is opened and closed,
// and a title that cannot be played writes nothing.
#include "EmulatorTest.h"
#include "Foundation/Strings.h"
#include "Platform/StbImageCodec.h"
#include "support/ChildProcess.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace movra::backend {
namespace {

constexpr const char* kFilm = "film-frost-line";

class MovraThumbnailTest : public EmulatorTest {
  protected:
    void SetUp() override {
        BackendServer::Options options;
        options.mediaDir = MOVRA_TEST_MEDIA_DIR;
        start(options);
        auto login = movra({"login", kAnna, "--password-stdin"}, std::string(kAnnasPassword) + "\n");
        ASSERT_EQ(login.exitCode, 0) << login.err;
    }
    test::ChildProcess::Outcome movra(const std::vector<std::string>& arguments, std::string input = {}) const {
        std::vector<std::string> argv = {MOVRA_CLI,           "--data-dir", home_.path(),     "--discriminator-host",
                                         server_->baseHost(), "--ca-file",  server_->caFile()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        auto outcome = test::ChildProcess({argv, {}, {"XDG_DATA_HOME"}, std::move(input)}).finish(60);
        EXPECT_FALSE(outcome.timedOut);
        return outcome;
    }
    std::size_t sessionRequests(const std::string& method) const {
        std::size_t count = 0;
        for (const auto& entry : server_->requestLog().entries())
            if (entry.method == method && startsWith(entry.path, std::string("/stoffice/session/") + kFilm)) ++count;
        return count;
    }

    test::TemporaryDirectory home_;
};

TEST_F(MovraThumbnailTest, WritesThePictureOfTheWholeSecondAndClosesTheSession) {
    const auto file = home_.file("f.png");
    auto outcome = movra({"--json", "thumbnail", kFilm, "12.7", "--out", file});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.out << outcome.err;
    const auto result = Json::parse(outcome.out);
    const std::string url = result["url"];
    EXPECT_TRUE(endsWith(url, "_1.00012.jpg")) << url;
    EXPECT_EQ(sessionRequests("GET"), 1u);
    EXPECT_EQ(sessionRequests("DELETE"), 1u);

    std::ifstream in(file, std::ios::binary);
    std::stringstream png;
    png << in.rdbuf();
    StbImageCodec codec;
    auto written = codec.decode(png.str());
    ASSERT_TRUE(written);
    httplib::SSLClient direct("127.0.0.1", server_->port());
    direct.set_ca_cert_path(server_->caFile().c_str());
    auto served = direct.Get(url.substr(url.find("/media/")).c_str());
    ASSERT_TRUE(served);
    EXPECT_EQ(written->rgba, codec.decode(served->body)->rgba);
}

TEST_F(MovraThumbnailTest, FailuresWriteNothing) {
    const auto file = home_.file("none.png");
    EXPECT_EQ(movra({"thumbnail", kFilm, "-3", "--out", file}).exitCode, 2);
    EXPECT_EQ(movra({"thumbnail", "no-such-title", "3", "--out", file}).exitCode, 1);
    // Past the end there is no picture; the session is closed all the same.
    auto pastTheEnd = movra({"thumbnail", kFilm, "100000", "--out", file});
    EXPECT_EQ(pastTheEnd.exitCode, 1);
    EXPECT_NE(pastTheEnd.err.find("No picture at"), std::string::npos) << pastTheEnd.err;
    EXPECT_EQ(sessionRequests("GET"), sessionRequests("DELETE"));
    EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace movra::backend
