// KidsModeTheme: the look of the kids profile.
//
// Thread contract: immutable; shared() on the main queue.
#pragma once

#include "Model/ProfileTheme.h"

#include <memory>

namespace movra {

class KidsModeTheme final : public ProfileTheme {
  public:
    static std::shared_ptr<const KidsModeTheme> shared();
    std::string name() const override { return "Family"; }
};

}  // namespace movra
