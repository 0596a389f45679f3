#pragma once

#include <gtest/gtest.h>

#include <QRect>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <chrono>
#include <memory>
#include <optional>
#include <utility>

#include "history/ClipboardMonitor.h"
#include "support/ChildProcess.h"
#include "support/KWinSession.h"
#include "support/MutterSession.h"
#include "support/SwaySession.h"
#include "support/TempDir.h"
#include "support/XvfbSession.h"

struct sqlite3;

namespace quillet::test {

// Runs the real quillet in a private home on the shared X server (or a private Wayland
// compositor) and reads its store.
class QuilletDriver {
public:
    explicit QuilletDriver(const XvfbSession& x);
    explicit QuilletDriver(const SwaySession& sway);
    // On GNOME quillet is a Wayland client that also reaches XWayland, so it runs inside the
    // compositor's namespaces.
    explicit QuilletDriver(const MutterSession& mutter);
    // On KWin the program runs as KWin's user, which is how KWin can tell it is quillet.
    explicit QuilletDriver(const KWinSession& kwin);
    ~QuilletDriver();

    // Starts quillet and waits until it answers; false with the reason in `error`.
    bool start(QString* error);
    // Asks it to quit and waits for the process to end.
    bool quit();
    ChildProcess& process() { return *m_process; }

    // Runs `quillet <argument>` as a second process; returns its exit code (-1 on timeout).
    int command(const QString& argument, QByteArray* output = nullptr);
    // The same with any arguments and time limit.
    int command(const QStringList& arguments, QByteArray* output = nullptr,
                std::chrono::milliseconds timeout = std::chrono::seconds(10));

    // What `quillet --status` prints; empty when it failed.
    QByteArray status();
    // Clips in the store, newest first (read straight from the file).
    QStringList clips() const;
    // Waits until the store holds exactly these clips, newest first.
    bool holds(const QStringList& newestFirst,
               std::chrono::milliseconds within = std::chrono::seconds(5)) const;
    // Waits until `text` is the newest clip.
    bool recordedFirst(const QString& text,
                       std::chrono::milliseconds within = std::chrono::seconds(5)) const;
    // Adds a category with phrases (title, body) to the store file (quillet must have made it).
    void addPhraseCategory(const QString& name, qint64 sortOrder,
                           const QList<QPair<QString, QString>>& phrases);
    // The phrases (title, body) of the first category of that name, by sortOrder.
    QList<QPair<QString, QString>> phrases(const QString& category) const;
    // The categories' names in their order.
    QStringList categoryNames() const;
    // How many phrases that category holds, without reading them.
    qsizetype phraseCount(const QString& category) const;
    // Writes a raw settings value as the program stores it.
    void storeSetting(const QString& key, const QVariant& value);

    QString storePath() const;
    // The program's environment. The update feed points at a closed loopback port unless a
    // test serves one: no run ever reaches beyond this machine.
    QStringList environment() const;
    void setUpdateFeed(const QUrl& url) { m_updateFeed = url; }
    // More variables for the program and every command (e.g. its language).
    void addEnvironment(const QStringList& variables) { m_extraEnvironment += variables; }
    // Starts the program under these descriptor limits (as `ulimit -n` would leave them).
    void setDescriptorLimits(int soft, int hard) { m_descriptorLimits = {soft, hard}; }
    // Standard error (warnings, debug lines) kept in process().output() too.
    void keepErrors() { m_keepErrors = true; }
    const TempDir& home() const { return m_home; }
    // Milliseconds for one "ping" over the command socket from this process (no process
    // start in between); -1 when it got no answer within `timeoutMs`.
    qint64 socketRoundTripMs(int timeoutMs);

private:
    explicit QuilletDriver(QStringList sessionEnvironment,
                           std::function<QStringList(QStringList)> launch = {});

    // Where the program's windows go: the display and the Qt platform that reaches it.
    QStringList m_sessionEnvironment;
    // Wraps the program's command line (to run it where its display is); none runs it as is.
    std::function<QStringList(QStringList)> m_launch;
    TempDir m_home;
    QStringList m_launchPrefix;  // runs the program as another user
    std::unique_ptr<ChildProcess> m_process;
    bool m_keepErrors = false;
    std::optional<std::pair<int, int>> m_descriptorLimits;
    QStringList m_extraEnvironment;
    QUrl m_updateFeed{QStringLiteral("http://127.0.0.1:9/app/quilletbox/appcast.xml")};
};

// Another writer on a store: while it lives it holds the write lock, so every write of the
// program waits for it (as behind a slow disk or a second program on the file).
class StoreWriteLock {
public:
    explicit StoreWriteLock(const QString& storePath);
    ~StoreWriteLock() { release(); }
    StoreWriteLock(const StoreWriteLock&) = delete;
    StoreWriteLock& operator=(const StoreWriteLock&) = delete;

    bool held() const { return m_held; }
    void release();

private:
    sqlite3* m_db = nullptr;
    bool m_held = false;
};

// Puts text on the CLIPBOARD from another program (xclip stays as the owner).
void copyWithXclip(const XvfbSession& x, const QString& text);
void copyWithXsel(const XvfbSession& x, const QString& text);

// A copy the monitor has not recorded after this long never will be: two of its polls and
// the time an owner takes to answer.
constexpr std::chrono::milliseconds kUnrecordedWindow =
    2 * std::chrono::milliseconds(ClipboardMonitor::pollIntervalMs) +
    std::chrono::milliseconds(200);

// Polls `predicate` for `window` and reports whether it stayed true all along.
bool staysTrue(const std::function<bool()>& predicate, std::chrono::milliseconds window);

// Runs xdotool with the given arguments; returns its standard output.
QByteArray xdotool(const XvfbSession& x, const QStringList& arguments);
// Whether a visible window of quillet (a menu or the panel) is mapped.
bool quilletWindowVisible(const XvfbSession& x);
int visibleQuilletWindows(const XvfbSession& x);
// The outer frames (window-manager decorations included) of quillet's visible windows, and
// the area the window manager leaves to windows, in the server's pixels.
QList<QRect> quilletWindowFrames(const XvfbSession& x);
QRect workArea(const XvfbSession& x);
// In an open pop-up menu: highlights the first entry, opens its submenu, waits for it, then
// presses `keys` there.
void chooseInFirstSubmenu(const XvfbSession& x, const QStringList& keys);
// Whether the active window belongs to the test's target program.
bool targetIsActive(const XvfbSession& x);
// Whether the active window is one of quillet's.
bool quilletIsActive(const XvfbSession& x);

// ASSERT_TRUE(started(quillet)): starts it, failing with the reason when it would not.
inline ::testing::AssertionResult started(QuilletDriver& quillet) {
    QString error;
    if (quillet.start(&error)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << qPrintable(error);
}

QString quilletBinary();
QString targetBinary();

}  // namespace quillet::test
