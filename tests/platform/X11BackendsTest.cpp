// End-to-end tests of the X11 workspace, synthetic keys and hot keys against a private Xvfb
// with openbox. main() starts the server before the QApplication, so Qt's own connection (the
// one these backends use) goes to it; the program doubles as the foreign clients the tests
// need (a text field to paste into, a clipboard owner Qt serves).

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/KeyTable.h"
#include "platform/X11TestEnvironment.h"
#include "platform/x11/X11KeyboardEvents.h"
#include "platform/x11/X11SystemHotkeys.h"
#include "platform/x11/X11Workspace.h"
#include "support/Wait.h"

namespace quillet::test {

namespace {

using namespace std::chrono_literals;

XvfbSession* g_session = nullptr;

// An xcb reply, freed with the object.
template <typename T>
std::unique_ptr<T, void (*)(void*)> freed(T* reply) {
    return {reply, &std::free};
}

CommandResult xdotool(const QStringList& arguments) {
    ChildProcess::Options options;
    options.environment = {x11Session().displayVariable()};
    return runCommand(QStringList{QStringLiteral("xdotool")} + arguments, 5s, options);
}

}  // namespace

XvfbSession& x11Session() {
    return *g_session;
}

xcb_connection_t* applicationConnection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

std::unique_ptr<ChildProcess> startHelper(const QString& role) {
    auto helper = std::make_unique<ChildProcess>();
    ChildProcess::Options options;
    options.environment = {x11Session().displayVariable(), QStringLiteral("QT_QPA_PLATFORM=xcb")};
    if (!helper->start({QCoreApplication::applicationFilePath(), QStringLiteral("--helper"), role},
                       options))
        return nullptr;
    return helper;
}

XConnection::XConnection() {
    m_connection = xcb_connect(x11Session().display().toLocal8Bit().constData(), nullptr);
    if (!xcb_connection_has_error(m_connection))
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

XConnection::~XConnection() {
    xcb_disconnect(m_connection);
}

xcb_atom_t XConnection::atom(const char* name) {
    const auto reply = freed(xcb_intern_atom_reply(
        m_connection,
        xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

xcb_window_t XConnection::selectionOwner(const char* selection) {
    const auto reply = freed(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, atom(selection)), nullptr));
    return reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
}

bool XConnection::grabKey(quint8 keycode, quint16 modifiers) {
    const auto error = freed(xcb_request_check(
        m_connection, xcb_grab_key_checked(m_connection, 0, m_root, modifiers, keycode,
                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)));
    return !error;
}

xcb_window_t XConnection::createWindow(const QByteArray& instance, const QByteArray& className,
                                       quint32 pid) {
    const xcb_window_t window = xcb_generate_id(m_connection);
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_root, 0, 0, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    const QByteArray wmClass = instance + '\0' + className + '\0';
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                        XCB_ATOM_STRING, 8, static_cast<uint32_t>(wmClass.size()),
                        wmClass.constData());
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_PID"),
                        XCB_ATOM_CARDINAL, 32, 1, &pid);
    const quint32 hints[9] = {1, 1};  // InputHint: the window takes keyboard focus
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS,
                        XCB_ATOM_WM_HINTS, 32, 9, hints);
    xcb_map_window(m_connection, window);
    xcb_flush(m_connection);
    return window;
}

xcb_window_t XConnection::createHiddenWindow() {
    const xcb_window_t window = xcb_generate_id(m_connection);
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_flush(m_connection);
    return window;
}

void XConnection::setProperty(xcb_window_t window, const char* name, xcb_atom_t type,
                              quint32 value) {
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom(name), type, 32, 1,
                        &value);
    xcb_flush(m_connection);
}

quint16 XConnection::modifierState() {
    const auto reply = freed(
        xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr));
    return reply ? reply->mask & 0xff : 0;
}

