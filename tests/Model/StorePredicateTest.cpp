// Store predicates: the SQL the store runs and the in-memory answer must agree, row by row.
#include "Model/MVItem.h"
#include "Model/MVRootMenuEntries.h"
#include "Model/ProfileManager.h"
#include "Model/StorePredicate.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>

namespace movra {
namespace {

using P = StorePredicate;

// Items with the texts the predicates look at, stored in an Item table of those columns.
class StorePredicateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db_, "CREATE TABLE Item (keywords TEXT, category TEXT)", nullptr, nullptr, nullptr),
                  SQLITE_OK);
        const Json texts[] = {nullptr,   "",          "Kids",        "KIDS_display", "kidsdisplay", "50% off",
                              "500 off", "a_b",       "axb",         "back\\slash",  "backslash",   "Äventyr",
                              "äventyr", "BARN/Djur", "barn_x/Djur", "barnyx/Djur"};
        for (const auto& keywords : texts)
            for (const auto& category : {Json(nullptr), Json("BARN_/Djur"), Json("barnx/Djur"), keywords}) {
                auto item = std::make_shared<MVItem>();
                item->setAttributeValues({{"keywords", keywords}, {"category", category}});
                items_.push_back(item);
                sqlite3_stmt* insert = nullptr;
                sqlite3_prepare_v2(db_, "INSERT INTO Item VALUES (?, ?)", -1, &insert, nullptr);
                bindText(insert, 1, keywords);
                bindText(insert, 2, category);
                EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
                sqlite3_finalize(insert);
            }
    }
    void TearDown() override { sqlite3_close(db_); }

    static void bindText(sqlite3_stmt* statement, int index, const Json& text) {
        if (text.is_string())
            sqlite3_bind_text(statement, index, text.get_ref<const std::string&>().c_str(), -1, SQLITE_TRANSIENT);
    }

    // Row numbers (from 0) the store's query selects, and those evaluate() selects.
    std::pair<std::vector<int>, std::vector<int>> answers(const StorePredicate& predicate) {
        std::vector<int> selected, evaluated;
        sqlite3_stmt* query = nullptr;
        const std::string sql = "SELECT rowid - 1 FROM Item WHERE " + predicate.sql() + " ORDER BY rowid";
        EXPECT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &query, nullptr), SQLITE_OK) << sql;
        EXPECT_EQ(sqlite3_bind_parameter_count(query), static_cast<int>(predicate.arguments().size())) << sql;
        for (std::size_t i = 0; i < predicate.arguments().size(); ++i)
            sqlite3_bind_text(query, static_cast<int>(i + 1), predicate.arguments()[i].c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(query) == SQLITE_ROW) selected.push_back(sqlite3_column_int(query, 0));
        sqlite3_finalize(query);
        for (std::size_t i = 0; i < items_.size(); ++i)
            if (predicate.evaluate(*items_[i])) evaluated.push_back(static_cast<int>(i));
        return {selected, evaluated};
    }

    test::TestPlatform platform;
    sqlite3* db_ = nullptr;
    std::vector<std::shared_ptr<MVItem>> items_;
};

TEST_F(StorePredicateTest, SqlAndMemoryAgree) {
    const P predicates[] = {
        P::containsCaseInsensitive("keywords", "kids"),
        P::containsCaseInsensitive("keywords", "50%"),
        P::containsCaseInsensitive("keywords", "a_b"),
        P::containsCaseInsensitive("keywords", "\\"),
        P::containsCaseInsensitive("keywords", "ä"),
        P::containsCaseInsensitive("keywords", ""),
        P::beginsWithCaseInsensitive("category", "barn_"),
        P::beginsWithCaseInsensitive("category", ""),
        P::notPredicate(P::containsCaseInsensitive("keywords", "kids")),
        P::orPredicate(
            {P::containsCaseInsensitive("keywords", "kids"), P::beginsWithCaseInsensitive("category", "barn")}),
        P::andPredicate({P::containsCaseInsensitive("keywords", "off"),
                         P::notPredicate(P::containsCaseInsensitive("keywords", "%"))}),
        P::andPredicate({}),
        P::orPredicate({}),
    };
    for (const auto& predicate : predicates) {
        auto [selected, evaluated] = answers(predicate);
        EXPECT_EQ(selected, evaluated) << predicate.sql();
    }
    // The store matches the text, not a pattern.
    auto [selected, evaluated] = answers(P::containsCaseInsensitive("keywords", "a_b"));
    EXPECT_EQ(selected.size(), 4u);
}

TEST_F(StorePredicateTest, FilterFollowsTheActiveProfile) {
    auto count = [&](const StorePredicate& predicate) {
        auto [selected, evaluated] = answers(predicate);
        EXPECT_EQ(selected, evaluated) << predicate.sql();
        return selected.size();
    };

    ProfileManager::setActiveProfile(ProfileTypeKids);
    const auto kidsByKeyword = count(MVItem::filterPredicate());
    EXPECT_EQ(MVItem::filterPredicate().arguments(), (std::vector<std::string>{"%kids%", "%kids\\_display%"}));

    auto lockable = std::make_shared<MVItem>();
    lockable->setAnalyticsLabel("BARN_");
    MVRootMenuEntries::shared()->setLockableItem(lockable);
    const auto kids = count(MVItem::filterPredicate());
    EXPECT_GT(kids, kidsByKeyword);
    EXPECT_EQ(count(P::notPredicate(MVItem::filterPredicate())), items_.size() - kids);

    ProfileManager::setActiveProfile(ProfileTypeAdult);
    EXPECT_EQ(count(MVItem::filterPredicate()), items_.size() - kids);
    ProfileManager::setActiveProfile(ProfileTypeNone);
    EXPECT_EQ(count(MVItem::filterPredicate()), kids);

    // A lockable item without a label marks no category as kids content.
    lockable->setAnalyticsLabel("");
    EXPECT_EQ(count(MVItem::filterPredicate()), kidsByKeyword);
}

}  // namespace
}  // namespace movra
