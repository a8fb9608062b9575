#include "movra/ImageCommand.h"

#include "Platform/AtomicFile.h"
#include "Platform/Platform.h"
#include "Utilities/MVDiskImageCache.h"
#include "Utilities/MVImageView.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"

#include <charconv>

namespace movra::cli {

namespace {

/// Views larger than this (in points) are no view the client has.
constexpr int kLargestSide = 4096;

std::optional<Size> parseSize(const std::string& text) {
    const auto x = text.find('x');
    if (x == std::string::npos) return std::nullopt;
    int width = 0;
    int height = 0;
    const char* end = text.data() + text.size();
    auto [widthEnd, widthError] = std::from_chars(text.data(), text.data() + x, width);
    auto [heightEnd, heightError] = std::from_chars(text.data() + x + 1, end, height);
    if (widthError != std::errc() || heightError != std::errc() || widthEnd != text.data() + x || heightEnd != end)
        return std::nullopt;
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide) return std::nullopt;
    return Size{static_cast<double>(width), static_cast<double>(height)};
}

}  // namespace

int ImageCommand::run(const GlobalOptions& options) const {
    Size constrained;
    if (!size.empty()) {
        auto parsed = parseSize(size);
        if (!parsed) {
            printFailure(options, "--size takes WIDTHxHEIGHT in points, each 1 to " + std::to_string(kLargestSide) +
                                      " (e.g. 320x180), not \"" + size + "\"");
            return 2;
        }
        constrained = *parsed;
    }
    auto parsedUrl = Url::parse(url);
    if (!parsedUrl || (parsedUrl->scheme() != "https" && parsedUrl->scheme() != "http")) {
        printFailure(options, "Not an http(s) URL: " + url);
        return 2;
    }
    ClientSession session(options);
    if (auto error = session.open()) {
        printFailure(options, error->localizedDescription, error);
        return 2;
    }
    Platform::current().setObject(std::make_shared<MVDiskImageCache>(/*subFolderPath=*/"catalog_images"));

    auto view = std::make_shared<MVImageView>();
    bool done = false;
    bool fromCache = false;
    ErrorPtr failure;
    view->setImageWithURL(
        *parsedUrl, nullptr, constrained,
        [&](const ImageRequest&, std::shared_ptr<const HttpResponse> response, ImagePtr image) {
            view->setImage(std::move(image));
            fromCache = !response;
            done = true;
        },
        [&](const ImageRequest&, std::shared_ptr<const HttpResponse>, ErrorPtr error) {
            failure = std::move(error);
            done = true;
        });
    if (!session.wait([&] { return done; }) || !view->image()) {
        printFailure(options, "The picture could not be loaded" + (failure ? ": " + failure->summary() : std::string()),
                     failure);
        return 1;
    }
    const auto& image = *view->image();
    auto png = Platform::current().imageCodec().encodePNG(image);
    if (!png) {
        printFailure(options, "The picture could not be encoded as PNG");
        return 1;
    }
    if (auto error = AtomicFile::write(outputPath, *png)) {
        printFailure(options, "Cannot write " + outputPath + ": " + error->summary(), error);
        return 1;
    }
    Json json = {{"url", url},           {"file", outputPath},    {"width", image.width}, {"height", image.height},
                 {"bytes", png->size()}, {"fromCache", fromCache}};
    printResult(options, json,
                "Wrote " + outputPath + " (" + std::to_string(image.width) + "x" + std::to_string(image.height) +
                    " pixels, " + std::to_string(png->size()) + " bytes" + (fromCache ? ", from the cache" : "") + ")");
    return 0;
}

}  // namespace movra::cli
