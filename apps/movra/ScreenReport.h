// What a browsing screen holds, as `movra home`, `movra open` and `movra demo` print it: a list with its
// loading state, a shelves screen with its sections and each shelf's first titles (or why it failed), the
// landing page's personal shelves, a title page.
#pragma once

#include "Foundation/Json.h"
#include "Platform/ViewController.h"
#include "movra/ClientSession.h"

#include <string>

namespace movra::cli {

/// Shelves show this many of their titles.
inline constexpr std::size_t kTitlesPerShelf = 5;

/// Turns the main queue until the screen's first load is over, every shelf row (and the landing page's
/// personal shelves) has answered and, with `allPages`, paging has stopped. False when it timed out.
bool waitForScreen(const ViewControllerPtr& screen, bool allPages,
                   double timeoutSeconds = ClientSession::kAnswerTimeoutSeconds);
Json screenObject(const ViewControllerPtr& screen);
std::string screenText(const ViewControllerPtr& screen);

}  // namespace movra::cli
