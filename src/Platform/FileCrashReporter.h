// FileCrashReporter: crash reports as files in a folder of the data directory. start() installs handlers
// for SIGSEGV, SIGABRT, SIGBUS, SIGFPE and SIGILL that write "crash-<UTC time>-<pid>.txt" (signal, time,
// backtrace) and then let the signal kill the process as it would have; non-fatal reports are appended
// to "nonfatal.jsonl", one JSON object per line: {"time", "name", "reason", "metadata"}.
//
// Thread contract: every member may be called from any thread. The signal handlers are process-wide; the
// last reporter started owns them, and they stay installed after the reporter is gone.
#pragma once

#include "Platform/CrashReporter.h"

#include <mutex>

namespace movra {

class FileCrashReporter final : public CrashReporter {
  public:
    /// Keeps its reports in `directory`, created when first needed.
    explicit FileCrashReporter(std::string directory);

    /// Installs the crash handlers. Reports stay on this machine, so `apiKey` is only logged.
    void start(const std::string& apiKey) override;
    void notifyNonFatal(const std::string& name, const std::string& reason, const Json& metadata) override;

  private:
    std::string directory_;
    std::mutex mutex_;
};

}  // namespace movra
