// Logging facade with the client's five levels. Console output goes to stderr (stdout belongs to the
// program's own output); setup() adds a log file in the data directory, readable by the user alone (0600).
//
// Thread contract: every function may be called from any thread.
#pragma once

#include <spdlog/spdlog.h>

#include <memory>
#include <string>

namespace movra {

enum class LogLevel { Error, Warning, Info, Debug, Verbose };

class Log {
  public:
    /// Console logger at `consoleLevel`, plus `logFile` (when not empty) at debug level.
    static void setup(const std::string& logFile, LogLevel consoleLevel);
    static void setConsoleLevel(LogLevel level);
    static std::shared_ptr<spdlog::logger> logger();

    template <class... Args>
    static void error(spdlog::format_string_t<Args...> fmt, Args&&... args) {
        logger()->error(fmt, std::forward<Args>(args)...);
    }
    template <class... Args>
    static void warning(spdlog::format_string_t<Args...> fmt, Args&&... args) {
        logger()->warn(fmt, std::forward<Args>(args)...);
    }
    template <class... Args>
    static void info(spdlog::format_string_t<Args...> fmt, Args&&... args) {
        logger()->info(fmt, std::forward<Args>(args)...);
    }
    template <class... Args>
    static void debug(spdlog::format_string_t<Args...> fmt, Args&&... args) {
        logger()->debug(fmt, std::forward<Args>(args)...);
    }
    template <class... Args>
    static void verbose(spdlog::format_string_t<Args...> fmt, Args&&... args) {
        logger()->trace(fmt, std::forward<Args>(args)...);
    }
};

}  // namespace movra
