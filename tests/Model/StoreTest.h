// StoreTest: fixture of the tests that import feed pages into a fresh store through the shared client.
#pragma once

#include "API/MVHTTPClient.h"
#include "Foundation/Strings.h"
#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Utilities/CurrentRegionTenant.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

namespace movra::test {

/// A page of titles given as "guid", "guid:keywords" or "guid:keywords:savedAsset" (keywords "Film" when empty).
inline std::string feed(const std::string& guid, const std::vector<std::string>& titles,
                        const std::string& ttl = "15") {
    std::string items;
    for (const auto& title : titles) {
        auto parts = split(title, ":");
        parts.resize(3);
        items += "<item><guid>" + parts[0] + "</guid><title>Title " + parts[0] + "</title><media:keywords>" +
                 (parts[1].empty() ? "Film" : parts[1]) + "</media:keywords>" +
                 (parts[2].empty() ? "" : "<stravo:savedAsset>" + parts[2] + "</stravo:savedAsset>") + "</item>";
    }
    return R"(<rss xmlns:stravo="urn:s" xmlns:media="urn:m"><channel><guid>)" + guid + "</guid><title>" + guid +
           "</title><ttl>" + ttl + "</ttl><stravo:totalResults>" + std::to_string(titles.size()) +
           "</stravo:totalResults>" + items + "</channel></rss>";
}

class StoreTest : public ::testing::Test {
  protected:
    StoreTest() {
        CurrentRegionTenant::setTenant(MVRegionTenantTavik);
        client = MVHTTPClient::initSharedClientWithHost("api.test");
        EXPECT_FALSE(store->setupStack());
        MVCoreDataService::setRegistered(store);
    }
    ~StoreTest() override { store->invalidateStack(); }

    struct Answer {
        ErrorPtr error;
        std::shared_ptr<MVChannel> channel;
        XMLDocumentPtr document;
    };
    /// Imports `xml` ("" for no document) as the page at `offset`.
    Answer import(const std::string& xml, std::optional<unsigned long> offset = 0, bool replacing = true) {
        // A generous limit, as it only guards against a hang: a 10,000-item page takes seconds under a
        // sanitizer on a busy machine.
        auto [error, channel, document] = env.await<ErrorPtr, std::shared_ptr<MVChannel>, XMLDocumentPtr>(
            [&](auto done) {
                client->handleXMLResponse(xml.empty() ? nullptr : XMLDocument::parse(xml), offset, replacing, done);
            },
            60);
        return {error, channel, document};
    }

    /// Saves with `block` and waits, without turning the main queue, until the save has committed: its
    /// completion and change notice then wait on the main queue.
    void saveWithoutTurningTheLoop(MVCoreDataService::SaveBlock block) {
        store->saveInBackground(std::move(block), nullptr);
        std::promise<void> drained;
        store->saveInBackground(
            [&drained](StoreContext&) -> ErrorPtr {
                drained.set_value();
                return nullptr;
            },
            nullptr);
        drained.get_future().wait();
    }
    /// Saves with `block` and turns the main queue until the save's completion has run.
    ErrorPtr save(MVCoreDataService::SaveBlock block) {
        auto [error] = env.await<ErrorPtr>([&](auto done) { store->saveInBackground(std::move(block), done); });
        return error;
    }

    TemporaryDirectory directory;
    TestPlatform env;
    std::shared_ptr<MVHTTPClient> client;
    std::shared_ptr<MVCoreDataService> store = std::make_shared<MVCoreDataService>(directory.path());
};

}  // namespace movra::test
