#include <gtest/gtest.h>

#include "menus/PanelCoordinator.h"

namespace quillet {
namespace {

TEST(PanelPlacementTest, AWindowIsCentredShrunkAndKeptInsideItsScreen) {
    struct Case {
        const char* what;
        QRect frame;
        QRect available;
        QRect expected;
    };
    const Case cases[] = {
        {"fits: centred", {0, 0, 400, 500}, {0, 0, 1280, 800}, {440, 150, 400, 500}},
        {"a second screen left of the first",
         {0, 0, 400, 500},
         {-1920, 0, 1920, 1080},
         {-1159, 290, 400, 500}},
        {"scale 2 on 1280x800: 800x1000 is cut to the screen",
         {0, 0, 800, 1000},
         {0, 0, 640, 400},
         {0, 0, 640, 400}},
        {"a panel at the top", {0, 0, 400, 500}, {0, 24, 1280, 400}, {440, 24, 400, 400}},
        {"odd sizes stay inside", {0, 0, 401, 501}, {10, 10, 402, 502}, {10, 10, 401, 501}},
    };
    for (const Case& c : cases) {
        const QRect fitted = PanelCoordinator::fitInside(c.frame, c.available);
        EXPECT_EQ(fitted, c.expected) << c.what;
        EXPECT_TRUE(c.available.contains(fitted)) << c.what;
    }
}

}  // namespace
}  // namespace quillet
