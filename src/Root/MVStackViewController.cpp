#include "Root/MVStackViewController.h"

namespace movra {

std::string MVStackViewController::describe() const {
    return leftPanelOpen_ ? "Main screens: side menu open beside the content" : "Main screens: content (menu closed)";
}

}  // namespace movra
