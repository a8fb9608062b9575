// DownloadOperationQueue used from several threads while answers arrive on others: every operation is
// answered once, never more than the maximum run at once, and cancelling amid additions leaves nothing behind.
#include "Utilities/DownloadOperationQueue.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace movra {
namespace {

TEST(DownloadOperationQueueConcurrencyTest, AnsweredOnceWithinTheBoundAndCancelledCleanly) {
    test::TestPlatform env;
    std::atomic<int> running{0}, most{0}, answered{0};
    env.network->setScript([&](const HttpRequest&) {
        const int now = ++running;
        int seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) {
        }
        return test::reply(200, "text/plain", "x");
    });
    auto queue = std::make_shared<DownloadOperationQueue>(4);
    const auto add = [&](int count) {
        for (int i = 0; i < count; ++i) {
            HttpRequest request;
            request.url = "https://cdn.test/" + std::to_string(i);
            queue->addOperation(request, [&](std::shared_ptr<const HttpResponse>, std::string, ErrorPtr) {
                --running;
                ++answered;
            });
        }
    };
    std::thread first(add, 100), second(add, 100);
    first.join();
    second.join();
    for (int i = 0; i < 1000 && queue->operationCount() > 0; ++i) env.globalQueue->drain();
    EXPECT_EQ(queue->operationCount(), 0u);
    EXPECT_EQ(answered.load(), 200);
    EXPECT_LE(most.load(), 4);

    std::thread adding(add, 200);
    std::thread cancelling([&] {
        for (int i = 0; i < 20; ++i) queue->cancelAllOperations();
    });
    adding.join();
    cancelling.join();
    queue->cancelAllOperations();
    env.globalQueue->drain();
    EXPECT_EQ(queue->operationCount(), 0u);
    EXPECT_LE(answered.load(), 400);
}

}  // namespace
}  // namespace movra