namespace {

// --- Workspace ----------------------------------------------------------------------------

std::optional<quint64> activeWindow(X11Workspace& workspace) {
    const auto app = workspace.frontmostApplication();
    return app ? std::optional(app->window) : std::nullopt;
}

TEST(X11Workspace, FrontmostIsTheActiveWindowWithItsClassAndPidAndActivateBringsItBack) {
    XConnection client;
    X11Workspace workspace(applicationConnection(), QStringLiteral("quillet"));
    const xcb_window_t first = client.createWindow("quillet-probe", "QuilletProbe", 424242);
    ASSERT_TRUE(waitFor([&] { return activeWindow(workspace) == first; }, 5s));
    const RunningApplication earlier = *workspace.frontmostApplication();
    EXPECT_EQ(earlier.bundleIdentifier, QStringLiteral("QuilletProbe"));
    EXPECT_EQ(earlier.pid, 424242);
    const xcb_window_t second = client.createWindow("second", "Second", 2);
    ASSERT_TRUE(waitFor([&] { return activeWindow(workspace) == second; }, 5s));

    workspace.activate(earlier);

    EXPECT_TRUE(waitFor([&] { return activeWindow(workspace) == first; }, 2s));
}

// --- Synthetic keys -----------------------------------------------------------------------

TEST(X11KeyboardEvents, HeldKeysAreSeenAndThePasteChordPastesAndReleasesControl) {
    X11KeyboardEvents keyboard(applicationConnection());
    ASSERT_TRUE(keyboard.isTrusted());
    ASSERT_TRUE(waitFor([&] { return !keyboard.anyKeyHeld(); }, 2s));
    ASSERT_EQ(xdotool({"keydown", "Shift_L"}).exitCode, 0);
    EXPECT_TRUE(waitFor([&] { return keyboard.anyKeyHeld(); }, 2s));
    ASSERT_EQ(xdotool({"keyup", "Shift_L"}).exitCode, 0);
    EXPECT_TRUE(waitFor([&] { return !keyboard.anyKeyHeld(); }, 2s));

    const auto owner = startHelper(QStringLiteral("text-owner"));
    ASSERT_TRUE(owner);
    XConnection client;
    ASSERT_TRUE(waitFor([&] { return client.selectionOwner("CLIPBOARD") != XCB_WINDOW_NONE; }, 5s));
    const auto target = startHelper(QStringLiteral("paste-target"));
    ASSERT_TRUE(target);
    X11Workspace workspace(applicationConnection(), QStringLiteral("quillet"));
    ASSERT_TRUE(waitFor(
        [&] {
            const auto app = workspace.frontmostApplication();
            return app && app->pid == target->pid();
        },
        10s));

    keyboard.postKey(9, true, EventFlag::pasteModifier);
    keyboard.postKey(9, false, EventFlag::pasteModifier);

    EXPECT_TRUE(
        waitFor([&] { return target->output().contains("text:pasted by the chord\n"); }, 5s))
        << target->output().constData();
    EXPECT_TRUE(waitFor([&] { return !keyboard.anyKeyHeld(); }, 2s));
}

// --- Hot keys -----------------------------------------------------------------------------

constexpr quint32 kSignature = 0x514c5454;
constexpr quint32 kSuperShift = 0x0100 | 0x0200;
constexpr quint32 kKeyV = 9;
constexpr quint32 kKeyB = 11;

class X11SystemHotkeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(X11KeyboardEvents(applicationConnection()).isTrusted())
            << "presses are made through XTEST";
        hotkeys.installHandler([this](quint32 signature, quint32 id) {
            presses.emplace_back(signature, id);
            return HotkeyStatus::noErr;
        });
    }

    static quint8 xKeycode(quint32 keyCode) {
        return static_cast<quint8>(KeyTable::x11Keycode(keyCode).value_or(0));
    }

    X11SystemHotkeys hotkeys{applicationConnection()};
    XConnection other;
    std::vector<std::pair<quint32, quint32>> presses;
};

