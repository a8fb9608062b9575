// ProfileTheme: the look of a profile (the adult and the kids profile each have one shared theme), which
// screens apply to their views.
//
// Thread contract: immutable; any thread.
#pragma once

#include <string>

namespace movra {

class ProfileTheme {
  public:
    virtual ~ProfileTheme() = default;
    /// What the theme is called where a person sees it described.
    virtual std::string name() const = 0;
};

}  // namespace movra
