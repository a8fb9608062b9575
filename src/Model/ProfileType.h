// The profiles the client runs in.
#pragma once

namespace movra {

enum ProfileType : int {
    ProfileTypeNone = 0,   // no profile chosen since sign-in
    ProfileTypeAdult = 1,  // adult profile
    ProfileTypeKids = 2,   // kids profile
};

}  // namespace movra
