#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include "hotkeys/HotkeyRecorder.h"
#include "platform/KeyboardEvents.h"

namespace quillet {
namespace {

// A window with the recorder and one other focusable control, as in the settings window.
class HotkeyRecorderTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(other);
        layout->addWidget(recorder);
        // The row shows the recorder only when recording starts.
        recorder->hide();
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        recorder->show();
    }

    // An event without a native scan code, as on the offscreen platform.
    void press(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, qtKey, modifiers);
        QApplication::sendEvent(recorder, &event);
    }

    // An event as the xcb platform delivers it, with the X keycode as native scan code.
    void pressNative(quint32 xKeycode, int qtKey, Qt::KeyboardModifiers modifiers,
                     bool autoRepeat = false) {
        QKeyEvent event(QEvent::KeyPress, qtKey, modifiers, xKeycode, 0, 0, QString(), autoRepeat);
        QApplication::sendEvent(recorder, &event);
    }

    QWidget window;
    QLineEdit* other = new QLineEdit(&window);
    HotkeyRecorder* recorder = new HotkeyRecorder(&window);
    QSignalSpy recordedSpy{recorder, &HotkeyRecorder::recorded};
    QSignalSpy cancelledSpy{recorder, &HotkeyRecorder::cancelled};
};

TEST_F(HotkeyRecorderTest, TakesTheFocusWhenShownAndCancelsOnlyWhenAnotherControlTakesIt) {
    EXPECT_TRUE(recorder->hasFocus());
    QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(recorder, &deactivated);
    EXPECT_EQ(cancelledSpy.count(), 0) << "switching to another window keeps recording";

    other->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(recorder->hasFocus());
    EXPECT_EQ(cancelledSpy.count(), 1);
    EXPECT_EQ(recordedSpy.count(), 0);
}

TEST_F(HotkeyRecorderTest, DeliversTheKeyWithItsModifiers) {
    const struct {
        quint32 xKeycode;  // 0: no native scan code, as on the offscreen platform
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        quint32 keyCode;
        quint64 flags;
    } cases[] = {
        {0, Qt::Key_A, Qt::ShiftModifier, 0, EventFlag::shift},
        {0, Qt::Key_Space, {}, 49, 0},
        // On a French layout the key at the Q position types A; the hot key names the position.
        {24, Qt::Key_A, Qt::MetaModifier | Qt::AltModifier, 12, EventFlag::super | EventFlag::alt},
        {0, Qt::Key_Tab, Qt::ControlModifier, 48, EventFlag::control},
        {0, Qt::Key_Tab, {}, 48, 0},  // recorded rather than moving the focus
    };
    for (const auto& c : cases) {
        pressNative(c.xKeycode, c.qtKey, c.modifiers);
        ASSERT_EQ(recordedSpy.count(), 1) << c.qtKey;
        EXPECT_EQ(recordedSpy.at(0).at(0).value<quint32>(), c.keyCode) << c.qtKey;
        EXPECT_EQ(recordedSpy.at(0).at(1).value<quint64>(), c.flags) << c.qtKey;
        recordedSpy.clear();
    }
    EXPECT_TRUE(recorder->hasFocus());
    EXPECT_EQ(cancelledSpy.count(), 0);
}

TEST_F(HotkeyRecorderTest, IgnoresModifiersLocksAutoRepeatAndKeysWithoutACode) {
    for (int key : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Meta, Qt::Key_Alt, Qt::Key_AltGr,
                    Qt::Key_CapsLock, Qt::Key_NumLock, Qt::Key_Super_L, Qt::Key_Super_R}) {
        press(key);
    }
    // By their X keycodes as well: left shift, caps lock, right Super, right Ctrl.
    for (quint32 x : {50u, 66u, 134u, 105u}) pressNative(x, Qt::Key_unknown, Qt::NoModifier);
    pressNative(55, Qt::Key_V, Qt::MetaModifier, /*autoRepeat=*/true);
    press(Qt::Key_VolumeUp, Qt::MetaModifier);
    EXPECT_EQ(recordedSpy.count(), 0);
    EXPECT_EQ(cancelledSpy.count(), 0);
}

TEST_F(HotkeyRecorderTest, EscapeCancelsWhateverModifiersAreHeld) {
    press(Qt::Key_Escape, Qt::MetaModifier);
    EXPECT_EQ(cancelledSpy.count(), 1);
    pressNative(9, Qt::Key_Escape, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(cancelledSpy.count(), 2);
    EXPECT_EQ(recordedSpy.count(), 0);
}

}  // namespace
}  // namespace quillet
