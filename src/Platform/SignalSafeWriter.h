// SignalSafeWriter: builds text in a fixed buffer without allocating, locking or calling into the C
// library, so that a signal handler may use it. Text that does not fit is cut off; the buffer always
// holds a terminated string.
#pragma once

#include <cstddef>
#include <ctime>

namespace movra {

class SignalSafeWriter {
  public:
    /// Writes into `buffer` of `size` bytes (at least one).
    SignalSafeWriter(char* buffer, std::size_t size);

    void text(const char* s);
    /// Decimal digits, zero-padded to `width`.
    void number(unsigned long long value, int width = 1);
    /// UTC time as "2026-12-06T08:43:15Z", or "20261206T084315Z" when `compact`.
    void utc(std::time_t time, bool compact);

    const char* data() const { return begin_; }
    std::size_t size() const { return static_cast<std::size_t>(p_ - begin_); }

  private:
    char* begin_;
    char* p_;
    char* end_;
};

}  // namespace movra
