#include "Root/CatalogChangeKidsModeExitViewController.h"

namespace movra {

CatalogChangeKidsModeExitViewController::CatalogChangeKidsModeExitViewController(
    std::shared_ptr<const ProfileTheme> theme, std::weak_ptr<CatalogChangeKidsModeExitViewControllerDelegate> delegate)
    : KidsModeExitViewController(std::move(theme), {}), delegate_(std::move(delegate)) {}

std::string CatalogChangeKidsModeExitViewController::describe() const {
    return "Kids-mode exit: this region's catalogue has no Family section. " + KidsModeExitViewController::describe();
}

void CatalogChangeKidsModeExitViewController::finish() {
    if (auto delegate = delegate_.lock()) delegate->catalogChangeKidsModeExitViewControllerDidFinish(*this);
}

}  // namespace movra
