#include "movra/KidsModeFlowWatch.h"

#include "Platform/AlertController.h"

namespace movra::cli {

bool KidsModeFlowWatch::waitFor(ClientSession& session, const KidsModeViewController& screen) {
    return session.wait([&screen] { return !screen.isShowingActivityIndicator(); });
}

std::string KidsModeFlowWatch::alertMessage(const ViewController& screen) {
    auto alert = std::dynamic_pointer_cast<AlertController>(screen.presentedViewController());
    return alert ? alert->message() : std::string();
}

}  // namespace movra::cli
