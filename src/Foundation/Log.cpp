#include "Foundation/Log.h"

#include <mutex>

#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/sinks/stdout_color_sinks.h>

namespace movra {

namespace {

spdlog::level::level_enum toSpd(LogLevel level) {
    switch (level) {
        case LogLevel::Error: return spdlog::level::err;
        case LogLevel::Warning: return spdlog::level::warn;
        case LogLevel::Info: return spdlog::level::info;
        case LogLevel::Debug: return spdlog::level::debug;
        case LogLevel::Verbose: return spdlog::level::trace;
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
            auto file = std::make_shared<spdlog::sinks::basic_file_sink_mt>(logFile);
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
