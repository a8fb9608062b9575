#include "Model/KidsModeTheme.h"

#include "Platform/Platform.h"

namespace movra {

std::shared_ptr<const KidsModeTheme> KidsModeTheme::shared() {
    return Platform::current().sharedObject<KidsModeTheme>();
}

}  // namespace movra
