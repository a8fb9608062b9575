// ExternalProgram: runs a helper program (ffmpeg) to completion, its output going to a log file.
//
// Thread contract: run() blocks the calling thread until the program ends; it keeps no state.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace movra::backend {

class ExternalProgram {
  public:
    /// Runs `arguments` (the first is the program, looked up in PATH unless it holds a "/") with its standard
    /// output and error appended to `logFile`. nullopt when it exited with status 0; otherwise what went
    /// wrong: the program is not installed, could not start, was killed or failed (with the end of its log).
    static std::optional<std::string> run(const std::vector<std::string>& arguments, const std::string& logFile);
};

}  // namespace movra::backend
