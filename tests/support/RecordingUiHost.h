// A UiHost that records what a person would have seen, for tests to assert on.
#pragma once

#include <string>
#include <vector>

#include "Platform/AlertController.h"
#include "Platform/UiHost.h"

namespace movra::test {

class RecordingUiHost final : public UiHost {
public:
    void didPresent(const ViewController& presenter, const ViewController& presented) override;
    void didDismiss(const ViewController& presented) override;

    /// The alerts currently shown, oldest first.
    std::vector<std::shared_ptr<AlertController>> visibleAlerts() const;
    std::shared_ptr<AlertController> lastAlert() const;

private:
    std::vector<std::weak_ptr<AlertController>> alerts_;
};

}  // namespace movra::test
