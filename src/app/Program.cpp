#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QSystemTrayIcon>
#include <cstdio>

#include "app/AppIcon.h"
#include "app/CommandLine.h"
#include "app/Descriptors.h"
#include "app/FastRequest.h"
#include "app/InstanceChannel.h"
#include "app/PlatformServices.h"
#include "app/QuilletboxApp.h"
#include "app/SettingsFile.h"
#include "base/Catalogue.h"
#include "base/Logging.h"
#include "store/StorageService.h"

using namespace quillet;

#define QUILLET_EXPORT __attribute__((visibility("default")))

namespace {

// How long `quillet --import-phrases` waits for the running instance to read and save a file
// (the largest it takes, 64 MiB, is seconds of work).
constexpr int importTimeoutMs = 120'000;

// What a request's answer means to the user: the status lines, or why nothing happened.
int reportAnswer(const QString& command, bool done, const QString& reply, const QString& details) {
    if (done && FastRequest::answerIsOutput(command.toStdString())) {
        std::printf("%s", qPrintable(details));
    } else if (done) {
        // A request's remarks, such as changes kept for the next start by --quit.
        std::fprintf(stderr, "%s", qPrintable(details));
    } else if (!done && reply.isEmpty()) {
        // No answer: tell "not running" from "running but its socket is gone or stuck".
        if (const auto pid = InstanceChannel::lockHolder()) {
            //% "Quillet is running (process %1) but does not answer on %2."
            std::fprintf(
                stderr, "%s\n",
                qPrintable(
                    qtTrId("STATUS_NOT_ANSWERING").arg(*pid).arg(InstanceChannel::socketPath())));
        } else {
            //% "Quillet is not running."
            const QByteArray line = qtTrId("STATUS_NOT_RUNNING").toLocal8Bit() + '\n';
            std::fputs(line.constData(), command == QLatin1String("status") ? stdout : stderr);
        }
    } else if (!done && reply == QLatin1String("failed")) {
        // Carried out, but with a loss the instance describes.
        std::fprintf(stderr, "%s", qPrintable(details));
    } else if (!done) {
        //% "Quillet refused the request: %1"
        std::fprintf(stderr, "%s\n", qPrintable(qtTrId("REQUEST_REFUSED").arg(reply)));
    }
    return done ? 0 : 1;
}

// `quillet --history-menu` and friends ask the running instance and exit.
int sendToRunningInstance(const QString& command) {
    // An import is answered once the file is in; every other request at once.
    const bool waitsForWork = command.startsWith(QLatin1String(FastRequest::importPhrases));
    const std::optional<FastRequest::Answer> answer =
        FastRequest::send(command.toStdString(),
                          QFile::encodeName(InstanceChannel::socketPath()).toStdString(),
                          waitsForWork ? importTimeoutMs : 3000);
    if (!answer) return reportAnswer(command, false, QString(), QString());
    return reportAnswer(command, answer->done, QString::fromStdString(answer->reply),
                        QString::fromStdString(answer->details));
}

}  // namespace

// How the launcher tells a failed request: only this side knows who holds the lock, and only
// this side has the catalogues.
extern "C" QUILLET_EXPORT int quilletReportAnswer(const char* request, int done, const char* reply,
                                                  const char* details) {
    int argc = 1;
    char name[] = "quillet";
    char* argv[] = {name, nullptr};
    QCoreApplication probe(argc, argv);
    Catalogue::install(probe, Catalogue::languageFor(QLocale::system().uiLanguages()));
    return reportAnswer(QString::fromUtf8(request), done != 0, QString::fromUtf8(reply),
                        QString::fromUtf8(details));
}

