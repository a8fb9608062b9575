#include "Root/MVFullScreenErrorViewController.h"

#include "Foundation/Localization.h"

namespace movra {

MVFullScreenErrorViewController::MVFullScreenErrorViewController()
    : maintenanceMessage_(MVLocalizedString("Movra is currently down for maintenance.")),
      geoblockMessage_(MVLocalizedString("Movra is only available Sweden, Finland, Denmark, Norway, and Spain.")),
      reachabilityMessage_(MVLocalizedString("Sorry, No network connection is available at the moment.")) {}

}  // namespace movra
