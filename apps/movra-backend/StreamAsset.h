// StreamAsset: one title's worth of the emulator's media: a test pattern of a fixed length, encrypted with
// one AES-128 content key that the key server hands out for the key id of its "skd://" key URIs.
#pragma once

#include <string>

namespace movra::backend {

struct StreamAsset {
    /// Names the asset's folder and, as "<id>_<height>", its video variants; holds no "_".
    std::string id;
    int durationSeconds = 0;
    /// What follows "skd://" in the asset's key URIs.
    std::string keyId;
    /// The 16 bytes of the AES-128 key.
    std::string key;
};

}  // namespace movra::backend
