// MVLoadingState: where a screen's content stands; the values are the ones stored and reported.
#pragma once

namespace movra {

enum class MVLoadingState : int {
    None = 0,
    Refreshing = 1,
    Paging = 2,
    Loading = 3,
    Failed = 4,
    Loaded = 5,
    Cancelled = 6,
};

/// "Loaded", "Failed", … as a person reads it.
const char* loadingStateName(MVLoadingState state);

}  // namespace movra
