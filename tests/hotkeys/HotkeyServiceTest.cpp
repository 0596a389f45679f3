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

TEST_F(HotkeyServiceTest, RegistersTheConfigUnderTheSignatureAndId) {
    ASSERT_TRUE(service.registerHotkey(1, shiftCommandV, record(1)));

    ASSERT_EQ(system.active.size(), 1u);
    const auto& grab = system.active.front();
    EXPECT_EQ(grab.keyCode, 9u);
    EXPECT_EQ(grab.modifiers, 0x0300u);
    EXPECT_EQ(grab.signature, fourCharCode("QLHK"));
    EXPECT_EQ(grab.id, 1u);
    EXPECT_TRUE(grab.handlerWasInstalled);
    EXPECT_TRUE(service.isRegistered(1));
    EXPECT_EQ(service.hotKeyRef(1), grab.ref);

    EXPECT_EQ(system.press(9, 0x0300), HotkeyStatus::noErr);
    EXPECT_EQ(fired, std::vector<int>{1});
}

TEST_F(HotkeyServiceTest, InstallsTheHandlerOnceEvenWhenRegistrationFails) {
    system.refuse(9, 0x0300);
    EXPECT_FALSE(service.registerHotkey(1, shiftCommandV, record(1)));
    EXPECT_TRUE(service.hasHandler());
    EXPECT_FALSE(service.isRegistered(1));

    EXPECT_TRUE(service.registerHotkey(2, shiftCommandC, record(2)));
    EXPECT_EQ(system.installCount, 1);
    EXPECT_EQ(system.removeCount, 0);
}

TEST_F(HotkeyServiceTest, ReRegisteringAnIdReplacesTheEarlierHotkey) {
    ASSERT_TRUE(service.registerHotkey(1, shiftCommandV, record(1)));
    const auto firstRef = *service.hotKeyRef(1);
    ASSERT_TRUE(service.registerHotkey(1, controlOptionX, record(11)));

    EXPECT_EQ(service.registrationCount(), 1u);
    EXPECT_EQ(system.released, std::vector<FakeSystemHotkeys::Ref>{firstRef});
    ASSERT_EQ(system.active.size(), 1u);
    EXPECT_EQ(service.hotKeyRef(1), system.active.front().ref);

    EXPECT_FALSE(system.press(9, 0x0300).has_value());  // no longer grabbed
    EXPECT_EQ(system.press(7, 0x1800), HotkeyStatus::noErr);
    EXPECT_EQ(fired, std::vector<int>{11});
}

TEST_F(HotkeyServiceTest, AFailedReRegistrationLeavesNoEntry) {
    ASSERT_TRUE(service.registerHotkey(1, shiftCommandV, record(1)));
    system.refuse(7, 0x1800);

    EXPECT_FALSE(service.registerHotkey(1, controlOptionX, record(11)));
    EXPECT_FALSE(service.isRegistered(1));
    EXPECT_TRUE(system.active.empty());
    EXPECT_EQ(system.released.size(), 1u);
    EXPECT_EQ(system.deliver(HotkeyService::signature, 1), HotkeyStatus::eventNotHandled);
    EXPECT_TRUE(fired.empty());
}

TEST_F(HotkeyServiceTest, DispatchesByIdAlone) {
    ASSERT_TRUE(service.registerHotkey(1, shiftCommandV, record(1)));
    ASSERT_TRUE(service.registerHotkey(2, shiftCommandC, record(2)));

    EXPECT_EQ(system.press(8, 0x0300), HotkeyStatus::noErr);
    EXPECT_EQ(fired, std::vector<int>{2});

    // The signature is not compared.
    EXPECT_EQ(system.deliver(fourCharCode("XXXX"), 1), HotkeyStatus::noErr);
    EXPECT_EQ(fired, (std::vector<int>{2, 1}));
}

TEST_F(HotkeyServiceTest, AnUnknownIdIsNotHandledAndRunsNothing) {
    ASSERT_TRUE(service.registerHotkey(1, shiftCommandV, record(1)));
    EXPECT_EQ(system.deliver(HotkeyService::signature, 3), HotkeyStatus::eventNotHandled);
    EXPECT_EQ(service.handleHotkeyEvent(HotkeyService::signature, 0),
              HotkeyStatus::eventNotHandled);
    EXPECT_TRUE(fired.empty());
}

TEST_F(HotkeyServiceTest, UnregisterHotkeyReleasesOnlyThatId) {
    ASSERT_TRUE(service.registerHotkey(1, shiftCommandV, record(1)));
    ASSERT_TRUE(service.registerHotkey(2, shiftCommandC, record(2)));
    const auto ref2 = *service.hotKeyRef(2);

    service.unregisterHotkey(2);
    service.unregisterHotkey(5);  // unknown: nothing happens

    EXPECT_EQ(system.released, std::vector<FakeSystemHotkeys::Ref>{ref2});
    EXPECT_TRUE(service.isRegistered(1));
    EXPECT_FALSE(service.isRegistered(2));
    EXPECT_TRUE(service.hasHandler());
    EXPECT_FALSE(system.press(8, 0x0300).has_value());
}

TEST_F(HotkeyServiceTest, UnregisterAllReleasesEverythingAndTheHandler) {
    ASSERT_TRUE(service.registerHotkey(1, shiftCommandV, record(1)));
    ASSERT_TRUE(service.registerHotkey(2, shiftCommandC, record(2)));

    service.unregisterAll();

    EXPECT_EQ(service.registrationCount(), 0u);
    EXPECT_TRUE(system.active.empty());
    EXPECT_EQ(system.released.size(), 2u);
    EXPECT_FALSE(service.hasHandler());
    EXPECT_EQ(system.removeCount, 1);
    EXPECT_FALSE(system.handler);
}

TEST_F(HotkeyServiceTest, RegisteringAfterUnregisterAllReinstallsTheHandlerFirst) {
    ASSERT_TRUE(service.registerHotkey(1, shiftCommandV, record(1)));
    service.unregisterAll();

    ASSERT_TRUE(service.registerHotkey(1, shiftCommandV, record(21)));
    EXPECT_EQ(system.installCount, 2);
    EXPECT_TRUE(service.hasHandler());
    ASSERT_EQ(system.active.size(), 1u);
    EXPECT_TRUE(system.active.front().handlerWasInstalled);
    EXPECT_EQ(system.press(9, 0x0300), HotkeyStatus::noErr);
    EXPECT_EQ(fired, std::vector<int>{21});
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

}  // namespace
}  // namespace quillet
