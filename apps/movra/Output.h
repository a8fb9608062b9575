// What the commands print: JSON objects for scripts (--json), lines of text for people.
#pragma once

#include <string>

#include "Foundation/Error.h"
#include "Foundation/Json.h"
#include "movra/GlobalOptions.h"

namespace movra {
class MVAccount;
}

namespace movra::cli {

/// {"domain", "code", "description", "failureReason"}, or null without an error.
Json errorObject(const ErrorPtr& error);
/// Every field of the account record that is present.
Json accountObject(const MVAccount& account);
/// One line for people: number, state, name and country.
std::string accountText(const MVAccount& account);
/// Prints `json` with --json, else `text` (a final newline is added when missing).
void printResult(const GlobalOptions& options, const Json& json, const std::string& text);
/// Prints a failure: {"error": ..., "message": ...} with --json on stdout, else the message on stderr.
void printFailure(const GlobalOptions& options, const std::string& message, const ErrorPtr& error = nullptr);

}  // namespace movra::cli
