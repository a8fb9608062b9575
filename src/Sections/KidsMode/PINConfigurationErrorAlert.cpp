#include "Sections/KidsMode/PINConfigurationErrorAlert.h"

#include "Foundation/Localization.h"

namespace movra {

std::shared_ptr<AlertController> alertControllerWithPINConfigurationError(const ErrorPtr& error,
                                                                          std::function<void()> completion) {
    const std::string message =
        error && !error->localizedDescription.empty()
            ? error->localizedDescription
            : MVLocalizedString("A problem has occured and the service may be temporarily unavailable.");
    auto alert = std::make_shared<AlertController>(MVLocalizedString("Error"), message);
    alert->addAction({MVLocalizedString("OK"), AlertController::ActionStyle::Default, std::move(completion)});
    return alert;
}

}  // namespace movra
