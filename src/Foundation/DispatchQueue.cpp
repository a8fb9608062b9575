#include "Foundation/DispatchQueue.h"

#include <future>
#include <memory>

namespace movra {

void DispatchQueue::sync(Task task) {
    // A dropped task destroys the promise unfulfilled, which wakes the wait as well.
    auto done = std::make_shared<std::promise<void>>();
    auto finished = done->get_future();
    async([&task, done] {
        task();
        done->set_value();
    });
    done.reset();
    finished.wait();
}

}  // namespace movra
