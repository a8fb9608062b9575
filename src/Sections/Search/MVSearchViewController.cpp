#include "Sections/Search/MVSearchViewController.h"

#include "API/MVHTTPClient.h"
#include "App/MVAnalytics.h"
#include "App/MVAppDelegate.h"
#include "Foundation/Localization.h"
#include "Foundation/Strings.h"
#include "Model/MVChannel.h"
#include "Model/MVCoreDataService.h"
#include "Model/MVItem.h"
#include "Model/MVSharedSearchCache.h"
#include "Model/ProfileManager.h"
#include "Model/StorePredicate.h"
#include "Platform/CrashReporter.h"
#include "Platform/DeviceInfo.h"
#include "Platform/Platform.h"

#include <algorithm>

namespace movra {

namespace {

const char* profileName(ProfileType profile) {
    switch (profile) {
        case ProfileTypeAdult:
            return "ProfileTypeAdult";
        case ProfileTypeKids:
            return "ProfileTypeKids";
        default:
            return "ProfileTypeNone";
    }
}

std::vector<std::string> guidsOf(const MVSearchViewController::Items& items) {
    std::vector<std::string> guids;
    for (const auto& item : items) guids.push_back(item->guid().value_or(""));
    return guids;
}

/// The stored items of these guids, in this order (those no longer stored are left out).
MVSearchViewController::Items storedItems(const std::vector<std::string>& guids) {
    auto store = MVCoreDataService::registered();
    auto* context = store ? store->mainContext() : nullptr;
    if (!context || guids.empty()) return {};
    StoreContext::ItemQuery query;
    query.filter = StorePredicate::inList("guid", guids);
    query.sortKeys.clear();
    MVSearchViewController::Items found = context->fetchItems(query), ordered;
    for (const auto& guid : guids) {
        auto it = std::find_if(found.begin(), found.end(), [&](const auto& item) { return item->guid() == guid; });
        if (it != found.end()) ordered.push_back(*it);
    }
    return ordered;
}

std::string trimmedOfSpaces(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

MVSearchViewController::MVSearchViewController(std::shared_ptr<MVSharedSearchCache> cache) : cache_(std::move(cache)) {
    if (!cache_)
        if (auto delegate = MVAppDelegate::sharedAppDelegate()) cache_ = delegate->searchCache();
    if (!cache_) cache_ = std::make_shared<MVSharedSearchCache>();
}

std::string MVSearchViewController::describe() const {
    std::string text = className() + " \"" + searchText_ + "\"";
    if (auto shown = message()) return text + ": " + *shown;
    if (state_ == DisplayState::Loading) return text + ": loading";
    const auto& list = state_ == DisplayState::Results ? items_ : suggestedItems_;
    return state_ == DisplayState::Idle ? text : text + ": " + std::to_string(list.size()) + " titles";
}

std::optional<std::string> MVSearchViewController::message() const {
    switch (state_) {
        case DisplayState::NoResults:
            return MVLocalizedString(kNoResultsText);
        case DisplayState::Failed:
            return MVLocalizedString(kFailedText);
        case DisplayState::Offline:
            return MVLocalizedString(kOfflineText);
        default:
            return std::nullopt;
    }
}

const std::string& MVSearchViewController::lastSearchString() const { return cache_->lastSearchString(); }

void MVSearchViewController::setState(DisplayState state) {
    state_ = state;
    contentChanged();
}

void MVSearchViewController::setItems(Items items) {
    items_ = std::move(items);
    cache_->setItemGuids(guidsOf(items_));
}

void MVSearchViewController::setSuggestedItems(Items items) {
    suggestedItems_ = std::move(items);
    cache_->setSuggestedItemGuids(guidsOf(suggestedItems_));
}

MVSearchViewController::Items MVSearchViewController::filterItems(const Items& items, ProfileType profile,
                                                                  bool shouldReportFiltering) {
    if (profile == ProfileTypeNone || items.empty()) return items;
    const auto predicate = MVItem::filterPredicate();
    Items kept;
    std::copy_if(items.begin(), items.end(), std::back_inserter(kept),
                 [&](const auto& item) { return predicate.evaluate(*item); });
    if (shouldReportFiltering && kept.size() != items.size())
        Platform::current().crashReporter().notifyNonFatal(kOtherProfileReport, "??",
                                                           {{"ProfileManager.activeProfile", profileName(profile)}});
    return kept;
}

void MVSearchViewController::filterAndSetSearchItems(const Items& items) {
    auto kept = filterItems(items, ProfileManager::activeProfile(), /*shouldReportFiltering=*/false);
    const bool any = !kept.empty();
    if (any) setSuggestedItems(std::move(kept));
    setState(any ? DisplayState::Suggestions : DisplayState::NoResults);
}

void MVSearchViewController::cancelSuggestions() {
    ++suggestionsRequest_;
    if (suggestionsTask_) suggestionsTask_->cancel();
    suggestionsTask_.reset();
}

void MVSearchViewController::cancelSearch() {
    ++searchRequest_;
    if (searchTask_) searchTask_->cancel();
    searchTask_.reset();
}

void MVSearchViewController::searchBarTextDidChange(const std::string& text) {
    searchText_ = text;
    const std::string trimmed = trimmedOfSpaces(text);
    cache_->setLastSearchString(trimmed);
    cancelSuggestions();
    if (trimmed.size() < 2) {
        cancelSearch();
        setItems({});
        setSuggestedItems({});
        setState(DisplayState::Idle);
        return;
    }
    auto client = MVHTTPClient::sharedClient();
    if (!client) return;
    setState(DisplayState::Loading);
    const auto request = suggestionsRequest_;
    std::weak_ptr<ViewController> weak = weak_from_this();
    suggestionsTask_ = client->getSuggestionsAtPath(
        searchItem_ ? searchItem_->suggestions() : std::nullopt, trimmed,
        [weak, request](ErrorPtr error, std::shared_ptr<MVChannel> channel, XMLDocumentPtr) {
            auto self = std::static_pointer_cast<MVSearchViewController>(weak.lock());
            // A cancelled request, or one a later keystroke replaced, shows nothing.
            if (!self || request != self->suggestionsRequest_ || (error && error->code == kURLErrorCancelled)) return;
            self->suggestionsTask_.reset();
            if (!error && channel)
                self->filterAndSetSearchItems(channel->items());
            else
                self->contentChanged();
        });
}

void MVSearchViewController::searchBarSearchButtonClicked(const std::string& text) {
    MVTrackEvent("Search", "Search", std::nullopt, 0);
    if (text.empty()) return;
    auto client = MVHTTPClient::sharedClient();
    if (!client) return;
    searchText_ = text;
    cache_->setLastSearchString(text);
    setItems({});
    // Suggestions still on their way would land over the results.
    cancelSuggestions();
    cancelSearch();
    setState(DisplayState::Loading);
    const auto request = searchRequest_;
    std::weak_ptr<ViewController> weak = weak_from_this();
    searchTask_ = client->searchAtPath(
        searchItem_ ? searchItem_->link() : std::nullopt, text,
        [weak, request](ErrorPtr error, std::shared_ptr<MVChannel> channel, XMLDocumentPtr) {
            auto self = std::static_pointer_cast<MVSearchViewController>(weak.lock());
            if (!self || request != self->searchRequest_ || (error && error->code == kURLErrorCancelled)) return;
            self->searchTask_.reset();
            if (error) {
                const bool offline = error->code == kURLErrorTimedOut || error->code == kURLErrorNotConnectedToInternet;
                self->setState(offline ? DisplayState::Offline : DisplayState::Failed);
                return;
            }
            Items found = channel ? channel->items() : Items();
            self->setItems(found);
            self->setState(found.empty() ? DisplayState::NoResults : DisplayState::Results);
            self->filterAndSetSearchItems(found);
        });
}

void MVSearchViewController::didSelectRow(std::size_t row) {
    const Items* list = state_ == DisplayState::Results       ? &items_
                        : state_ == DisplayState::Suggestions ? &suggestedItems_
                                                              : nullptr;
    if (!list || row >= list->size()) return;
    auto item = (*list)[row];
    const bool series = containsStringCaseInsensitive(item->keywords().value_or(""), "series");
    MVTrackEvent("Search", series ? "Search_Series" : "Search_Movie", item->analyticsLabel(), 0);
    auto pick = [weak = std::weak_ptr<ViewController>(weak_from_this()), item] {
        auto self = std::static_pointer_cast<MVSearchViewController>(weak.lock());
        if (!self) return;
        if (auto delegate = self->delegate_.lock()) delegate->selectedSearchItem(*self, item);
    };
    if (Platform::current().device().idiom() == UserInterfaceIdiom::Pad)
        dismissViewController(/*animated=*/true, pick);
    else
        pick();
}

void MVSearchViewController::viewWillAppear(bool animated) {
    MVRootViewController::viewWillAppear(animated);
    searchText_ = cache_->lastSearchString();
    items_ = storedItems(cache_->itemGuids());
    suggestedItems_ = storedItems(cache_->suggestedItemGuids());
    contentChanged();
}

}  // namespace movra
