// The desktop portal of the GNOME rig: the fake RemoteDesktop portal, granting at once, on the
// session bus this process is given (DBUS_SESSION_BUS_ADDRESS, the compositor's), with every
// key it is sent pressed on Mutter's seat through a remote desktop session of Mutter's own,
// as the real portal hands them on. A process of its own, so that it answers at once while the
// test waits for something else.
//
// Prints "ready" once it owns the portal's name, then "key <evdev code> <state>" for each key
// in the order it was sent ("failed" after it when Mutter refused it).
#include <QCoreApplication>
#include <cstdio>

#include "fakes/FakeRemoteDesktopPortal.h"
#include "support/MutterRemoteKeyboard.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    using namespace quillet::test;
    QString error;
    const auto keyboard = MutterRemoteKeyboard::open(
        QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS")), &error);
    if (!keyboard) {
        std::fprintf(stderr, "no keyboard of Mutter's: %s\n", qPrintable(error));
        return 1;
    }
    FakeRemoteDesktopPortal portal(QStringLiteral("remote-desktop-portal"));
    if (!portal.registered) {
        std::fprintf(stderr, "cannot own org.freedesktop.portal.Desktop on this bus\n");
        return 1;
    }
    portal.onKey = [&keyboard](int keycode, uint state) {
        const bool taken = keycode >= 0 && keyboard->key(quint32(keycode), state != 0);
        std::printf("key %d %u%s\n", keycode, state, taken ? "" : " failed");
        std::fflush(stdout);
    };
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
