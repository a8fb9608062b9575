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
        std::vector<std::string> argv;  // argv[0] is the program's path
        /// NAME=VALUE entries added to this process's environment.
        std::vector<std::string> environment;
        std::vector<std::string> unset;  // variables of this process the child does not get
        std::string input;
    };
    struct Outcome {
        int exitCode = -1;  // -1 when a signal ended the child
        int signal = 0;
        bool timedOut = false;  // then it was killed
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
    bool running();
    void sendSignal(int signal) const;
    /// What the child wrote to standard output so far.
    std::string output() const;
    /// Waits for the child to end and returns its output; after `timeoutSeconds` it is killed and timedOut is set.
    Outcome finish(double timeoutSeconds);

  private:
    pid_t pid_ = -1;
    int fds_[3] = {-1, -1, -1};  // standard input, output and error
    bool reaped_ = false;
    int status_ = 0;
};

}  // namespace movra::test
