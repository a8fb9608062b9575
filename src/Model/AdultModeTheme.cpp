#include "Model/AdultModeTheme.h"

#include "Platform/Platform.h"

namespace movra {

std::shared_ptr<const AdultModeTheme> AdultModeTheme::shared() {
    return Platform::current().sharedObject<AdultModeTheme>();
}

}  // namespace movra
