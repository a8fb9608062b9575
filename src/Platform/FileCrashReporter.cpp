#include "Platform/FileCrashReporter.h"

#include "Foundation/Log.h"
#include "Platform/AtomicFile.h"
#include "Platform/SignalSafeWriter.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

namespace movra {

namespace {

// Everything below that runs in the signal handler uses only async-signal-safe calls and fixed buffers.

constexpr int kCrashSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};

char gReportPrefix[PATH_MAX];  // "<directory>/crash-", set before the handlers are installed
std::atomic<bool> gCrashing{false};
// A stack overflow leaves no stack for the handler; on the thread that started reporting it runs on this one.
alignas(16) char gAlternateStack[64 * 1024];

const char* signalName(int signal) {
    switch (signal) {
        case SIGSEGV:
            return "SIGSEGV";
        case SIGABRT:
            return "SIGABRT";
        case SIGBUS:
            return "SIGBUS";
        case SIGFPE:
            return "SIGFPE";
        case SIGILL:
            return "SIGILL";
    }
    return "signal";
}

void writeCrashReport(int signal) {
    const std::time_t now = std::time(nullptr);
    char pathBuffer[PATH_MAX + 64];
    SignalSafeWriter path(pathBuffer, sizeof pathBuffer);
    path.text(gReportPrefix);
    path.utc(now, /*compact=*/true);
    path.text("-");
    path.number(static_cast<unsigned long long>(::getpid()));
    path.text(".txt");
    int fd = ::open(path.data(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return;

    char headerBuffer[256];
    SignalSafeWriter header(headerBuffer, sizeof headerBuffer);
    header.text("signal: ");
    header.text(signalName(signal));
    header.text(" (");
    header.number(static_cast<unsigned long long>(signal));
    header.text(")\ntime: ");
    header.utc(now, /*compact=*/false);
    header.text("\npid: ");
    header.number(static_cast<unsigned long long>(::getpid()));
    header.text("\nbacktrace:\n");
    if (::write(fd, header.data(), header.size()) >= 0) {
        void* frames[64];
        ::backtrace_symbols_fd(frames, ::backtrace(frames, 64), fd);
    }
    ::close(fd);
}

void handleCrash(int signal) {
    // Only the first crash writes a report; a fault inside the handler goes straight to the default action.
    if (!gCrashing.exchange(true)) writeCrashReport(signal);
    // SA_RESETHAND restored the default action; the signal is delivered again once the handler returns.
    ::raise(signal);
}

}  // namespace

FileCrashReporter::FileCrashReporter(std::string directory) : directory_(std::move(directory)) {}

void FileCrashReporter::start(const std::string& apiKey) {
    std::lock_guard lock(mutex_);
    if (auto e = AtomicFile::makePrivateDirectory(directory_)) {
        Log::error("Crash reports are off: {}", e->summary());
        return;
    }
    const auto prefix = directory_ + "/crash-";
    if (prefix.size() >= sizeof gReportPrefix) {
        Log::error("Crash reports are off: folder name too long: {}", directory_);
        return;
    }
    std::memcpy(gReportPrefix, prefix.c_str(), prefix.size() + 1);

    // The first backtrace() loads the unwinder, which allocates; do that now rather than in the handler.
    void* frame;
    ::backtrace(&frame, 1);

    stack_t stack{};
    stack.ss_sp = gAlternateStack;
    stack.ss_size = sizeof gAlternateStack;
    if (::sigaltstack(&stack, nullptr) != 0) Log::warning("No alternate signal stack: {}", std::strerror(errno));

    struct sigaction action {};
    action.sa_handler = handleCrash;
    action.sa_flags = SA_RESETHAND | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : kCrashSignals) ::sigaction(signal, &action, nullptr);
    Log::info("Crash reports go to {} (key {})", directory_, apiKey);
}

void FileCrashReporter::notifyNonFatal(const std::string& name, const std::string& reason, const Json& metadata) {
    char timeBuffer[32];
    SignalSafeWriter time(timeBuffer, sizeof timeBuffer);
    time.utc(std::time(nullptr), /*compact=*/false);
    Json line = Json::object();
    line["time"] = time.data();
    line["name"] = name;
    line["reason"] = reason;
    line["metadata"] = metadata;
    // One write() per line on an O_APPEND file: lines from several writers never interleave.
    const auto text = line.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";

    std::lock_guard lock(mutex_);
    const auto path = directory_ + "/nonfatal.jsonl";
    ErrorPtr error = AtomicFile::makePrivateDirectory(directory_);
    if (!error) {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0 || ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            error = AtomicFile::systemError("append to", path, errno);
        if (fd >= 0) ::close(fd);
    }
    if (error) Log::error("Cannot record non-fatal report \"{}\": {}", name, error->summary());
}

}  // namespace movra
