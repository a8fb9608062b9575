// settleBackgroundWork: runs network answers, store saves and their main-queue completions until none is
// left, so that no background work outlives the test world it reports to (a store save whose notice finds
// no platform aborts the test program). Call it once the screens have gone: a live query answers every save
// with a task of its own, and would keep it going.
#pragma once

#include "Model/MVCoreDataService.h"
#include "support/TestPlatform.h"

#include <atomic>
#include <memory>
#include <thread>

namespace movra::test {

inline void settleBackgroundWork(TestPlatform& env, MVCoreDataService& store) {
    for (bool busy = true; busy;) {
        env.globalQueue->drain();
        // A marker save: once its notice is on the main queue, every save queued before it has committed.
        auto marked = std::make_shared<std::atomic<bool>>(false);
        store.saveInBackground([](StoreContext&) -> ErrorPtr { return nullptr; },
                               [marked](ErrorPtr) { *marked = true; });
        std::size_t ran = 0;
        while (!*marked) {
            ran += env.main().runPending();
            std::this_thread::yield();
        }
        busy = ran > 1;  // more ran than the marker's notice
    }
}

}  // namespace movra::test
