#include "movra/ItemCommand.h"

#include "API/MVHTTPClient.h"
#include "Model/MVChannel.h"
#include "Model/MVItem.h"
#include "Model/MVMediaContent.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"

namespace movra::cli {

int ItemCommand::run(const GlobalOptions& options) const {
    ClientSession session(options);
    if (auto failed = session.startWithStore()) return *failed;
    const auto title = session.importTitle(guid);
    if (!title) return 1;
    const auto& item = *title;
    Json json = itemObject(item);
    std::string text = item.title().value_or("(untitled)") + " [" + item.guid().value_or("?") + "]\n";
    if (item.itemDescription()) text += *item.itemDescription() + "\n";
    if (item.keywords()) text += "Keywords: " + *item.keywords() + "\n";
    if (auto content = item.movieMediaContentForType(MVMediaContentTypeHLSFairPlay)) {
        text += "Stream: " + content->url().value_or("?") + "\n";
        json["stream"] = content->url() ? Json(*content->url()) : Json(nullptr);
    }
    for (auto type : {MVImageTypeThumb, MVImageTypePoster, MVImageTypeCarousel}) {
        if (auto url = item.imageURLForType(type)) {
            text += "Image " + std::to_string(static_cast<int>(type)) + ": " + url->absoluteString() + "\n";
            json["images"][std::to_string(static_cast<int>(type))] = url->absoluteString();
        }
    }
    printResult(options, json, text);
    return 0;
}

}  // namespace movra::cli
