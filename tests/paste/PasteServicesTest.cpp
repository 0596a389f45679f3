#include <gtest/gtest.h>

#include <QSettings>
#include <utility>

#include "fakes/FakeKeyboardEvents.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/ManualClock.h"
#include "paste/AppFocusService.h"
#include "paste/PasteActionService.h"
#include "paste/PasteChords.h"
#include "paste/PasteSequence.h"
#include "support/TempDir.h"

namespace quillet {
namespace {

using test::FakeKeyboardEvents;
using test::FakePasteboard;
using test::FakeWorkspace;
using test::ManualClock;
using test::TempDir;

RunningApplication app(const char* id, quint64 window) {
    return {window, qint64(window) + 1000,
            id ? std::optional<QString>(QString::fromLatin1(id)) : std::nullopt};
}

class FocusTest : public ::testing::Test {
protected:
    FakeWorkspace workspace;
    ManualClock clock;
    AppFocusService focus{workspace, clock};
};

TEST_F(FocusTest, RemembersOtherApplicationsButNeverItselfAndNeverClears) {
    focus.captureFrontmostApp();
    EXPECT_FALSE(focus.previousApp()) << "nothing frontmost: nothing captured";
    workspace.frontmost = app(nullptr, 3);
    focus.captureFrontmostApp();
    EXPECT_EQ(focus.previousApp(), app(nullptr, 3)) << "absent differs from our identifier";
    workspace.frontmost = app("editor", 1);
    focus.captureFrontmostApp();
    // Our own window in front, or none: the earlier application stays the one to return to.
    for (auto frontmost : {std::optional(app("quillet", 2)), std::optional<RunningApplication>()}) {
        workspace.frontmost = frontmost;
        focus.captureFrontmostApp();
        EXPECT_EQ(focus.previousApp(), app("editor", 1));
    }

    FakeWorkspace anonymous;
    anonymous.ownIdentifier.reset();
    AppFocusService anonymousFocus(anonymous, clock);
    anonymous.frontmost = app(nullptr, 4);
    anonymousFocus.captureFrontmostApp();
    EXPECT_FALSE(anonymousFocus.previousApp()) << "two absent identifiers count as equal";
    anonymous.frontmost = app("terminal", 5);
    anonymousFocus.captureFrontmostApp();
    EXPECT_EQ(anonymousFocus.previousApp(), app("terminal", 5));
}

TEST_F(FocusTest, RestoreActivatesThenContinuesAfterTheDelay) {
    int ran = 0;
    focus.restorePreviousApp([&] { ++ran; });
    EXPECT_EQ(ran, 1) << "nothing remembered: at once";
    EXPECT_TRUE(workspace.activations.empty());

    workspace.frontmost = app("editor", 1);
    focus.captureFrontmostApp();
    focus.restorePreviousApp([&] { ++ran; });
    EXPECT_EQ(workspace.activations, std::vector{app("editor", 1)});
    clock.advance(AppFocusService::activationDelayMs - 1);
    EXPECT_EQ(ran, 1);
    clock.advance(1);
    EXPECT_EQ(ran, 2);
    EXPECT_TRUE(focus.previousApp()) << "still remembered afterwards";
}

class PasteTest : public ::testing::Test {
protected:
    QString output;
    QTextStream log{&output};
    FakeKeyboardEvents keyboard;
    FakePasteboard pasteboard;
    ManualClock clock;
    PasteActionService paste{keyboard, pasteboard, clock, log};
};

TEST_F(PasteTest, PostsTheChordDownThenUpOnlyWithPermissionAndSaysSo) {
    keyboard.trusted = false;
    paste.performPaste();
    EXPECT_TRUE(keyboard.posted.empty());
    keyboard.trusted = true;
    paste.performPaste();
    using Key = FakeKeyboardEvents::PostedKey;
    EXPECT_EQ(keyboard.posted, (std::vector<Key>{{9, true, EventFlag::pasteModifier},
                                                 {9, false, EventFlag::pasteModifier}}));
    EXPECT_EQ(output.split('\n', Qt::SkipEmptyParts),
              (QStringList{"DEBUG: PasteActionService - AXIsProcessTrusted: false",
                           "DEBUG: PasteActionService - Auto-paste skipped: No permissions",
                           "DEBUG: PasteActionService - AXIsProcessTrusted: true",
                           "DEBUG: PasteActionService - Posting CGEvent (Cmd+V)",
                           "DEBUG: PasteActionService - Events posted"}));
}

TEST_F(PasteTest, TerminalsGetShiftInsertWithTheTextInPrimaryToo) {
    pasteboard.setString("ls -l");
    using Key = FakeKeyboardEvents::PostedKey;
    const std::vector<Key> controlV{{9, true, EventFlag::pasteModifier},
                                    {9, false, EventFlag::pasteModifier}};
    const std::vector<Key> shiftInsert{{114, true, EventFlag::shift},
                                       {114, false, EventFlag::shift}};
    for (const char* terminal : {"XTerm", "URxvt", "Gnome-terminal", "konsole", "kitty"}) {
        keyboard.posted.clear();
        paste.performPaste(QString(terminal));
        EXPECT_EQ(keyboard.posted, shiftInsert) << terminal;
    }
    EXPECT_EQ(pasteboard.primary, "ls -l");

    pasteboard.primary.reset();
    for (const std::optional<QString>& other :
         {std::optional<QString>("firefox"), std::optional<QString>()}) {
        keyboard.posted.clear();
        paste.performPaste(other);
        EXPECT_EQ(keyboard.posted, controlV);
    }
    EXPECT_FALSE(pasteboard.primary) << "PRIMARY is left alone outside terminals";
}

TEST_F(PasteTest, ShiftInsertWaitsForPrimaryAndIsNotSentWhenPrimaryRefusesTheText) {
    int manualNotices = 0;
    paste.setManualPasteNotice([&] { ++manualNotices; });
    pasteboard.setString("rm -i notes");
    pasteboard.lendsPrimary.reset();
    paste.performPaste(QString("xterm"));
    EXPECT_EQ(pasteboard.primary, "rm -i notes");
    EXPECT_TRUE(keyboard.posted.empty()) << "not before PRIMARY holds the text";
    ASSERT_EQ(pasteboard.unansweredPrimary.size(), 1u);
    std::exchange(pasteboard.unansweredPrimary, {}).front()(true);
    EXPECT_EQ(keyboard.posted.size(), 2u);
    EXPECT_TRUE(output.endsWith("DEBUG: PasteActionService - Events posted\n"));

    // PRIMARY still holds whatever the user selected: the terminal would paste that instead.
    keyboard.posted.clear();
    paste.performPaste(QString("xterm"));
    ASSERT_EQ(pasteboard.unansweredPrimary.size(), 1u);
    std::exchange(pasteboard.unansweredPrimary, {}).front()(false);
    EXPECT_TRUE(keyboard.posted.empty());
    EXPECT_EQ(manualNotices, 1) << "the clipboard holds the text: the user is told to paste it";
}

TEST(PasteChordsTest, TheSettingsOverrideAndExtendTheTerminalList) {
    TempDir dir;
    QSettings settings(dir.file("quillet.ini"), QSettings::IniFormat);
    settings.setValue("pasteChords/XTerm", "Ctrl+V");
    settings.setValue("pasteChords/MyEditor", "shift + insert");
    settings.setValue("pasteChords/Broken", "alt+f4");
    settings.setValue("pasteChords/MyShell", "Shift+Ctrl+V");
    const PasteChords chords = PasteChords::fromSettings(settings);
    EXPECT_EQ(chords.chordFor(QString("xterm")), PasteChord::controlV);
    EXPECT_EQ(chords.chordFor(QString("myeditor")), PasteChord::shiftInsert);
    EXPECT_EQ(chords.chordFor(QString("Broken")), PasteChord::controlV);
    EXPECT_EQ(chords.chordFor(QString("Alacritty")), PasteChord::shiftInsert);
    EXPECT_EQ(chords.chordFor(QString("myshell")), PasteChord::controlShiftV);

    // A Wayland session's terminals get its chord; the user's choices still win.
    const PasteChords wayland = PasteChords::fromSettings(settings, PasteChord::controlShiftV);
    EXPECT_EQ(wayland.chordFor(QString("foot")), PasteChord::controlShiftV);
    EXPECT_EQ(wayland.chordFor(QString("xterm")), PasteChord::controlV);
    EXPECT_EQ(wayland.chordFor(QString("myeditor")), PasteChord::shiftInsert);
    EXPECT_EQ(wayland.chordFor(QString("firefox")), PasteChord::controlV);
}

TEST_F(PasteTest, CtrlShiftVLeavesPrimaryAlone) {
    pasteboard.setString("ls -l");
    paste.setChords(PasteChords(PasteChord::controlShiftV));
    paste.performPaste(QString("kitty"));
    using Key = FakeKeyboardEvents::PostedKey;
    constexpr quint64 flags = EventFlag::pasteModifier | EventFlag::shift;
    EXPECT_EQ(keyboard.posted, (std::vector<Key>{{9, true, flags}, {9, false, flags}}));
    EXPECT_FALSE(pasteboard.primary);
}

TEST_F(PasteTest, WaitsForHeldKeysToBeReleasedButNotForever) {
    keyboard.keyHeld = true;
    paste.performPasteWhenKeysReleased();
    clock.advance(50);
    EXPECT_TRUE(keyboard.posted.empty()) << "not while the choosing key is down";
    keyboard.keyHeld = false;
    clock.advance(PasteActionService::keyPollMs);
    EXPECT_EQ(keyboard.posted.size(), 2u);

    keyboard.posted.clear();
    keyboard.keyHeld = true;  // a stuck key must not swallow the paste
    paste.performPasteWhenKeysReleased();
    clock.advance(PasteActionService::keyReleaseTimeoutMs);
    EXPECT_EQ(keyboard.posted.size(), 2u);
}

// Where held keys are unknown (Wayland), the paste waits a fixed time after the menu closed
// rather than polling a query that always says "none".
TEST_F(PasteTest, WaitsAFixedTimeWhereHeldKeysCannotBeKnown) {
    keyboard.heldKeysKnown = false;
    keyboard.keyHeld = true;  // what such a backend cannot know must not hold the paste up
    paste.performPasteWhenKeysReleased();
    EXPECT_TRUE(keyboard.posted.empty()) << "not while our menu may still have the focus";
    clock.advance(PasteActionService::blindReleaseDelayMs - 1);
    EXPECT_TRUE(keyboard.posted.empty());
    clock.advance(1);
    EXPECT_EQ(keyboard.posted.size(), 2u);
}

// Without a way to post keys the text stays on the clipboard and the user is told to paste.
TEST_F(PasteTest, TellsTheUserToPasteOnlyWhenItCannotPostTheChord) {
    int notices = 0;
    paste.setManualPasteNotice([&] { ++notices; });
    paste.performPaste();
    EXPECT_EQ(notices, 0);
    keyboard.trusted = false;
    paste.performPaste();
    EXPECT_EQ(notices, 1);
    EXPECT_TRUE(keyboard.posted.size() == 2u) << "only the trusted paste posted keys";
}

// The sequence every chooser runs after writing its text: nothing is said or pasted until the
// clipboard is known to hold the text, and a text that never got there is never pasted.
class PasteSequenceTest : public PasteTest {
protected:
    PasteSequenceTest() {
        workspace.frontmost = app("editor", 1);
        focus.captureFrontmostApp();
        workspace.frontmost.reset();
        pasteboard.confirms.reset();  // each test answers the confirmation itself
        paste.setManualPasteNotice([this] { ++manualNotices; });
        paste.setWriteFailedNotice([this] { ++failureNotices; });
        pasteboard.setString("chosen");
    }

