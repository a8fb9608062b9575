// MVCatalogueImport: the catalogue store's side of what the API client receives: catalogue pages mapped and
// written into the registered store, and the watchlist flags of stored titles.
//
// Thread contract: as MVCatalogueImporting.
#pragma once

#include "API/MVCatalogueImporting.h"
#include "Foundation/Json.h"

namespace movra {

class StoreContext;

class MVCatalogueImport final : public MVCatalogueImporting {
  public:
    bool importPage(const XMLDocumentPtr& document, unsigned long offset, bool replacing,
                    PageCompletion completion) override;
    void setWatchlistFlags(const std::vector<std::string>& guids, bool inWatchlist,
                           std::function<void(ErrorPtr)> completion) override;

    /// The import of one channel dictionary, inside the store's transaction.
    static ErrorPtr importChannel(StoreContext& context, Json dictionary, unsigned long offset, bool replacing);
};

}  // namespace movra
