#include "support/ChildProcess.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace movra::test {

namespace {

std::string variableName(const std::string& entry) { return entry.substr(0, entry.find('=')); }

std::vector<std::string> childEnvironment(const ChildProcess::Options& options) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry; ++entry) {
        const auto named = [name = variableName(*entry)](const std::string& other) {
            return variableName(other) == name;
        };
        if (std::ranges::none_of(options.unset, named) && std::ranges::none_of(options.environment, named))
            result.emplace_back(*entry);
    }
    result.insert(result.end(), options.environment.begin(), options.environment.end());
    return result;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (auto& string : strings) result.push_back(string.data());
    result.push_back(nullptr);
    return result;
}

std::string contents(int fd) {
    std::string result;
    char buffer[4096];
    for (ssize_t n; (n = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(result.size()))) > 0;)
        result.append(buffer, static_cast<std::size_t>(n));
    return result;
}

}  // namespace

ChildProcess::ChildProcess(const Options& options) {
    // Files in memory rather than pipes: nothing to feed or drain while the child runs, and no SIGPIPE.
    for (int& fd : fds_) fd = ::memfd_create("child", MFD_CLOEXEC);
    const std::string& input = options.input;
    if (std::ranges::count(fds_, -1) > 0 ||
        ::pwrite(fds_[0], input.data(), input.size(), 0) != static_cast<ssize_t>(input.size()))
        return;  // started() is false; the test fails on it
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int i = 0; i < 3; ++i) posix_spawn_file_actions_adddup2(&actions, fds_[i], i);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal : {SIGINT, SIGTERM, SIGPIPE, SIGHUP}) sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    auto arguments = options.argv;
    auto environment = childEnvironment(options);
    auto argv = pointers(arguments);
    auto envp = pointers(environment);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data()) == 0) pid_ = pid;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
}

ChildProcess::~ChildProcess() {
    if (started() && !reaped_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status_, 0);
    }
    for (int fd : fds_)
        if (fd >= 0) ::close(fd);
}

bool ChildProcess::running() {
    if (!started() || reaped_) return false;
    if (::waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
    return !reaped_;
}

void ChildProcess::sendSignal(int signal) const {
    if (started()) ::kill(pid_, signal);
}

std::string ChildProcess::output() const { return started() ? contents(fds_[1]) : std::string(); }

ChildProcess::Outcome ChildProcess::finish(double timeoutSeconds) {
    Outcome outcome;
    if (!started()) {
        outcome.err = "the child could not be started";
        return outcome;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    while (running()) {
        if (Clock::now() > deadline) {
            outcome.timedOut = true;
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status_, 0);
            reaped_ = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    outcome.out = contents(fds_[1]);
    outcome.err = contents(fds_[2]);
    if (WIFEXITED(status_)) outcome.exitCode = WEXITSTATUS(status_);
    if (WIFSIGNALED(status_)) outcome.signal = WTERMSIG(status_);
    return outcome;
}

}  // namespace movra::test
