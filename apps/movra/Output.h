// What the commands print: JSON objects for scripts (--json), lines of text for people.
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"
#include "movra/GlobalOptions.h"

#include <memory>
#include <string>
#include <vector>

namespace movra {
class MVAccount;
class MVChannel;
class MVItem;
}  // namespace movra

namespace movra::cli {

/// {"domain", "code", "description", "failureReason"}, or null without an error.
Json errorObject(const ErrorPtr& error);
/// Every field of the account record that is present.
Json accountObject(const MVAccount& account);
/// Every attribute of the item, sub-record data as JSON rather than text.
Json itemObject(const MVItem& item);
/// The channel's attributes and its items, in the order given.
Json channelObject(const MVChannel& channel, const std::vector<std::shared_ptr<MVItem>>& items);
/// The channel's title line and one line per item, for people.
std::string channelText(const MVChannel& channel, const std::vector<std::shared_ptr<MVItem>>& items);
/// One line for people: number, state, name and country.
std::string accountText(const MVAccount& account);
/// What a command says when the service no longer accepts the stored sign-in.
inline constexpr const char* kSignInNoLongerValid = "The sign-in is no longer valid: use movra login USER";
/// Prints `json` with --json, else `text` (a final newline is added when missing).
void printResult(const GlobalOptions& options, const Json& json, const std::string& text);
/// Prints a failure: {"error": ..., "message": ...} with --json on stdout, else the message on stderr;
/// nothing once a signal interrupted the program.
void printFailure(const GlobalOptions& options, const std::string& message, const ErrorPtr& error = nullptr);

}  // namespace movra::cli
