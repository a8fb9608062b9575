// BenchStoreClient: a BenchClient with the catalogue store open and registered, and the root menu at hand.
#pragma once

#include "BenchClient.h"
#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVDataManager.h"
#include "Model/MVRootMenuEntries.h"

#include <functional>
#include <memory>

struct BenchStoreClient : BenchClient {
    BenchStoreClient(const std::string& program, std::size_t generatedItems = 0)
        : BenchClient(program, "", generatedItems) {
        store = std::make_shared<movra::MVCoreDataService>(directory + "/client");
        if (auto error = store->setupStack()) die("store: " + error->summary());
        movra::MVCoreDataService::setRegistered(store);
    }
    ~BenchStoreClient() { store->invalidateStack(); }

    static bool wait(const std::function<bool()>& done) {
        return movra::Platform::current().mainQueue().runUntil(done, kStepTimeoutSeconds);
    }
    /// The root menu (stored or fetched), its special entries taken as the menu takes them.
    std::shared_ptr<movra::MVChannel> rootMenu() {
        bool done = false;
        std::shared_ptr<movra::MVChannel> menu;
        movra::MVDataManager::loadRootMenuItemsWithCompletion(
            [&](movra::ErrorPtr, std::shared_ptr<movra::MVChannel> channel) {
                menu = channel;
                done = true;
            });
        if (!wait([&] { return done; }) || !menu) die("no root menu");
        movra::MVRootMenuEntries::shared()->takeEntriesFromMenu(*menu);
        return menu;
    }

    std::shared_ptr<movra::MVCoreDataService> store;
};
