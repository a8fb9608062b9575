// AtomicFile: whole-file reads and crash-safe whole-file replacement for the small files the platform
// keeps in the data directory (keychain, defaults). A replacement goes to a temporary file in the same
// folder, is flushed to disk and renamed over the old file, so a crash leaves the old or the new
// contents, never a mix.
//
// Thread contract: the functions keep no state; callers serialise writes to the same path.
#pragma once

#include "Foundation/Error.h"

#include <optional>
#include <string>
#include <string_view>

namespace movra {

/// Failed system calls, with errno as the code.
inline constexpr const char* kPOSIXErrorDomain = "NSPOSIXErrorDomain";

class AtomicFile {
  public:
    struct ReadResult {
        /// The contents; nullopt when the file (or its folder) does not exist or could not be read.
        std::optional<std::string> contents;
        /// Set when the file exists but could not be read.
        ErrorPtr error;
    };

    /// Reads the whole file at `path`.
    static ReadResult read(const std::string& path);
    /// Replaces the file at `path` with `contents` (mode 0600): temporary file, fsync, rename, fsync of
    /// the folder. The folder must exist.
    static ErrorPtr write(const std::string& path, std::string_view contents);
    /// Creates `path` (and missing parents) with mode 0700, or tightens an existing folder of the user's
    /// to 0700 (an earlier run or another program may have left it open to others). A folder of another
    /// user's, or a sticky shared one, is an error and left as it is.
    static ErrorPtr makePrivateDirectory(const std::string& path);
    /// Moves a damaged file to "<path>.corrupt", kept for inspection, and logs `why` as an error; the caller
    /// starts over without it. `what` names the file in the log ("Defaults file").
    static void setAside(const std::string& path, const std::string& what, const std::string& why);
    /// A kPOSIXErrorDomain error "Cannot <what> <path>: <strerror>".
    static ErrorPtr systemError(const std::string& what, const std::string& path, int errorNumber);

  private:
    static ErrorPtr tightenDirectory(const std::string& path);
};

}  // namespace movra
