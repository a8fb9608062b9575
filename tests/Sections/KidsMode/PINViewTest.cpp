// The PIN entry: what key taps leave in the boxes, when the delegate hears the digits, and the animated
// clearing after a refused PIN, in virtual time.
#include "Sections/KidsMode/PINView.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace movra {
namespace {

class FilledRecorder : public PINViewDelegate {
  public:
    void pinFilledWithText(const std::string& text) override { filled.push_back(text); }
    std::vector<std::string> filled;
};

/// Taps the pad: digits as they are, '<' for the delete key, anything else on a key the pad lacks.
void tap(PINView& view, const std::string& keys) {
    for (char key : keys) key == '<' ? view.numberPad().tapDelete() : view.numberPad().tapDigit(key);
}

TEST(PINView, KeysFillTheBoxesAndEachFullRowIsReported) {
    const std::tuple<const char*, const char*, std::vector<std::string>> cases[] = {
        {"123", "●●●○", {}},
        {"123456", "●●●●", {"1234"}},
        {"<1<<2x", "●○○○", {}},
        {"1234<5", "●●●●", {"1234", "1235"}},
    };
    test::TestPlatform env;
    for (const auto& [keys, boxes, filled] : cases) {
        SCOPED_TRACE(keys);
        FilledRecorder recorder;
        PINView view(recorder);
        tap(view, keys);
        EXPECT_EQ(view.boxes(), boxes);
        EXPECT_EQ(recorder.filled, filled);
    }
}

TEST(PINView, KeysWaitForTheAnimatedClearingAndAnOutdatedClearingTouchesNothing) {
    test::TestPlatform env;
    FilledRecorder recorder;
    PINView view(recorder);
    auto advance = [&](double seconds) {
        env.advance(seconds);
        env.main().runPending();
    };
    tap(view, "1234");
    view.clearWithAnimated(true);
    EXPECT_EQ(view.boxes(), "✕✕✕✕");
    tap(view, "5");
    advance(PINView::kClearAnimationDuration - 0.01);
    EXPECT_EQ(view.text(), "") << "typed while the boxes were being cleared";
    advance(0.01);
    tap(view, "5");
    EXPECT_EQ(view.boxes(), "●○○○");

    view.clearWithAnimated(true);
    view.clearWithAnimated(false);
    tap(view, "67");
    advance(PINView::kClearAnimationDuration);
    EXPECT_EQ(view.text(), "67");

    std::make_unique<PINView>(recorder)->clearWithAnimated(true);  // a view gone before its clearing ended
    advance(PINView::kClearAnimationDuration);
}

}  // namespace
}  // namespace movra
