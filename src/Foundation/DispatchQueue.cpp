#include "Foundation/DispatchQueue.h"

#include <future>

namespace movra {

void DispatchQueue::sync(Task task) {
    std::promise<void> done;
    async([&] {
        task();
        done.set_value();
    });
    done.get_future().wait();
}

}  // namespace movra
