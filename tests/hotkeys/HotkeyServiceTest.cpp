#include <gtest/gtest.h>

#include <vector>

#include "fakes/FakeSystemHotkeys.h"
#include "hotkeys/HotkeyService.h"

namespace quillet {
namespace {

using test::FakeSystemHotkeys;

const HotkeyConfig shiftCommandV(9, 0x0300);
const HotkeyConfig shiftCommandC(8, 0x0300);
const HotkeyConfig controlOptionX(7, 0x1800);

class HotkeyServiceTest : public ::testing::Test {
protected:
    HotkeyService::Action record(int tag) {
        return [this, tag] { fired.push_back(tag); };
    }

    FakeSystemHotkeys system;
    HotkeyService service{system};
    std::vector<int> fired;
};

TEST_F(HotkeyServiceTest, APressRunsTheActionRegisteredUnderItsIdAlone) {
    system.refuse(7, 0x1800);
    EXPECT_FALSE(service.registerHotkey(3, controlOptionX, record(3)));
    ASSERT_TRUE(service.registerHotkey(1, shiftCommandV, record(1)));
    ASSERT_TRUE(service.registerHotkey(2, shiftCommandC, record(2)));
    EXPECT_EQ(system.installCount, 1) << "one handler, kept through a refused key";
    EXPECT_TRUE(system.active.front().handlerWasInstalled) << "installed before the first grab";

    EXPECT_EQ(system.press(8, 0x0300), HotkeyStatus::noErr);
    EXPECT_EQ(system.press(9, 0x0300), HotkeyStatus::noErr);
    EXPECT_EQ(system.deliver(fourCharCode("XXXX"), 2), HotkeyStatus::noErr)
        << "the signature is not compared";
    for (quint32 unknown : {0u, 3u})
        EXPECT_EQ(system.deliver(HotkeyService::signature, unknown), HotkeyStatus::eventNotHandled);
    EXPECT_EQ(fired, (std::vector<int>{2, 1, 2}));
}

TEST_F(HotkeyServiceTest, ReRegisteringAnIdReleasesTheEarlierGrabEvenWhenTheNewOneIsRefused) {
    ASSERT_TRUE(service.registerHotkey(1, shiftCommandV, record(1)));
    ASSERT_TRUE(service.registerHotkey(1, controlOptionX, record(11)));
    EXPECT_EQ(system.active.size(), 1u);
    EXPECT_EQ(system.released.size(), 1u);
    EXPECT_FALSE(system.press(9, 0x0300).has_value()) << "no longer grabbed";
    EXPECT_EQ(system.press(7, 0x1800), HotkeyStatus::noErr);
    EXPECT_EQ(fired, std::vector<int>{11});

    system.refuse(8, 0x0300);
    EXPECT_FALSE(service.registerHotkey(1, shiftCommandC, record(12)));
    EXPECT_TRUE(system.active.empty());
    EXPECT_FALSE(service.isRegistered(1));
    EXPECT_EQ(system.deliver(HotkeyService::signature, 1), HotkeyStatus::eventNotHandled);
    EXPECT_EQ(fired, std::vector<int>{11});
}

TEST_F(HotkeyServiceTest, UnregisteringReleasesOneIdOrEverythingWithTheHandler) {
    ASSERT_TRUE(service.registerHotkey(1, shiftCommandV, record(1)));
    ASSERT_TRUE(service.registerHotkey(2, shiftCommandC, record(2)));
    service.unregisterHotkey(2);
    service.unregisterHotkey(5);  // unknown: nothing happens
    EXPECT_EQ(system.released.size(), 1u);
    EXPECT_FALSE(system.press(8, 0x0300).has_value());
    EXPECT_EQ(system.press(9, 0x0300), HotkeyStatus::noErr);

    service.unregisterAll();
    EXPECT_TRUE(system.active.empty());
    EXPECT_EQ(system.released.size(), 2u);
    EXPECT_EQ(system.removeCount, 1);
    EXPECT_FALSE(system.handler);

    // Registering again installs a handler first.
    ASSERT_TRUE(service.registerHotkey(1, shiftCommandV, record(21)));
    EXPECT_EQ(system.installCount, 2);
    EXPECT_TRUE(system.active.front().handlerWasInstalled);
    EXPECT_EQ(system.press(9, 0x0300), HotkeyStatus::noErr);
    EXPECT_EQ(fired, (std::vector<int>{1, 21}));
}

TEST_F(HotkeyServiceTest, AnActionMayReRegisterItsOwnId) {
    int runs = 0;
    ASSERT_TRUE(service.registerHotkey(1, shiftCommandV, [&] {
        ++runs;
        service.registerHotkey(1, controlOptionX, record(11));
        ++runs;  // still running after its registration was replaced
    }));

    EXPECT_EQ(system.press(9, 0x0300), HotkeyStatus::noErr);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(system.press(7, 0x1800), HotkeyStatus::noErr);
    EXPECT_EQ(fired, std::vector<int>{11});
}

TEST_F(HotkeyServiceTest, AKeyCountsAsActiveOnlyOnceTheSystemSaysSo) {
    std::vector<quint32> heard;
    service.setStateListener([&](quint32 id) { heard.push_back(id); });
    system.answerLater = true;
    ASSERT_TRUE(service.registerHotkey(1, shiftCommandV, record(1)));
    ASSERT_TRUE(service.registerHotkey(2, shiftCommandC, record(2)));
    EXPECT_EQ(service.state(1), HotkeyState::pending);
    EXPECT_FALSE(service.isActive(1));

    system.report(1, HotkeyState::active);
    system.report(2, HotkeyState::refused);
    system.report(7, HotkeyState::active);  // never asked for
    EXPECT_TRUE(service.isActive(1));
    EXPECT_EQ(service.state(2), HotkeyState::refused);
    EXPECT_FALSE(service.state(7).has_value());
    EXPECT_EQ(heard, (std::vector<quint32>{1, 2, 1, 2}));

    // A late answer about a key given up meanwhile changes nothing.
    service.unregisterHotkey(2);
    system.report(2, HotkeyState::active);
    EXPECT_FALSE(service.state(2).has_value());

    // A refusal at once says whether the system refused or has no hot keys at all.
    system.answerLater = false;
    system.refuse(7, 0x1800);
    EXPECT_FALSE(service.registerHotkey(1, controlOptionX, record(3)));
    EXPECT_EQ(service.state(1), HotkeyState::refused);
    service.unregisterAll();
    EXPECT_FALSE(service.state(1).has_value());
}

TEST_F(HotkeyServiceTest, WhileSuspendedAPressIsHandedOverAsItsChord) {
    ASSERT_TRUE(service.registerHotkey(1, shiftCommandV, record(1)));
    ASSERT_TRUE(service.registerHotkey(2, shiftCommandC, record(2)));
    std::vector<HotkeyConfig> handedOver;
    service.suspend([&](const HotkeyConfig& chord) { handedOver.push_back(chord); });
    EXPECT_TRUE(service.isSuspended());
    EXPECT_EQ(system.press(9, 0x0300), HotkeyStatus::noErr) << "still ours, so not passed on";
    EXPECT_EQ(system.press(8, 0x0300), HotkeyStatus::noErr);
    EXPECT_TRUE(fired.empty()) << "no menu while recording";
    EXPECT_EQ(handedOver, (std::vector<HotkeyConfig>{shiftCommandV, shiftCommandC}));
    EXPECT_EQ(system.active.size(), 2u) << "the system keeps the keys";
    EXPECT_TRUE(system.released.empty());

    // A key registered meanwhile is suspended with the others.
    ASSERT_TRUE(service.registerHotkey(1, controlOptionX, record(11)));
    EXPECT_EQ(system.press(7, 0x1800), HotkeyStatus::noErr);
    EXPECT_EQ(handedOver.back(), controlOptionX);
    EXPECT_TRUE(fired.empty());

    service.resume();
    EXPECT_FALSE(service.isSuspended());
    system.press(7, 0x1800);
    system.press(8, 0x0300);
    EXPECT_EQ(fired, (std::vector<int>{11, 2}));
    EXPECT_EQ(handedOver.size(), 3u);

    // Suspended with nobody to hand presses to, they are swallowed.
    service.suspend(nullptr);
    EXPECT_TRUE(service.isSuspended());
    EXPECT_EQ(system.press(8, 0x0300), HotkeyStatus::noErr);
    EXPECT_EQ(fired.size(), 2u);
}

TEST(HotkeyServiceLifetime, TheHandlersGoWithTheService) {
    FakeSystemHotkeys system;
    HotkeyService(system).registerHotkey(1, shiftCommandV, [] {});
    EXPECT_FALSE(system.handler) << "a press must never reach a destroyed service";
    EXPECT_FALSE(system.stateHandler) << "nor an answer of the system";
}

}  // namespace
}  // namespace quillet
