// Runs a helper program with posix_spawn and waits for it.
#include "movra-backend/ExternalProgram.h"

#include "Platform/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace movra::backend {

namespace {

// The last lines of the log, for an error answer a person can act on.
std::string tailOf(const std::string& logFile) {
    std::string text = AtomicFile::read(logFile).contents.value_or("");
    constexpr std::size_t kTail = 600;
    if (text.size() > kTail) text = "..." + text.substr(text.size() - kTail);
    return text;
}

}  // namespace

std::optional<std::string> ExternalProgram::run(const std::vector<std::string>& arguments, const std::string& logFile) {
    if (arguments.empty()) return "no program to run";
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    const std::string& program = arguments.front();
    if (spawned == ENOENT) return program + " is not installed (not found in PATH)";
    if (spawned != 0) return "cannot start " + program + ": " + std::strerror(spawned);

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return "cannot wait for " + program + ": " + std::strerror(errno);
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return std::nullopt;
    // posix_spawnp reports a missing program as exit status 127 where the C library execs in the child.
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return program + " is not installed (not found in PATH)";
    std::string what = WIFEXITED(status) ? "exited with status " + std::to_string(WEXITSTATUS(status))
                                         : "was killed by signal " + std::to_string(WTERMSIG(status));
    return program + " " + what + ": " + tailOf(logFile);
}

}  // namespace movra::backend
