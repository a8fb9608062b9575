#include "Root/MVGeoBlockViewController.h"

#include "Foundation/Localization.h"

namespace movra {

MVGeoBlockViewController::MVGeoBlockViewController()
    : message_(MVLocalizedString("Movra is only available Sweden, Finland, Denmark, Norway, and Spain.")),
      linkTitle_(MVLocalizedString("More information about your local provider")) {}

}  // namespace movra
