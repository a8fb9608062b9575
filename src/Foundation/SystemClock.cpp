#include "Foundation/SystemClock.h"

namespace movra {

double SystemClock::monotonicSeconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::chrono::system_clock::time_point SystemClock::now() const { return std::chrono::system_clock::now(); }

}  // namespace movra
