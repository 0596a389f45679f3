#include <gtest/gtest.h>

#include "fakes/FakeKeyboardEvents.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/ManualClock.h"
#include "paste/AppFocusService.h"
#include "paste/PasteActionService.h"
#include "paste/PasteSequence.h"

namespace quillet {
namespace {

using test::FakeKeyboardEvents;
using test::FakeWorkspace;
using test::ManualClock;

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

    workspace.frontmost = app("editor", 1);
    focus.captureFrontmostApp();
    EXPECT_EQ(focus.previousApp(), app("editor", 1));

    // Our own settings window in front: the earlier application stays the one to return to.
    workspace.frontmost = app("quillet", 2);
    focus.captureFrontmostApp();
    EXPECT_EQ(focus.previousApp(), app("editor", 1));

    workspace.frontmost.reset();
    focus.captureFrontmostApp();
    EXPECT_EQ(focus.previousApp(), app("editor", 1));
}

TEST_F(FocusTest, MissingIdentifiersCompareAsOptionalTexts) {
    workspace.frontmost = app(nullptr, 3);
    focus.captureFrontmostApp();
    EXPECT_EQ(focus.previousApp(), app(nullptr, 3)) << "absent differs from our identifier";

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
    ASSERT_EQ(workspace.activations.size(), 1u);
    EXPECT_EQ(workspace.activations[0], app("editor", 1));
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
    ManualClock clock;
    PasteActionService paste{keyboard, clock, log};

    QStringList lines() { return output.split('\n', Qt::SkipEmptyParts); }
};

TEST_F(PasteTest, WithoutPermissionTwoLinesAndNoEvents) {
    keyboard.trusted = false;
    paste.performPaste();
    EXPECT_EQ(lines(),
              (QStringList{"DEBUG: PasteActionService - AXIsProcessTrusted: false",
                           "DEBUG: PasteActionService - Auto-paste skipped: No permissions"}));
    EXPECT_TRUE(keyboard.posted.empty());
}

TEST_F(PasteTest, WithPermissionThreeLinesAndTheChordDownThenUp) {
    paste.performPaste();
    EXPECT_EQ(lines(), (QStringList{"DEBUG: PasteActionService - AXIsProcessTrusted: true",
                                    "DEBUG: PasteActionService - Posting CGEvent (Cmd+V)",
                                    "DEBUG: PasteActionService - Events posted"}));
    using Key = FakeKeyboardEvents::PostedKey;
    EXPECT_EQ(keyboard.posted,
              (std::vector<Key>{{9, true, EventFlag::command}, {9, false, EventFlag::command}}));
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

TEST_F(PasteTest, TheSequencePastesAfterTheDelayOnlyWhileItsOwnerLives) {
    FakeWorkspace workspace;
    AppFocusService focus(workspace, clock);
    workspace.frontmost = app("editor", 1);
    focus.captureFrontmostApp();

    QObject owner;
    finishPaste(focus, paste, &owner);
    EXPECT_EQ(workspace.activations.size(), 1u);
    EXPECT_TRUE(keyboard.posted.empty()) << "the chord waits for the activation";
    clock.advance(AppFocusService::activationDelayMs);
    EXPECT_EQ(keyboard.posted.size(), 2u);

    keyboard.posted.clear();
    auto gone = std::make_unique<QObject>();
    finishPaste(focus, paste, gone.get());
    gone.reset();
    clock.advance(AppFocusService::activationDelayMs);
    EXPECT_TRUE(keyboard.posted.empty()) << "its owner is gone: nothing is posted";

    // Without a remembered application the chord goes out in the same turn.
    AppFocusService fresh(workspace, clock);
    finishPaste(fresh, paste, &owner);
    EXPECT_EQ(keyboard.posted.size(), 2u);
}

}  // namespace
}  // namespace quillet
