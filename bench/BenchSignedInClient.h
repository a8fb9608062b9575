// BenchSignedInClient: a BenchClient with the film of the emulator's longest asset read from its feed as the
// client reads a title.
#pragma once

#include "BenchClient.h"
#include "Model/MVChannel.h"
#include "Model/MVItem.h"

#include <memory>
#include <string>

struct BenchSignedInClient : BenchClient {
    std::shared_ptr<movra::MVItem> item;
    movra::backend::StreamAsset asset;

    BenchSignedInClient(const std::string& program, const std::string& mediaDir) : BenchClient(program, mediaDir) {
        chooseTitle(*client);
    }

  private:
    /// Films of the sample catalogue; the first that plays the longest asset is the one chosen.
    static constexpr const char* kFilms[] = {
        "film-frost-line",     "film-a-crown-of-thorns", "film-a-quiet-revolution", "film-beyond-the-pines",
        "film-birch-and-bone", "film-blackwater-bay",    "film-borderlands",        "film-counterweight",
        "film-dead-reckoning", "film-fault-lines"};

    void chooseTitle(movra::MVHTTPClient& client) {
        asset = longestAsset();
        std::string guid;
        for (const char* film : kFilms)
            if (movra::backend::MediaLibrary::assetForTitle(film).id == asset.id) {
                guid = film;
                break;
            }
        if (guid.empty()) die("no film of the list plays asset " + asset.id);
        bool done = false;
        client.getPath(
            "browse/" + guid, movra::Json::object(), true,
            [&](const movra::HttpTaskPtr&, const movra::XMLDocumentPtr& document) {
                auto channel = movra::MVChannel::dictionaryFromDocument(document);
                if (channel && channel->contains("items") && !(*channel)["items"].empty()) {
                    item = std::make_shared<movra::MVItem>();
                    item->updateFromJSON((*channel)["items"][0]);
                }
                done = true;
            },
            [&](const movra::HttpTaskPtr&, const movra::XMLDocumentPtr&, const movra::ErrorPtr&) { done = true; });
        movra::Platform::current().mainQueue().runUntil([&] { return done; }, kStepTimeoutSeconds);
        if (!item || item->guid() != guid) die("no item for " + guid);
    }
};
