// MVImageDownloadHelper: one download at a time, what each outcome posts, and cancellation.
#include "Utilities/MVImageDownloadHelper.h"
#include "support/TestImages.h"

namespace movra {
namespace {

using test::ScriptedReply;

ImageRequest imageRequest(const std::string& name) { return ImageRequest{*Url::parse("https://img.test/" + name)}; }

class MVImageDownloadHelperTest : public test::ImageTest {
  protected:
    MVImageDownloadHelperTest() {
        env.network->setScript([this](const HttpRequest& request) {
            postedAtRequest.push_back(posted.size());
            const auto name = request.url.substr(request.url.rfind('/') + 1);
            if (name == "red.jpg")
                return test::pngReply(*test::paintedImage(2, 2, [](int, int) { return test::kRed; }));
            if (name == "garbage.jpg") return test::reply(200, "image/png", "garbage");
            return ScriptedReply{404, {{"Content-Type", "text/html"}}, "", nullptr, /*hold=*/name == "slow.jpg"};
        });
        auto& center = env.platform().notificationCenter();
        observer = ScopedObserver(center, center.addObserver(kCarouselImageDownloadedNotification,
                                                             [this](const Notification& n) { posted.push_back(n); }));
    }

    std::shared_ptr<MVImageDownloadHelper> helper = std::make_shared<MVImageDownloadHelper>();
    std::vector<Notification> posted;
    /// How many notifications had been posted when each request went out.
    std::vector<std::size_t> postedAtRequest;
    ScopedObserver observer;
    int first = 1, second = 2;
};

TEST_F(MVImageDownloadHelperTest, OneDownloadAtATimeEachAnnouncedWithItsObject) {
    cache->cacheImage(test::paintedImage(2, 2), imageRequest("cached.jpg"));
    for (const char* name : {"red.jpg", "cached.jpg", "garbage.jpg", "missing.jpg"})
        helper->requestImage(imageRequest(name), &first);
    helper->requestImage(imageRequest("missing.jpg"), &second);
    EXPECT_EQ(env.network->requests().size(), 1u);
    ASSERT_TRUE(env.runUntil([&] { return helper->operationCount() == 0; }));
    // Each request went out after the one before had been announced; the cached picture and the answer that is
    // no picture announce nothing.
    EXPECT_EQ(postedAtRequest, (std::vector<std::size_t>{0, 1, 1, 2}));
    ASSERT_EQ(posted.size(), 3u);

    EXPECT_EQ(posted[0].sender, &first);
    EXPECT_EQ(posted[0].userInfo, (Json{{"url", "https://img.test/red.jpg"}}));
    auto image = posted[0].object<ImagePtr>("image");
    ASSERT_TRUE(image);
    EXPECT_EQ(cached("https://img.test/red.jpg"), *image);
    for (auto [index, object] : {std::pair{1, &first}, {2, &second}}) {
        EXPECT_EQ(posted[index].sender, object);
        auto error = posted[index].object<ErrorPtr>("error");
        ASSERT_TRUE(error);
        EXPECT_TRUE((*error)->is(kFailedToDownloadErrorDomain, 0));
    }
}

TEST_F(MVImageDownloadHelperTest, CancellingDropsTheQueueAndOnlyTheRunningDownloadReportsItsFailure) {
    helper->requestImage(imageRequest("slow.jpg"), &first);
    helper->requestImage(imageRequest("red.jpg"), &second);
    helper->cancelAllOperations();
    settle();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].sender, &first);
    EXPECT_TRUE(posted[0].object<ErrorPtr>("error"));
    EXPECT_EQ(env.network->requests().size(), 1u);

    // A helper that goes away cancels its download and reports nothing more.
    helper->requestImage(imageRequest("slow.jpg"), &second);
    auto running = env.platform().sharedTransport().tasks();
    helper.reset();
    settle();
    ASSERT_EQ(running.size(), 1u);
    EXPECT_EQ(running[0]->state(), HttpTask::State::Completed);
    EXPECT_EQ(posted.size(), 1u);
}

}  // namespace
}  // namespace movra
