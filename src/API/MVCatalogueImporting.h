// MVCatalogueImporting: what the API client hands the catalogue it receives to. The catalogue store lives in
// the model, a layer above the client, and registers its importer here when it is registered itself.
//
// Thread contract: importPage() is called on a background queue, setWatchlistFlags() on the main queue; their
// completions run on the main queue.
#pragma once

#include "Foundation/Error.h"
#include "Utilities/XMLDocument.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace movra {

class MVChannel;

class MVCatalogueImporting {
  public:
    using PageCompletion = std::function<void(ErrorPtr error, std::shared_ptr<MVChannel> channel)>;

    virtual ~MVCatalogueImporting() = default;

    /// The importer of the installed platform, or nullptr while no catalogue store is registered.
    static std::shared_ptr<MVCatalogueImporting> registered();
    static void setRegistered(std::shared_ptr<MVCatalogueImporting> importer);

    /// Imports `document` when it is a catalogue page (a channel with a guid): its items replace the channel's
    /// list when `replacing`, else are appended, numbered from `offset`; `completion` gets the stored channel.
    /// False, with nothing done and no completion, for any other document.
    virtual bool importPage(const XMLDocumentPtr& document, unsigned long offset, bool replacing,
                            PageCompletion completion) = 0;
    /// Sets or clears the watchlist flag of every stored record of the titles (a removal touches only the
    /// flagged ones).
    virtual void setWatchlistFlags(const std::vector<std::string>& guids, bool inWatchlist,
                                   std::function<void(ErrorPtr)> completion) = 0;
};

}  // namespace movra
