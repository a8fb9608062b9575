// The emulator's usage-analytics collector, over real HTTPS: hits one a request and in batches, and the
// protocol's required parameters.
#include "EmulatorTest.h"

#include <gtest/gtest.h>
#include <httplib.h>

namespace movra::backend {
namespace {

constexpr const char* kForm = "application/x-www-form-urlencoded";

class AnalyticsCollectorTest : public EmulatorTest {
  protected:
    httplib::Result send(const char* path, const std::string& body) const { return client()->Post(path, body, kForm); }
};

TEST_F(AnalyticsCollectorTest, HitsAreDecodedAndKeptInArrivalOrderThoseWithoutTheRequiredParametersCounted) {
    const std::vector<std::string> rejected = {
        "v=2&tid=UA-1-1&cid=C1&t=event",
        "v=1&tid=UA-1-1&t=event",
        "v=1&tid=UA-1-1&cid=C1&t=screenView",
        "v=1&tid=&cid=C1&t=event",
    };
    auto single = send("/collect", "v=1&tid=UA-1-1&cid=C1&t=screenview&cd=Landing+Page&cd2=Tavik");
    ASSERT_TRUE(single);
    EXPECT_EQ(single->status, 200);
    std::string batch = "v=1&tid=UA-1-1&cid=C1&t=event&ec=SignIn&ea=SignIn_Success&sc=start&uid=100200301&ev=0\r\n";
    for (const std::string& hit : rejected) batch += hit + "\n";
    batch += "v=1&tid=UA-1-1&cid=C1&t=event&ec=Taps&ea=Home_Asset&el=Tom+%26+Jerry%3A+%C3%85r+1&qt=2500\n\n";
    auto batched = send("/batch", batch);
    ASSERT_TRUE(batched);
    EXPECT_EQ(batched->status, 200);

    const std::vector<Json> hits = server_->collector().hits();
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0].value("cd", ""), "Landing Page");
    EXPECT_EQ(hits[0].value("cd2", ""), "Tavik");
    EXPECT_EQ(hits[1].value("sc", ""), "start");
    EXPECT_EQ(hits[1].value("ev", ""), "0");
    EXPECT_EQ(hits[2].value("el", ""), "Tom & Jerry: År 1");
    EXPECT_EQ(hits[2].value("qt", ""), "2500");
    EXPECT_EQ(controlJson("/_emulator/hits"), (Json{{"hits", hits}, {"rejected", rejected.size()}}));

    ASSERT_EQ(client()->Delete("/_emulator/hits")->status, 204);
    EXPECT_TRUE(server_->collector().hits().empty());
}

}  // namespace
}  // namespace movra::backend
