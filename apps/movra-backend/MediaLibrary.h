// MediaLibrary: the emulator's playable media, a few short assets (see MediaGenerator), generated with
// ffmpeg the first time something asks for them and reused by every later run: the finished set lives in
// "<directory>/v<kVersion>", which appears by a rename only once complete, with the assets' key ids and
// keys beside it in keys.json. A set of another version is left alone and a new one is made.
//
// Thread contract: every member may be called from any thread. ensure() generates at most once: callers
// in this process wait on a mutex, other processes on a lock file in the directory.
#pragma once

#include "movra-backend/StreamAsset.h"

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace movra::backend {

class MediaLibrary {
  public:
    /// Changes whenever the generated layout does, so that an old set is not served.
    static constexpr int kVersion = 1;

    /// The assets' ids and lengths (their keys are known after ensure()).
    static const std::vector<StreamAsset>& catalogue();
    /// The asset a title plays, chosen by its guid so that a title always plays the same one.
    static const StreamAsset& assetForTitle(std::string_view guid);

    /// `directory`: where the media is kept; `ffmpeg`: the program that makes it.
    MediaLibrary(std::string directory, std::string ffmpeg);

    /// Makes sure the media is there, generating it when it is not. nullopt when it is ready; otherwise
    /// what failed (ffmpeg missing or failing, the directory not writable), also on later calls until a
    /// call succeeds.
    std::optional<std::string> ensure();
    /// The folder of the ready set; its asset folders are "<root>/<id>".
    std::string root() const;
    /// The asset with its key id and key (after a successful ensure()), or nullopt for an unknown id.
    std::optional<StreamAsset> asset(std::string_view id) const;
    /// The asset whose key URIs name `keyId` (after a successful ensure()).
    std::optional<StreamAsset> assetWithKeyId(std::string_view keyId) const;

  private:
    /// Reads keys.json of the ready set; false when it is not there or not complete.
    bool load();
    std::optional<std::string> generate();

    const std::string directory_;
    const std::string ffmpeg_;
    mutable std::mutex mutex_;
    std::vector<StreamAsset> assets_;
};

}  // namespace movra::backend
