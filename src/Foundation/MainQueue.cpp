#include "Foundation/MainQueue.h"

#include "Foundation/RunLoop.h"

#include <cstdio>
#include <cstdlib>

namespace movra {

bool isOnMainQueue() {
    const RunLoop* main = RunLoop::main();
    return !main || main->isLoopThread();
}

void failMainQueueAssertion(const char* file, int line, const char* function) {
    // Straight to stderr: the logger may be what the wrong thread is racing with.
    std::fprintf(stderr, "%s:%d: %s: must run on the main queue, but runs on another thread\n", file, line, function);
    std::fflush(stderr);
    std::abort();
}

}  // namespace movra
