#include "Root/CatalogChangeViewController.h"

#include "Platform/Platform.h"

namespace movra {

namespace {
/// Lives with the platform, so the notice is shown at most once per process.
struct TenantChangeAlert {
    bool shown = false;
};
}  // namespace

bool CatalogChangeViewController::hasShownTenantChangeAlert() {
    return Platform::current().sharedObject<TenantChangeAlert>()->shown;
}

CatalogChangeViewController::CatalogChangeViewController(std::shared_ptr<const ProfileTheme> theme,
                                                         std::weak_ptr<CatalogChangeViewControllerDelegate> delegate)
    : theme_(std::move(theme)), delegate_(std::move(delegate)) {}

std::string CatalogChangeViewController::describe() const {
    return "Catalogue change: the catalogue shown is another region's";
}

void CatalogChangeViewController::viewDidLoad() {
    ViewController::viewDidLoad();
    // Presenting the notice and putting it into a navigation stack both load it: that is when it is shown.
    Platform::current().sharedObject<TenantChangeAlert>()->shown = true;
}

void CatalogChangeViewController::finish() {
    if (auto delegate = delegate_.lock()) delegate->catalogChangeViewControllerDidFinish(*this);
}

}  // namespace movra
