// SecretInput: how a secret (the password, the kids-mode PIN) reaches a command without ever being an
// argument, which every user of the machine could read in the process list: standard input when asked
// for, else an environment variable, else a prompt that does not echo on the terminal.
#pragma once

#include <optional>
#include <string>

namespace movra::cli {

struct SecretInput {
    /// What the secret is called in messages ("password").
    const char* name;
    /// The option that reads it from standard input ("--password-stdin").
    const char* stdinOption;
    const char* environmentVariable;

    /// The secret from the first source that gives one, or nullopt with `problem` set.
    std::optional<std::string> read(bool fromStdin, const std::string& prompt, std::string& problem) const;
};

}  // namespace movra::cli
