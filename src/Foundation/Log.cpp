#include "Foundation/Log.h"

#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/sinks/stdout_color_sinks.h>

#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace movra {

namespace {

spdlog::level::level_enum toSpd(LogLevel level) {
    switch (level) {
        case LogLevel::Error:
            return spdlog::level::err;
        case LogLevel::Warning:
            return spdlog::level::warn;
        case LogLevel::Info:
            return spdlog::level::info;
        case LogLevel::Debug:
            return spdlog::level::debug;
        case LogLevel::Verbose:
            return spdlog::level::trace;
    }
    return spdlog::level::info;
}

std::mutex gLoggerMutex;
std::shared_ptr<spdlog::sinks::sink> gConsole;
std::shared_ptr<spdlog::logger> gLogger;

std::shared_ptr<spdlog::logger> makeDefault() {
    gConsole = std::make_shared<spdlog::sinks::stderr_color_sink_mt>();
    gConsole->set_level(spdlog::level::warn);
    auto logger = std::make_shared<spdlog::logger>("movra", gConsole);
    logger->set_level(spdlog::level::trace);
    logger->set_pattern("%Y-%m-%d %H:%M:%S.%e [%l] %v");
    return logger;
}

}  // namespace

std::shared_ptr<spdlog::logger> Log::logger() {
    std::lock_guard lock(gLoggerMutex);
    if (!gLogger) gLogger = makeDefault();
    return gLogger;
}

void Log::setup(const std::string& logFile, LogLevel consoleLevel) {
    std::lock_guard lock(gLoggerMutex);
    auto logger = makeDefault();
    gConsole->set_level(toSpd(consoleLevel));
    if (!logFile.empty()) {
        try {
            spdlog::file_event_handlers handlers;
            // The log names titles and accounts: it is the user's alone, even when an earlier run left it
            // readable to others. Made here with its mode, so it is never open to others for a moment.
            handlers.before_open = [](const spdlog::filename_t& name) {
                int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, S_IRUSR | S_IWUSR);
                if (fd < 0) return;  // the sink's own open reports the failure
                ::fchmod(fd, S_IRUSR | S_IWUSR);
                ::close(fd);
            };
            auto file = std::make_shared<spdlog::sinks::basic_file_sink_mt>(logFile, /*truncate=*/false, handlers);
            file->set_level(spdlog::level::debug);
            logger->sinks().push_back(file);
        } catch (const spdlog::spdlog_ex& e) {
            logger->warn("Cannot open log file {}: {}", logFile, e.what());
        }
    }
    logger->set_pattern("%Y-%m-%d %H:%M:%S.%e [%l] %v");
    logger->flush_on(spdlog::level::warn);
    gLogger = logger;
}

void Log::setConsoleLevel(LogLevel level) {
    logger();
    std::lock_guard lock(gLoggerMutex);
    gConsole->set_level(toSpd(level));
}

}  // namespace movra
