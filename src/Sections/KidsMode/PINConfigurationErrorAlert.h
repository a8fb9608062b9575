// The alert shown when the kids-mode configuration could not be read or written.
//
// Thread contract: main queue.
#pragma once

#include "Foundation/Error.h"
#include "Platform/AlertController.h"

#include <functional>
#include <memory>

namespace movra {

/// "Error" with the error's description (a generic text when it has none) and "OK", which runs
/// `completion`.
std::shared_ptr<AlertController> alertControllerWithPINConfigurationError(const ErrorPtr& error,
                                                                          std::function<void()> completion);

}  // namespace movra
