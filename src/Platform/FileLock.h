// FileLock: an exclusive flock() on a lock file, held for the object's lifetime. It serialises
// read-modify-write cycles of several processes on the same files (flock locks belong to the open file,
// so two FileLocks in one process exclude each other too).
#pragma once

#include "Foundation/Error.h"

#include <string>

namespace movra {

class FileLock {
  public:
    /// Creates `path` (mode 0600) when missing and waits for the lock.
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    /// Set when the lock could not be taken; the caller must not go on.
    const ErrorPtr& error() const { return error_; }

  private:
    int fd_ = -1;
    ErrorPtr error_;
};

}  // namespace movra
