// A UiHost that keeps the alerts a person would see, for tests to assert on.
#pragma once

#include "Platform/AlertController.h"
#include "Platform/UiHost.h"

#include <vector>

namespace movra::test {

class RecordingUiHost final : public UiHost {
  public:
    void didPresent(const ViewController&, const ViewController& controller) override {
        if (auto* alert = dynamic_cast<const AlertController*>(&controller))
            alerts_.push_back(std::static_pointer_cast<AlertController>(
                std::const_pointer_cast<ViewController>(alert->shared_from_this())));
    }
    void didDismiss(const ViewController& controller) override {
        std::erase_if(alerts_, [&](const std::weak_ptr<AlertController>& a) {
            auto s = a.lock();
            return !s || s.get() == &controller;
        });
    }

    /// The alerts currently shown, oldest first.
    std::vector<std::shared_ptr<AlertController>> visibleAlerts() const {
        std::vector<std::shared_ptr<AlertController>> out;
        for (const auto& a : alerts_)
            if (auto s = a.lock()) out.push_back(s);
        return out;
    }
    std::shared_ptr<AlertController> lastAlert() const {
        auto all = visibleAlerts();
        return all.empty() ? nullptr : all.back();
    }

  private:
    std::vector<std::weak_ptr<AlertController>> alerts_;
};

}  // namespace movra::test
