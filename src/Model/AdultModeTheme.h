// AdultModeTheme: the look of the adult profile; also the theme of the start-up dialogs.
//
// Thread contract: immutable; shared() on the main queue.
#pragma once

#include "Model/ProfileTheme.h"

#include <memory>

namespace movra {

class AdultModeTheme final : public ProfileTheme {
  public:
    static std::shared_ptr<const AdultModeTheme> shared();
    std::string name() const override { return "Standard"; }
};

}  // namespace movra
