// SystemClock: real time from the operating system.
#pragma once

#include "Foundation/Clock.h"

namespace movra {

class SystemClock final : public Clock {
  public:
    double monotonicSeconds() const override;
    std::chrono::system_clock::time_point now() const override;
};

}  // namespace movra
