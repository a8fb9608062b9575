#include "movra/PlayCommand.h"

#include "API/MVHTTPClient.h"
#include "Model/MVChannel.h"
#include "Model/MVItem.h"
#include "Platform/Platform.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"
#include "movra/PlaybackRun.h"

#include <fstream>

namespace movra::cli {

int PlayCommand::run(const GlobalOptions& options) const {
    GlobalOptions playing = options;
    playing.videoOutput = video;
    playing.audioOutput = audio;
    ClientSession session(playing);
    if (auto failed = session.startWithStore(/*requireSignIn=*/true)) return *failed;

    // Without the certificate no key request can be made: every title would fail to play.
    const auto& certificate = Platform::current().configuration().drmCertificateFile;
    if (certificate.empty() || !std::ifstream(certificate)) {
        printFailure(options, certificate.empty() ? "No DRM certificate: set drmCertificateFile in config.json or pass "
                                                    "--drm-certificate FILE"
                                                  : "The DRM certificate " + certificate + " cannot be read");
        return 2;
    }

    const auto title = session.importTitle(guid);
    if (!title) return 1;
    PlaybackRun playback;
    playback.from = from;
    playback.startOver = startOver;
    playback.forSeconds = forSeconds;
    playback.json = options.json;
    playback.subtitle = subtitle;
    playback.audioTrack = audioTrack;
    return playback.run(title);
}

}  // namespace movra::cli
