// MVSharedSearchCache: the last search query of the current sign-in, so the search screen reopens where
// it was left. A fresh instance replaces it at sign-out and when the active profile changes.
//
// Thread contract: main queue.
#pragma once

#include <string>
#include <vector>

namespace movra {

class MVSharedSearchCache {
  public:
    MVSharedSearchCache() { setup(); }
    /// Restores the initial values.
    void setup();
    void clear() { setup(); }

    const std::string& lastSearchString() const { return lastSearchString_; }
    void setLastSearchString(std::string query) { lastSearchString_ = std::move(query); }
    /// Guids of the last result and suggestion lists.
    const std::vector<std::string>& itemGuids() const { return itemGuids_; }
    void setItemGuids(std::vector<std::string> guids) { itemGuids_ = std::move(guids); }
    const std::vector<std::string>& suggestedItemGuids() const { return suggestedItemGuids_; }
    void setSuggestedItemGuids(std::vector<std::string> guids) { suggestedItemGuids_ = std::move(guids); }

  private:
    std::string lastSearchString_;
    std::vector<std::string> itemGuids_;
    std::vector<std::string> suggestedItemGuids_;
};

}  // namespace movra