// The program proper, loaded by the launcher (Launcher.cpp) when the command line is more
// than a request the launcher could send itself.
extern "C" QUILLET_EXPORT int quilletMain(int argc, char** argv) {
    // A shell's `ulimit -n` may leave us few descriptors; the hard limit is ours to take.
    const long descriptorLimit = Descriptors::raiseLimit();
    qSetMessagePattern(QStringLiteral("%{if-category}%{category}: %{endif}%{message}"));
    {
        // The arguments are read before the GUI exists: a request for the running instance
        // needs no display.
        QCoreApplication probe(argc, argv);
        QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
        Catalogue::install(probe, Catalogue::languageFor(QLocale::system().uiLanguages()));
        const CommandLine commandLine = CommandLine::read(probe);
        if (commandLine.exitCode) return *commandLine.exitCode;
        if (!commandLine.request.isEmpty()) return sendToRunningInstance(commandLine.request);
        // Started again (the application grid, a menu, a terminal) while it runs: the user
        // wants a window, and without a tray icon there is no other to reach.
        if (InstanceChannel::lockHolder()) {
            const std::optional<FastRequest::Answer> answer = FastRequest::send(
                "search", QFile::encodeName(InstanceChannel::socketPath()).toStdString(), 3000);
            if (answer && answer->done) return 0;
        }
    }

    QApplication app(argc, argv);
    const QString language = Catalogue::languageFor(QLocale::system().uiLanguages());
    const bool translated = Catalogue::install(app, language);
    qCDebug(lcApp) << "up to" << descriptorLimit << "file descriptors";
    qCDebug(lcApp).noquote() << "texts in" << language
                             << (translated ? "from the built-in catalogue" : "as in the source");
    // The tray and every window show it.
    QApplication::setWindowIcon(AppIcon::icon());
    QStringList iconSizes;
    for (const QSize& size : QApplication::windowIcon().availableSizes())
        iconSizes << QString::number(size.width());
    qCDebug(lcApp).noquote() << QStringLiteral("icon %1, sizes %2")
                                    .arg(AppIcon::inTheme() ? "from the icon theme" : "built in",
                                         iconSizes.join(u' '));
    QApplication::setApplicationName(QStringLiteral("quillet"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillet"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);

    InstanceChannel channel;
    QString error;
    if (!channel.claim(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    const QString storePath = StorageService::defaultPath();
    auto storage = StorageService::open(storePath, &error);
    if (!storage) {
        std::fprintf(stderr, "Failed to initialize SwiftData container: %s\n", qPrintable(error));
        return 1;
    }
    // One Quillet per store, whatever runtime folder it was started with: two on one store
    // would record every copy twice.
    const QString storeLockPath =
        QFileInfo(storePath).absolutePath() + QStringLiteral("/quillet.lock");
    // QLockFile reads a lock it cannot take, and a FIFO in its place would block that for good.
    if (QFileInfo info(storeLockPath); info.exists() && !info.isFile()) {
        std::fprintf(stderr, "%s\n", qPrintable(qtTrId("LOCK_NOT_A_FILE").arg(storeLockPath)));
        return 1;
    }
    QLockFile storeLock(storeLockPath);
    storeLock.setStaleLockTime(0);
    if (!storeLock.tryLock(0) && storeLock.error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host, application;
        storeLock.getLockInfo(&pid, &host, &application);
        //% "Another Quillet (process %1) already uses %2."
        std::fprintf(stderr, "%s\n", qPrintable(qtTrId("STORE_IN_USE").arg(pid).arg(storePath)));
        return 1;
    }

    SettingsFile settings;
    PlatformServices platform = PlatformServices::create(app, settings.settings());
    QuilletboxApp quillet(std::move(storage), platform, channel, settings.settings());
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        //% "There is no system tray: Quillet runs without its icon. quillet --history-menu, "
        //% "--phrase-menu, --search, --manage-phrases, --settings and --quit work (bind them "
        //% "to keys in your desktop's settings); quillet --status tells whether its own hot "
        //% "keys do."
        qCWarning(lcApp).noquote() << qtTrId("NO_SYSTEM_TRAY");
    }
    const int status = app.exec();
    return status != 0 ? status : quillet.shutDown();
}
