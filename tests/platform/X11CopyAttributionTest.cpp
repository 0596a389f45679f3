// Which application a copy is attributed to, against a real X server and window manager:
// each XConnection is a client of its own, as the programs that copy would be.

#include <gtest/gtest.h>

#include <QStringList>
#include <optional>

#include "platform/X11TestEnvironment.h"
#include "platform/x11/X11ClipboardReader.h"
#include "platform/x11/X11CopyAttribution.h"
#include "support/Wait.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

class X11CopyAttributionTest : public ::testing::Test {
protected:
    // The names the attribution settles on once the window manager has caught up.
    bool settlesOn(xcb_window_t owner, const QStringList& expected) {
        return waitFor([&] { return attribution.applicationOf(owner) == expected; }, 5s);
    }
    // Maps a top-level window and waits until the window manager has given it the focus, so
    // that focus changes happen in the order of the test.
    xcb_window_t focusedWindow(XConnection& client, const QByteArray& instance,
                               const QByteArray& className, quint32 pid) {
        const xcb_window_t window = client.createWindow(instance, className, pid);
        EXPECT_TRUE(settlesOn(nameless, {QString::fromLatin1(instance),
                                         QString::fromLatin1(className)}));
        return window;
    }
    // A window of a client of its own takes the focus, so that the focused-window rule would
    // name it if it were asked first.
    void focusElsewhere() { focusedWindow(bystander, "bystander", "Bystander", 1); }

    XConnection reader;
    X11CopyAttribution attribution{reader.get(), reader.root()};
    XConnection bystander;
    XConnection namelessClient;  // no window of its own to name it: only the focus can
    xcb_window_t nameless = namelessClient.createHiddenWindow();
};

TEST_F(X11CopyAttributionTest, TheOwnersClassComesFirstThenItsClientsTopLevel) {
    XConnection manager;
    const xcb_window_t owner = focusedWindow(manager, "keepassxc", "KeePassXC", 4001);
    focusElsewhere();
    EXPECT_EQ(attribution.applicationOf(owner), (QStringList{"keepassxc", "KeePassXC"}));

    // A hidden owner of a client that has a window of its own on the desktop (Qt, GTK).
    XConnection editor;
    focusedWindow(editor, "editor", "Editor", 4002);
    const xcb_window_t hidden = editor.createHiddenWindow();
    focusElsewhere();
    EXPECT_EQ(attribution.applicationOf(hidden), (QStringList{"editor", "Editor"}));
}

TEST_F(X11CopyAttributionTest, AnotherConnectionOfTheSameProgramIsFoundByLeaderOrPid) {
    // The clipboard is served by one connection, the window belongs to another.
    XConnection mailWindows;
    XConnection mailClipboard;
    const xcb_window_t leader = mailWindows.createHiddenWindow();
    const xcb_window_t mail = focusedWindow(mailWindows, "mail", "Mail", 4101);
    mailWindows.setProperty(mail, "WM_CLIENT_LEADER", XCB_ATOM_WINDOW, leader);
    const xcb_window_t byLeader = mailClipboard.createHiddenWindow();
    mailClipboard.setProperty(byLeader, "WM_CLIENT_LEADER", XCB_ATOM_WINDOW, leader);

    XConnection viewerWindows;
    XConnection viewerClipboard;
    focusedWindow(viewerWindows, "viewer", "Viewer", 4102);
    const xcb_window_t byPid = viewerClipboard.createHiddenWindow();
    viewerClipboard.setProperty(byPid, "_NET_WM_PID", XCB_ATOM_CARDINAL, 4102);

    focusElsewhere();
    EXPECT_EQ(attribution.applicationOf(byLeader), (QStringList{"mail", "Mail"}));
    EXPECT_EQ(attribution.applicationOf(byPid), (QStringList{"viewer", "Viewer"}));
}

TEST_F(X11CopyAttributionTest, AnOwnerThatNamesNothingIsTheFocusedWindowsCopy) {
    XConnection xclipLike;  // a bare window and no other: what xclip does
    const xcb_window_t owner = xclipLike.createHiddenWindow();
    XConnection terminal;
    focusedWindow(terminal, "xterm", "XTerm", 4201);
    EXPECT_EQ(attribution.applicationOf(owner), (QStringList{"xterm", "XTerm"}));
}

TEST_F(X11CopyAttributionTest, AnOversizedClassIsCutAndAGoneOwnerNamesNothingOfItsOwn) {
    XConnection hostile;
    const xcb_window_t owner = hostile.createHiddenWindow();
    const QByteArray huge(200000, 'x');
    xcb_change_property(hostile.get(), XCB_PROP_MODE_REPLACE, owner, XCB_ATOM_WM_CLASS,
                        XCB_ATOM_STRING, 8, huge.size(), huge.constData());
    xcb_flush(hostile.get());
    focusElsewhere();
    EXPECT_TRUE(waitFor(
        [&] {
            const QStringList names = attribution.applicationOf(owner);
            return names.size() == 1 && names[0].size() == int(X11CopyAttribution::maxClassBytes);
        },
        5s));

    // A window that no longer exists is answered by the server with an error, not a wait.
    EXPECT_EQ(attribution.applicationOf(0x7ffffff0), (QStringList{"bystander", "Bystander"}));
}

// The reader asks the owner nothing when the copy's application is ignored.
TEST_F(X11CopyAttributionTest, TheReaderLeavesAnIgnoredOwnerUnasked) {
    XConnection manager;
    const xcb_window_t owner = manager.createWindow("keepassxc", "KeePassXC", 4301);
    const xcb_atom_t clipboard = manager.atom("CLIPBOARD");
    xcb_set_selection_owner(manager.get(), owner, clipboard, XCB_CURRENT_TIME);
    xcb_flush(manager.get());

    X11ClipboardReader reader(x11Session().display().toLocal8Bit(), 300ms);
    EXPECT_EQ(reader.attribution(), CopyAttribution::ownerWindowClass);
    // Requests the owner received since the last look.
    auto requests = [&] {
        int count = 0;
        while (xcb_generic_event_t* event = xcb_poll_for_event(manager.get())) {
            if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST) ++count;
            free(event);
        }
        return count;
    };

    reader.setIgnoredApplications({"KEEPASSXC"});
    const auto ignored = readSnapshot(reader, 1);
    ASSERT_TRUE(ignored.has_value());
    EXPECT_EQ(ignored->application, (QStringList{"keepassxc", "KeePassXC"}));
    EXPECT_TRUE(ignored->types.isEmpty());
    EXPECT_FALSE(ignored->text.has_value());
    EXPECT_EQ(requests(), 0);

    // Off the list (a name only like it is not on it), the same owner is asked for its
    // formats; silent, it is abandoned at the deadline.
    reader.setIgnoredApplications({"keepass"});
    ASSERT_TRUE(readSnapshot(reader, 2).has_value());
    EXPECT_GE(requests(), 1);

    xcb_set_selection_owner(manager.get(), XCB_WINDOW_NONE, clipboard, XCB_CURRENT_TIME);
    xcb_flush(manager.get());
}

}  // namespace
}  // namespace quillet::test
