#include "movra/ThumbnailCommand.h"

#include "API/MVHTTPClient.h"
#include "App/MVStreamingSessionClient.h"
#include "Foundation/Log.h"
#include "Foundation/Strings.h"
#include "Model/MVItem.h"
#include "Platform/AtomicFile.h"
#include "Platform/Platform.h"
#include "Utilities/MVSeekCache.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"

namespace movra::cli {

namespace {

/// Closes the title's streaming session, without a bookmark: looking at a picture is no viewing.
void closeStreamingSession(ClientSession& session, const MVItem& title) {
    auto content = title.movieMediaContentForType(MVMediaContentTypeHLSFairPlay);
    auto url = content ? content->url() : std::nullopt;
    if (isEmpty(url)) return;
    bool closed = false;
    session.client()->tearDownSessionAtURL(*url, [&](ErrorPtr error, XMLDocumentPtr) {
        if (error) Log::warning("The streaming session could not be closed: {}", error->summary());
        closed = true;
    });
    session.wait([&] { return closed; });
}

}  // namespace

int ThumbnailCommand::run(const GlobalOptions& options) const {
    ClientSession session(options);
    if (auto failed = session.startWithStore(/*requireSignIn=*/true)) return *failed;
    const auto title = session.importTitle(guid);
    if (!title) return 1;

    bool opened = false;
    ErrorPtr failure;
    std::optional<std::string> streamURL;
    MVStreamingSessionClient::setUpSessionForItem(
        *session.client(), *title,
        [&](ErrorPtr error, std::optional<std::string> url, std::shared_ptr<MVStreamingSessionResponse>) {
            failure = std::move(error);
            streamURL = std::move(url);
            opened = true;
        });
    if (!session.wait([&] { return opened; }) || failure || !streamURL) {
        printFailure(
            options,
            "The streaming session could not be opened" + (failure ? ": " + failure->summary() : std::string()),
            failure);
        return 1;
    }

    auto seekCache = std::make_shared<MVSeekCache>();
    const auto finish = [&](int status) {
        seekCache.reset();
        closeStreamingSession(session, *title);
        return status;
    };
    auto playlist = Url::parse(*streamURL);
    if (!playlist) {
        printFailure(options, "The session answered no stream URL: " + *streamURL);
        return finish(1);
    }
    // Learns where the pictures live without prefetching any.
    seekCache->downloadImagesFromPlaylist(*playlist, /*step=*/1, /*maxFrame=*/0);
    session.wait([&] { return seekCache->operationCount() == 0; });
    const auto pictureURL = seekCache->urlForImageAtTime(seconds);
    if (!pictureURL) {
        printFailure(options, "The stream's playlist names no seek pictures");
        return finish(1);
    }
    ImagePtr picture;
    seekCache->downloadAndCacheImageFromURL(*pictureURL, [&](ImagePtr image) { picture = std::move(image); });
    session.wait([&] { return seekCache->operationCount() == 0; });
    const auto url = pictureURL->absoluteString();
    if (!picture) {
        printFailure(options, "No picture at " + url);
        return finish(1);
    }
    auto png = Platform::current().imageCodec().encodePNG(*picture);
    if (!png) {
        printFailure(options, "The picture could not be encoded as PNG");
        return finish(1);
    }
    if (auto error = AtomicFile::write(outputPath, *png)) {
        printFailure(options, "Cannot write " + outputPath + ": " + error->summary(), error);
        return finish(1);
    }
    Json json = {{"guid", guid},       {"seconds", seconds},      {"url", url},
                 {"file", outputPath}, {"width", picture->width}, {"height", picture->height}};
    printResult(options, json,
                "Wrote " + outputPath + " (" + std::to_string(picture->width) + "x" + std::to_string(picture->height) +
                    " pixels) from " + url);
    return finish(0);
}

}  // namespace movra::cli