TEST_F(X11SystemHotkeysTest, PressReachesTheHandlerWithItsIdWithNumLockOffAndOn) {
    ASSERT_TRUE(hotkeys.isAvailable());
    const auto v = hotkeys.registerHotkey(kKeyV, kSuperShift, kSignature, 7);
    const auto b = hotkeys.registerHotkey(kKeyB, kSuperShift, kSignature, 8);
    ASSERT_EQ(v.status, HotkeyStatus::noErr);
    ASSERT_EQ(b.status, HotkeyStatus::noErr);
    EXPECT_NE(v.ref, b.ref);
    EXPECT_EQ(hotkeys.registerHotkey(kKeyV, kSuperShift, kSignature, 9).status,
              HotkeyStatus::registrationFailed)
        << "the same combination twice";

    ASSERT_EQ(xdotool({"key", "super+shift+v"}).exitCode, 0);
    ASSERT_TRUE(waitFor([&] { return presses.size() == 1; }, 2s));
    EXPECT_EQ(presses.back(), std::make_pair(kSignature, quint32{7}));

    ASSERT_EQ(xdotool({"key", "Num_Lock"}).exitCode, 0);
    ASSERT_TRUE(waitFor([&] { return (other.modifierState() & XCB_MOD_MASK_2) != 0; }, 2s))
        << "Num Lock is expected on Mod2 in the server's default keymap";
    xdotool({"key", "super+shift+b"});
    const bool delivered = waitFor([&] { return presses.size() == 2; }, 2s);
    xdotool({"key", "Num_Lock"});
    ASSERT_TRUE(delivered);
    EXPECT_EQ(presses.back().second, 8u);
    EXPECT_TRUE(waitFor([&] { return (other.modifierState() & XCB_MOD_MASK_2) == 0; }, 2s));
}

TEST_F(X11SystemHotkeysTest, AKeyIsGrabbedInEveryLockVariantOrInNone) {
    const quint8 b = xKeycode(kKeyB);
    const quint8 v = xKeycode(kKeyV);
    const quint16 superShift = XCB_MOD_MASK_4 | XCB_MOD_MASK_SHIFT;
    // The other client holds only B's Caps Lock variant, so ours fails part-way through.
    ASSERT_TRUE(other.grabKey(b, superShift | XCB_MOD_MASK_LOCK));
    const auto refused = hotkeys.registerHotkey(kKeyB, kSuperShift, kSignature, 1);
    EXPECT_EQ(refused.status, HotkeyStatus::registrationFailed);
    EXPECT_FALSE(refused.ref.has_value());
    EXPECT_TRUE(other.grabKey(b, superShift)) << "the plain variant was left grabbed";

    const auto registration = hotkeys.registerHotkey(kKeyV, kSuperShift, kSignature, 2);
    ASSERT_EQ(registration.status, HotkeyStatus::noErr);
    EXPECT_FALSE(other.grabKey(v, superShift | XCB_MOD_MASK_2));
    hotkeys.unregisterHotkey(*registration.ref);
    for (int locks :
         {0, XCB_MOD_MASK_LOCK + 0, XCB_MOD_MASK_2 + 0, XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK})
        EXPECT_TRUE(other.grabKey(v, static_cast<quint16>(superShift | locks)))
            << "lock bits " << locks << " still grabbed after unregistering";
}

// --- Helper roles -------------------------------------------------------------------------

// The foreign clients the tests need: "text-owner" and "secret-owner" own the clipboard, the
// latter with text a password manager marked as secret; "paste-target" is a focused text
// field that reports every change of its text on standard output.
int runHelper(int argc, char** argv) {
    const QByteArray role = argv[2];
    QApplication app(argc, argv);
    QLineEdit edit;
    if (role == "paste-target") {
        QObject::connect(&edit, &QLineEdit::textChanged, [](const QString& text) {
            std::printf("text:%s\n", text.toUtf8().constData());
            std::fflush(stdout);
        });
        edit.show();
        edit.activateWindow();
    } else {
        auto* data = new QMimeData;
        data->setText(role == "secret-owner" ? "hunter2" : "pasted by the chord");
        if (role == "secret-owner") data->setData("x-kde-passwordManagerHint", "secret");
        QGuiApplication::clipboard()->setMimeData(data);
    }
    return app.exec();
}

}  // namespace
}  // namespace quillet::test

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--helper") == 0)
        return quillet::test::runHelper(argc, argv);

    ::testing::InitGoogleTest(&argc, argv);
    QString error;
    const auto session = quillet::test::XvfbSession::start({.windowManager = true}, &error);
    if (!session) {
        std::fprintf(stderr, "cannot start the X server: %s\n", qPrintable(error));
        return 1;
    }
    quillet::test::g_session = session.get();
    session->exportDisplay();
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
