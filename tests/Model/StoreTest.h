// StoreTest: fixture of the tests that import feed pages into a fresh store through the shared client.
#pragma once

#include "API/MVHTTPClient.h"
#include "App/MVDiscriminator.h"
#include "Foundation/Strings.h"
#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "support/TemporaryDirectory.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

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
        MVDiscriminator::initSharedDiscriminatorWithJSON({{"url", "api.test"}, {"cc", {"SE"}}, {"name", "MVTK"}});
        client = MVHTTPClient::initSharedClientWithHost("api.test");
        EXPECT_FALSE(store->setupStack());
        env.platform().setObject(store);
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

    TemporaryDirectory directory;
    TestPlatform env;
    std::shared_ptr<MVHTTPClient> client;
    std::shared_ptr<MVCoreDataService> store = std::make_shared<MVCoreDataService>(directory.path());
};

}  // namespace movra::test
