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
    /// Creates `path` (and missing parents) and gives it mode 0700 when this call created it.
    static ErrorPtr makePrivateDirectory(const std::string& path);
    /// Moves a damaged file to "<path>.corrupt", kept for inspection, and logs `why` as an error; the caller
    /// starts over without it. `what` names the file in the log ("Defaults file").
    static void setAside(const std::string& path, const std::string& what, const std::string& why);
    /// A kPOSIXErrorDomain error "Cannot <what> <path>: <strerror>".
    static ErrorPtr systemError(const std::string& what, const std::string& path, int errorNumber);
};

}  // namespace movra
