// The catalogue item a command names by guid or path: a stored item of that guid or linking to that path, or
// else what the service answers for it (the title of that guid, or the folder whose feed it is).
#pragma once

#include "Foundation/Error.h"
#include "movra/ClientSession.h"

#include <memory>
#include <string>

namespace movra {
class MVItem;
}

namespace movra::cli {

/// nullptr, once it has printed why, when nothing is known by that name.
std::shared_ptr<MVItem> findCatalogueItemOrSay(ClientSession& session, const std::string& target);

}  // namespace movra::cli
