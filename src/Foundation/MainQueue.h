// MainQueue: the debug check that code meant for the main queue runs there. The main queue is the run
// loop registered with RunLoop::setMain(); with none registered (unit tests without a platform) every
// thread passes.
//
//     void MVPlayerViewController::play() {
//         MOVRA_ASSERT_MAIN_QUEUE();
//         ...
//
// Without NDEBUG a call off the main queue prints file, line and function to stderr and aborts; with
// NDEBUG the check compiles to nothing.
#pragma once

namespace movra {

/// Whether the caller runs on the main run loop's thread (true when no main run loop is registered).
bool isOnMainQueue();
/// Reports a call off the main queue and aborts (MOVRA_ASSERT_MAIN_QUEUE's failure path).
[[noreturn]] void failMainQueueAssertion(const char* file, int line, const char* function);

}  // namespace movra

#ifdef NDEBUG
#define MOVRA_ASSERT_MAIN_QUEUE() static_cast<void>(0)
#else
#define MOVRA_ASSERT_MAIN_QUEUE()                    \
    (::movra::isOnMainQueue() ? static_cast<void>(0) \
                              : ::movra::failMainQueueAssertion(__FILE__, __LINE__, __PRETTY_FUNCTION__))
#endif
