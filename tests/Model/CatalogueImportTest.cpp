// Feed pages imported into the store: replacing and appending imports, numbering across pages, the error
// path, the root-menu cache, the browse query keys, transactions and live queries.
#include "Model/FetchedResultsController.h"
#include "Model/MVDataManager.h"
#include "Model/MVItem.h"
#include "Model/StoreTest.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace movra {
namespace {

using test::feed;

class CatalogueImportTest : public test::StoreTest {
  protected:
    /// "guid@index" of the channel's items in indexInChannel order, as screens list them.
    std::vector<std::string> listed(const std::string& channelGuid) {
        StoreContext::ItemQuery query;
        query.channelGuid = channelGuid;
        std::vector<std::string> out;
        for (const auto& item : store->mainContext()->fetchItems(query))
            out.push_back(item->guid().value_or("?") + "@" + std::to_string(item->indexInChannel().value_or(-1)));
        return out;
    }
};

TEST_F(CatalogueImportTest, ReplacingAndAppendingPages) {
    auto first = import(feed("films", {"a", "b", "c"}), 0, /*replacing=*/true);
    ASSERT_FALSE(first.error);
    EXPECT_EQ(listed("films"), (std::vector<std::string>{"a@0", "b@1", "c@2"}));

    // A later page numbers from its offset.
    import(feed("films", {"d", "e"}), 40, /*replacing=*/false);
    EXPECT_EQ(listed("films"), (std::vector<std::string>{"a@0", "b@1", "c@2", "d@40", "e@41"}));

    // An item that moved to another page keeps its record and takes the new number. Two items now share
    // number 41, and nothing orders them between themselves.
    import(feed("films", {"a"}), 41, /*replacing=*/false);
    auto moved = listed("films");
    ASSERT_EQ(moved.size(), 5u);
    std::sort(moved.begin() + 3, moved.end());
    EXPECT_EQ(moved, (std::vector<std::string>{"b@1", "c@2", "d@40", "a@41", "e@41"}));

    // A new first page detaches what it no longer lists; the records stay stored.
    import(feed("films", {"c", "x"}), 0, /*replacing=*/true);
    EXPECT_EQ(listed("films"), (std::vector<std::string>{"c@0", "x@1"}));
    auto detached = store->mainContext()->fetchItem("films-a");
    ASSERT_TRUE(detached);
    EXPECT_FALSE(detached->channelID());

    // A first page without item guids empties the channel.
    import(feed("films", {}), 0, /*replacing=*/true);
    EXPECT_TRUE(listed("films").empty());
    // Other channels are untouched by all this.
    import(feed("kids", {"a"}), 0, true);
    EXPECT_EQ(listed("kids"), (std::vector<std::string>{"a@0"}));
    EXPECT_TRUE(listed("films").empty());
}

// Hostile or malformed answers: those that cannot be read as a page end without a channel and leave what is
// stored as it was (an error document hands back its code and itself); readable ones are imported with what
// can be read of them.
TEST_F(CatalogueImportTest, BadFeedsFailCleanlyOrImportWhatCanBeRead) {
    import(feed("films", {"a", "b", "c"}), 0, true);
    const std::vector<std::string> stored = {"a@0", "b@1", "c@2"};
    const std::string open = R"(<rss xmlns:stravo="urn:stravo"><channel><guid>odd</guid>)";
    std::string many = open;
    for (int i = 0; i < 100000; ++i) many += "<item><guid>" + std::to_string(i) + "</guid></item>";
    many += "</channel></rss>";

    struct Case {
        const char* what;
        std::string xml;
        std::vector<std::string> oddListed;  // empty: no page, nothing stored changes
        std::optional<int> totalResults = std::nullopt;
        std::optional<std::int64_t> code = std::nullopt;
    };
    const Case cases[] = {
        {"no document", "", {}},
        {"truncated", feed("films", {"x", "y"}).substr(0, 180), {}},
        {"empty channel guid", "<rss><channel><guid></guid><item><guid>x</guid></item></channel></rss>", {}},
        {"geo-block", "<result><status>Failure</status><errorCode>ST1005</errorCode></result>", {}, {}, 1005},
        {"undeclared and unknown namespaces",
         R"(<rss xmlns:stravo="urn:unknown"><channel><guid>odd</guid><item><guid>m</guid><media:keywords>Film</media:keywords>)"
         R"(<stravo:itemType>media</stravo:itemType><x:y xmlns:x="urn:x">z</x:y></item></channel></rss>)",
         {"m@0"}},
        {"numbers and dates that are not",
         open + "<ttl>soon</ttl><stravo:totalResults>many</stravo:totalResults><pubDate>2026-12-06T10:00:00Z</pubDate>"
                "<item><guid>n</guid><stravo:episode>one</stravo:episode><pubDate>yesterday</pubDate>"
                "<stravo:bookmark>half</stravo:bookmark></item></channel></rss>",
         {"n@0"},
         0},
        {"duplicate guids",
         open + "<item><guid>d</guid></item><item><guid>d</guid></item><item><guid>e</guid></item></channel></rss>",
         {"d@1", "e@2"}},
        // Without a guid an item has no key to be stored under; the others keep their places.
        {"items without a guid",
         open + "<item><guid/></item><item/><item><guid>g</guid></item></channel></rss>",
         {"g@2"}},
        {"an 11 MB text",
         open + "<title>" + std::string(11 << 20, 't') + "</title><item><guid>t</guid></item></channel></rss>",
         {"t@0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto answer = import(c.xml, 0, true);
        EXPECT_EQ(answer.channel != nullptr, !c.oddListed.empty());
        EXPECT_EQ(answer.error ? std::optional(answer.error->code) : std::nullopt, c.code);
        if (c.code) {
            EXPECT_EQ(answer.error->domain, kMovraErrorDomain);
            EXPECT_TRUE(answer.document);
        }
        if (!c.oddListed.empty()) {
            EXPECT_EQ(listed("odd"), c.oddListed);
            if (c.totalResults) {
                EXPECT_EQ(answer.channel->totalResults().value_or(0), *c.totalResults);
            }
        }
        EXPECT_EQ(listed("films"), stored);
    }

    // A page listing far more than any page should is cut to the most a page is read with.
    auto answer = import(many, 0, true);
    ASSERT_TRUE(answer.channel);
    const auto items = listed("odd");
    ASSERT_EQ(items.size(), MVChannel::kMaxItemsPerPage);
    EXPECT_EQ(items.back(),
              std::to_string(MVChannel::kMaxItemsPerPage - 1) + "@" + std::to_string(MVChannel::kMaxItemsPerPage - 1));
    EXPECT_EQ(listed("films"), stored);
}

TEST_F(CatalogueImportTest, AFailedSaveLeavesTheStoreAsItWas) {
    import(feed("films", {"a", "b"}), 0, true);
    auto error = save([](StoreContext& context) -> ErrorPtr {
        context.deleteAll();
        return makeError("test", 1, "failed half-way");
    });
    EXPECT_TRUE(error);
    EXPECT_EQ(listed("films"), (std::vector<std::string>{"a@0", "b@1"}));
}

TEST_F(CatalogueImportTest, RootMenuComesFromTheStoreWhileFreshForTheLanguage) {
    env.network->answerAll(test::reply(200, "application/rss+xml", feed("ROOT", {"LANDING", "KIDS"})));
    auto load = [&] {
        auto [error, menu] = env.await<ErrorPtr, std::shared_ptr<MVChannel>>(
            [](auto done) { MVDataManager::loadRootMenuItemsWithCompletion(done); });
        return menu;
    };
    auto menu = load();
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->items().size(), 2u);
    EXPECT_EQ(env.network->requests().size(), 1u);
    EXPECT_TRUE(load());
    EXPECT_EQ(env.network->requests().size(), 1u);

    // Another language, or the ttl passed, fetches again.
    env.locale->languageCode_ = "fi";
    EXPECT_TRUE(load());
    EXPECT_EQ(env.network->requests().size(), 2u);
    env.advance(16 * 60);
    EXPECT_TRUE(load());
    EXPECT_EQ(env.network->requests().size(), 3u);

    env.await<ErrorPtr>([&](auto done) { store->deleteRootMenuChannel(done); });
    EXPECT_FALSE(store->fetchRootMenuChannel());
}

TEST_F(CatalogueImportTest, ARestartClearsWhatWasQueuedBeforeItAndKeepsWhatCameAfter) {
    import(feed("films", {"a"}));
    auto channel = [](const char* guid) {
        return [guid](StoreContext& context) {
            MVChannel saved;
            saved.setChannelID(guid);
            saved.setGuid(guid);
            return context.saveChannel(saved);
        };
    };
    store->saveInBackground(channel("before"), nullptr);
    bool restarted = false;
    store->restartStack([&](ErrorPtr error) {
        EXPECT_FALSE(error);
        restarted = true;
    });
    EXPECT_FALSE(store->mainContext());  // closed at once, without waiting for the writer
    auto [error] = env.await<ErrorPtr>([&](auto done) { store->saveInBackground(channel("after"), done); });
    EXPECT_FALSE(error);
    ASSERT_TRUE(env.runUntil([&] { return restarted; }));
    ASSERT_TRUE(store->mainContext());
    EXPECT_FALSE(store->mainContext()->fetchChannel("films"));
    EXPECT_FALSE(store->mainContext()->fetchChannel("before"));
    EXPECT_TRUE(store->mainContext()->fetchChannel("after"));
}

TEST_F(CatalogueImportTest, BrowseQueryKeys) {
    env.network->answerAll(test::reply(200, "application/rss+xml", feed("films", {"a"})));
    struct Case {
        std::optional<unsigned long> offset, max;
        std::optional<std::string> sort;
        bool ascending;
        std::string query;
    } cases[] = {
        {0, 30, "title", false, "language=sv_mvtk&max=30&offset=0&order=desc&sort=title"},
        {std::nullopt, std::nullopt, std::nullopt, false, "language=sv_mvtk"},
        {60, 30, std::nullopt, true, "language=sv_mvtk&max=30&offset=60"},
    };
    for (const auto& c : cases) {
        env.await<ErrorPtr, std::shared_ptr<MVChannel>, XMLDocumentPtr>([&](auto done) {
            client->browseToPath("browse/films", c.offset, c.max, c.sort, c.ascending, true, true, done);
        });
        EXPECT_EQ(env.network->requests().back().url, "https://api.test/stoffice/client/ios/browse/films?" + c.query);
    }
}

class CountingDelegate : public FetchedResultsControllerDelegate {
  public:
    void controllerDidChangeContent(FetchedResultsController&) override { ++changes; }
    int changes = 0;
};

TEST_F(CatalogueImportTest, LiveQueryUpdatesOncePerTurnAndOnlyOnChange) {
    import(feed("films", {"a", "b"}), 0, true);
    auto controller = std::make_shared<FetchedResultsController>(
        [] {
            StoreContext::ItemQuery query;
            query.channelGuid = "films";
            return query;
        },
        "alphabeticSectionKey");
    auto delegate = std::make_shared<CountingDelegate>();
    controller->setDelegate(delegate);
    ASSERT_FALSE(controller->performFetch());
    EXPECT_EQ(controller->fetchedObjects().size(), 2u);
    ASSERT_EQ(controller->sections().size(), 1u);
    EXPECT_EQ(controller->sections()[0].name, "T");

    // Two saves before the loop turns: one update.
    saveWithoutTurningTheLoop([](StoreContext& c) { return c.detachItems("films", {"a"}); });
    saveWithoutTurningTheLoop([](StoreContext&) -> ErrorPtr { return nullptr; });
    env.main().runPending();
    env.main().runPending();
    EXPECT_EQ(delegate->changes, 1);
    EXPECT_EQ(controller->fetchedObjects().size(), 1u);

    // A save that changes nothing the query sees, or another channel only: no update.
    saveWithoutTurningTheLoop([](StoreContext&) -> ErrorPtr { return nullptr; });
    import(feed("kids", {"k"}), 0, true);
    env.main().runPending();
    env.main().runPending();
    EXPECT_EQ(delegate->changes, 1);

    // A change to one of its items, saved without its channel: an update.
    saveWithoutTurningTheLoop([](StoreContext& c) -> ErrorPtr {
        auto item = c.fetchItem("films-a");
        if (!item) return makeError("test", 1, "films-a is not stored");
        item->setIsInWatchlist(true);
        return c.saveItem(*item, item->channelID());
    });
    env.main().runPending();
    env.main().runPending();
    EXPECT_EQ(delegate->changes, 2);
    EXPECT_EQ(controller->fetchedObjects().at(0)->isInWatchlist(), true);
}

TEST_F(CatalogueImportTest, QueriesAtEveryMomentShareOneStatement) {
    import(feed("films", {"a"}), 0, true);
    auto* context = store->mainContext();
    StoreContext::ItemQuery query;
    query.channelGuid = "films";
    auto fetchAt = [&](double moment) {
        query.freshAt = moment;
        return context->fetchItems(query).size();
    };
    const double now = env.platform().clock().secondsSince1970();
    ASSERT_EQ(fetchAt(now), 1u);
    const auto prepared = context->preparedStatementCount();
    for (int i = 1; i <= 50; ++i) ASSERT_EQ(fetchAt(now + i * 0.5), 1u);
    EXPECT_EQ(context->preparedStatementCount(), prepared);
    EXPECT_EQ(fetchAt(now + 3600), 0u) << "the page has expired by then";
}

}  // namespace
}  // namespace movra
