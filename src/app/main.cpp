#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>
#include <QSettings>
#include <cstdio>

#include "app/AppIcon.h"
#include "app/InstanceChannel.h"
#include "app/PlatformServices.h"
#include "app/QuilletboxApp.h"
#include "platform/Catalogue.h"
#include "platform/Logging.h"
#include "store/StorageService.h"

using namespace quillet;

namespace {

// `quillet --history-menu` and friends ask the running instance and exit.
int sendToRunningInstance(const QString& command) {
    QString reply;
    const bool done = InstanceChannel::send(command, &reply);
    if (done && command == QLatin1String("ping")) {
        std::printf("Quillet is running.\n");
    } else if (!done && reply.isEmpty()) {
        // No answer: tell "not running" from "running but its socket is gone or stuck".
        if (const auto pid = InstanceChannel::lockHolder()) {
            std::fprintf(stderr, "Quillet is running (process %lld) but does not answer on %s.\n",
                         static_cast<long long>(*pid), qPrintable(InstanceChannel::socketPath()));
        } else if (command == QLatin1String("ping")) {
            std::printf("Quillet is not running.\n");
        } else {
            std::fprintf(stderr, "Quillet is not running.\n");
        }
    } else if (!done) {
        std::fprintf(stderr, "Quillet refused the request: %s\n", qPrintable(reply));
    }
    return done ? 0 : 1;
}

// The request for a running instance named on the command line, if any.
QString commandFromArguments(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quillet, a clipboard history and phrase tray."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("history-menu"),
                      QStringLiteral("Show the history menu of the running Quillet.")});
    parser.addOption({QStringLiteral("phrase-menu"),
                      QStringLiteral("Show the phrase menu of the running Quillet.")});
    parser.addOption({QStringLiteral("search"),
                      QStringLiteral("Show the history search panel of the running Quillet.")});
    parser.addOption({QStringLiteral("manage-phrases"),
                      QStringLiteral("Open the phrase library window of the running Quillet.")});
    parser.addOption({QStringLiteral("settings"),
                      QStringLiteral("Open the settings window of the running Quillet.")});
    parser.addOption({QStringLiteral("quit"), QStringLiteral("Quit the running Quillet.")});
    parser.addOption(
        {QStringLiteral("status"),
         QStringLiteral("Say whether Quillet is running (exit status 0 when it is).")});
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
    parser.process(app);  // exits for --help, --version and unknown options
    for (const char* name :
         {"history-menu", "phrase-menu", "search", "manage-phrases", "settings", "quit"})
        if (parser.isSet(QString::fromLatin1(name))) return QString::fromLatin1(name);
    if (parser.isSet(QStringLiteral("status"))) return QStringLiteral("ping");
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    // Warnings name their subsystem ("quillet.store: save failed ..."); QT_MESSAGE_PATTERN
    // still overrides this.
    qSetMessagePattern(QStringLiteral("%{if-category}%{category}: %{endif}%{message}"));
    {
        // The arguments are read before the GUI exists: a request for the running instance
        // needs no display.
        QCoreApplication probe(argc, argv);
        const QString command = commandFromArguments(probe);
        if (!command.isEmpty()) return sendToRunningInstance(command);
    }

    QApplication app(argc, argv);
    const QString language = Catalogue::languageFor(QLocale::system().uiLanguages());
    const bool translated = Catalogue::install(app, language);
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

    auto storage = StorageService::open(StorageService::defaultPath(), &error);
    if (!storage) {
        std::fprintf(stderr, "Failed to initialize SwiftData container: %s\n", qPrintable(error));
        return 1;
    }

    PlatformServices platform = PlatformServices::create(app);
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("quillet"),
                       QStringLiteral("quillet"));
    QuilletboxApp quillet(std::move(storage), platform, channel, settings);
    return app.exec();
}
