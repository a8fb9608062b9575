#include "API/MVCatalogueImporting.h"

#include "Platform/Platform.h"

namespace movra {

std::shared_ptr<MVCatalogueImporting> MVCatalogueImporting::registered() {
    return Platform::current().object<MVCatalogueImporting>();
}

void MVCatalogueImporting::setRegistered(std::shared_ptr<MVCatalogueImporting> importer) {
    Platform::current().setObject<MVCatalogueImporting>(std::move(importer));
}

}  // namespace movra