    // Runs the sequence, then lets every delay it may start run out.
    void choose(QObject* owner, std::optional<bool> answer) {
        const auto activations = workspace.activations.size();
        const auto posted = keyboard.posted.size();
        finishPaste(focus, paste, owner);
        ASSERT_EQ(pasteboard.unanswered.size(), 1u) << "the sequence asks the clipboard first";
        clock.advance(AppFocusService::activationDelayMs + PasteActionService::keyReleaseTimeoutMs);
        EXPECT_EQ(workspace.activations.size(), activations) << "nothing before the answer";
        EXPECT_EQ(keyboard.posted.size(), posted);
        if (!answer) return;
        std::exchange(pasteboard.unanswered, {}).front()(*answer);
        clock.advance(AppFocusService::activationDelayMs + PasteActionService::keyReleaseTimeoutMs);
    }

    FakeWorkspace workspace;
    AppFocusService focus{workspace, clock};
    QObject owner;
    int manualNotices = 0;
    int failureNotices = 0;
};

TEST_F(PasteSequenceTest, PastesOnceTheClipboardIsKnownToHoldTheText) {
    choose(&owner, true);
    EXPECT_EQ(workspace.activations, std::vector{app("editor", 1)});
    EXPECT_EQ(keyboard.posted.size(), 2u);
    EXPECT_EQ(failureNotices, 0);

    // Without permission to post keys, "copied, paste by hand" is said only after the check.
    keyboard.trusted = false;
    choose(&owner, true);
    EXPECT_EQ(manualNotices, 1);
    EXPECT_EQ(failureNotices, 0);
}

TEST_F(PasteSequenceTest, AnUnconfirmedWriteIsNeitherPastedNorCalledCopied) {
    choose(&owner, false);
    EXPECT_TRUE(workspace.activations.empty());
    EXPECT_TRUE(keyboard.posted.empty());
    EXPECT_EQ(failureNotices, 1);
    EXPECT_EQ(manualNotices, 0);

    // Where the user would paste by hand, "copied" would be a lie too.
    keyboard.trusted = false;
    choose(&owner, false);
    EXPECT_EQ(failureNotices, 2);
    EXPECT_EQ(manualNotices, 0);
    EXPECT_FALSE(output.contains("Posting")) << output.toStdString();
}

TEST_F(PasteSequenceTest, NothingIsPastedForAChooserGoneBeforeTheAnswer) {
    auto chooser = std::make_unique<QObject>();
    choose(chooser.get(), std::nullopt);
    chooser.reset();
    std::exchange(pasteboard.unanswered, {}).front()(true);
    clock.advance(AppFocusService::activationDelayMs + PasteActionService::keyReleaseTimeoutMs);
    EXPECT_TRUE(workspace.activations.empty());
    EXPECT_TRUE(keyboard.posted.empty());
    EXPECT_EQ(failureNotices + manualNotices, 0);
}

}  // namespace
}  // namespace quillet
