#include "Model/MVSharedSearchCache.h"

namespace movra {

void MVSharedSearchCache::setup() {
    lastSearchString_.clear();
    itemGuids_.clear();
    suggestedItemGuids_.clear();
}

}  // namespace movra
