#include "support/RecordingUiHost.h"

namespace movra::test {

void RecordingUiHost::didPresent(const ViewController& presenter, const ViewController& controller) {
    if (auto* alert = dynamic_cast<const AlertController*>(&controller)) {
        alerts_.push_back(std::static_pointer_cast<AlertController>(
            std::const_pointer_cast<ViewController>(alert->shared_from_this())));
    }
}

void RecordingUiHost::didDismiss(const ViewController& controller) {
    std::erase_if(alerts_, [&](const std::weak_ptr<AlertController>& a) {
        auto s = a.lock();
        return !s || s.get() == &controller;
    });
}

std::vector<std::shared_ptr<AlertController>> RecordingUiHost::visibleAlerts() const {
    std::vector<std::shared_ptr<AlertController>> out;
    for (const auto& a : alerts_)
        if (auto s = a.lock()) out.push_back(s);
    return out;
}

std::shared_ptr<AlertController> RecordingUiHost::lastAlert() const {
    auto all = visibleAlerts();
    return all.empty() ? nullptr : all.back();
}

}  // namespace movra::test
