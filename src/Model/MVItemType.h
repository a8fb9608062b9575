// MVItemType: what a catalogue item is, from the feed's "stravo:itemType" text.
#pragma once

#include <cstdint>

namespace movra {

enum MVItemType : std::int32_t {
    MVItemTypeUnknown = 0,    // missing or unrecognised
    MVItemTypeFolder = 1,     // "folder" or "category"
    MVItemTypeLeaf = 2,       // "leaf"
    MVItemTypeMedia = 3,      // "media": a playable title
    MVItemTypeSearch = 4,     // "search"
    MVItemTypeSettings = 5,   // "settings"
    MVItemTypeIdentity = 6,   // "identity"
    MVItemTypeSaved = 7,      // "saved": the watchlist
    MVItemTypeExternal = 8,   // "external"
    MVItemTypeBillboard = 9,  // "billboard"
};

}  // namespace movra
