#include <algorithm>

#include "e2e/PasteTargetFixture.h"
#include "support/Wait.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

// At scale 2 the shared 1280x800 screen is 640x400 to the program: smaller than the search
// panel as it is designed (400x500).
class WindowFitE2E : public PasteTargetFixture {
protected:
    // Waits until `count` quillet windows are up, then checks that each lies on the screen.
    void expectWindowsInside(int count, const char* what) {
        ASSERT_TRUE(waitFor([&] { return visibleQuilletWindows(x) == count; }, 10s)) << what;
        const QRect area = workArea(x);
        ASSERT_TRUE(area.isValid());
        // The window manager decorates a window shortly after it maps.
        EXPECT_TRUE(waitFor(
            [&] {
                const QList<QRect> frames = quilletWindowFrames(x);
                return frames.size() == count &&
                       std::all_of(frames.begin(), frames.end(),
                                   [&](const QRect& frame) { return area.contains(frame); });
            },
            5s))
            << what << ": " << describe(quilletWindowFrames(x)) << " not all inside "
            << describe({area});
    }
    static std::string describe(const QList<QRect>& rects) {
        std::string text;
        for (const QRect& r : rects)
            text += QStringLiteral("[%1,%2 %3x%4]")
                        .arg(r.x())
                        .arg(r.y())
                        .arg(r.width())
                        .arg(r.height())
                        .toStdString();
        return text;
    }
};

TEST_F(WindowFitE2E, ThePanelMadeAheadOfTimeFitsTheScreenAtScaleTwo) {
    quillet.addEnvironment({"QT_SCALE_FACTOR=2"});
    startQuilletAndTarget();

    // The panel is made ahead of time (its window exists, unmapped) before anything asks.
    ASSERT_TRUE(waitFor(
        [&] {
            return !xdotool(x, {"search", "--all", "--class", "--name", "^quillet$"})
                        .isEmpty();
        },
        10s));
    ASSERT_EQ(quillet.command("--search"), 0);
    ASSERT_NO_FATAL_FAILURE(expectWindowsInside(1, "the search panel"));
}

}  // namespace
}  // namespace quillet::test
