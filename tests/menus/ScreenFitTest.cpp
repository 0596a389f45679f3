// Every window of ours within the screen's available area, however it was made. CTest runs
// these once more at scale 2, where the offscreen screen (800x600) is 400x300 to the program:
// smaller than the search panel, the phrase window and the file dialog are designed.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QScreen>

#include "menus/MenuFixture.h"
#include "menus/ScreenFit.h"
#include "phrases/FileChooser.h"
#include "settings/SettingsView.h"
#include "support/Wait.h"

namespace quillet {
namespace {

class ScreenFitTest : public test::MenuFixture {
protected:
    ScreenFitTest() { fit.watch(qApp); }

    static QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }
    static void expectInside(QWidget* window, const char* what) {
        ASSERT_NE(window, nullptr) << what;
        EXPECT_TRUE(window->isVisible()) << what;
        const QRect frame = window->frameGeometry();
        EXPECT_TRUE(available().contains(frame))
            << what << " at " << frame.x() << "," << frame.y() << " " << frame.width() << "x"
            << frame.height() << " on a screen of " << available().width() << "x"
            << available().height();
    }

    ScreenFit fit;
};

TEST_F(ScreenFitTest, ThePanelMadeAheadOfTimeAndEveryOtherWindowFitTheScreen) {
    coordinator->prepareSearchPanel();
    test::drainEvents();
    coordinator->showHistoryPanel();
    test::drainEvents();
    expectInside(coordinator->searchPanel(), "the search panel made ahead of time");

    coordinator->showSettingsWindow();
    test::drainEvents();
    expectInside(coordinator->settingsWindow(), "the settings window");
    coordinator->settingsWindow()->close();

    coordinator->showManagementWindow();
    test::drainEvents();
    expectInside(coordinator->managementWindow(), "the phrase window");

    DialogFileChooser chooser;
    for (bool save : {false, true}) {
        if (save)
            chooser.chooseToSave(coordinator->managementWindow(), "save", "out.csv", {"csv"}, {});
        else
            chooser.chooseToOpen(coordinator->managementWindow(), "open", {});
        test::drainEvents();
        auto* dialog = coordinator->managementWindow()->findChild<QFileDialog*>("phraseFileDialog");
        expectInside(dialog, save ? "the save dialog" : "the open dialog");
        if (dialog) {
            dialog->reject();
            test::drainEvents();
        }
    }
}

TEST(ScreenFitRectTest, AFrameIsCutToTheAreaThenMovedJustInside) {
    const QRect area(0, 24, 640, 376);
    // Inside already: left where it is.
    EXPECT_EQ(ScreenFit::keepInside({10, 30, 200, 100}, area), QRect(10, 30, 200, 100));
    // Past the right and bottom edges: moved in, not centred.
    EXPECT_EQ(ScreenFit::keepInside({600, 380, 200, 100}, area), QRect(440, 300, 200, 100));
    // Larger than the area (800x1000 at scale 2): cut to it.
    EXPECT_EQ(ScreenFit::keepInside({-50, 0, 800, 1000}, area), area);
    // A second screen to the left.
    EXPECT_EQ(ScreenFit::keepInside({-30, 10, 100, 100}, QRect(-1920, 0, 1920, 1080)),
              QRect(-100, 10, 100, 100));
}

}  // namespace
}  // namespace quillet
