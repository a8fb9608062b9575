#include "Root/MVLoadingState.h"

namespace movra {

const char* loadingStateName(MVLoadingState state) {
    switch (state) {
        case MVLoadingState::None:
            return "None";
        case MVLoadingState::Refreshing:
            return "Refreshing";
        case MVLoadingState::Paging:
            return "Paging";
        case MVLoadingState::Loading:
            return "Loading";
        case MVLoadingState::Failed:
            return "Failed";
        case MVLoadingState::Loaded:
            return "Loaded";
        case MVLoadingState::Cancelled:
            return "Cancelled";
    }
    return "None";
}

}  // namespace movra
