// ChildProcess: runs a program built beside the tests as a child process: argv and environment as given,
// standard input fed from a string, standard output and error captured, in a session of its own (no
// controlling terminal, so a program never waits on a prompt) and with default signal handling.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace movra::test {

class ChildProcess {
  public:
    struct Options {
        /// argv[0] is the program's path.
        std::vector<std::string> argv;
        /// NAME=VALUE entries added to this process's environment.
        std::vector<std::string> environment;
        /// Variables of this process's environment the child does not get.
        std::vector<std::string> unset;
        std::string input;
    };
    struct Outcome {
        /// The exit status, or -1 when a signal ended the child.
        int exitCode = -1;
        /// The signal that ended the child, or 0.
        int signal = 0;
        /// The child did not end in time and was killed.
        bool timedOut = false;
        std::string out;
        std::string err;
    };

    /// Starts the child; started() says whether that worked.
    explicit ChildProcess(const Options& options);
    /// Kills and reaps a child that is still running.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    /// Whether the child has not ended yet.
    bool running();
    void sendSignal(int signal) const;
    /// Collects the output until the child ends; after `timeoutSeconds` it is killed and timedOut is set.
    Outcome finish(double timeoutSeconds);

    /// Starts `options` and finishes it.
    static Outcome run(const Options& options, double timeoutSeconds);

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    bool reaped_ = false;
    int status_ = 0;
};

}  // namespace movra::test
