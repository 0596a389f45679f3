#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>

#include "app/FastRequest.h"
#include "app/PhraseCommands.h"
#include "app/SyncCommands.h"
#include "history/RecordingPause.h"

namespace quillet {

namespace {

int editDistance(const QString& a, const QString& b) {
    std::vector<int> row(size_t(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j) row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            row[size_t(j)] = std::min(
                {above + 1, row[size_t(j - 1)] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

// The options, declared to `parser`, that carry a value or are read by name.
struct Options {
    QCommandLineOption help, pauseFor, syncInit, syncJoin, importPhrases, category, exportPhrases;
};

Options declareOptions(QCommandLineParser& parser) {
    //% "Quillet keeps every text you copy and a library of phrases, and pastes them back "
    //% "into the window you were working in.\n\nStarted without options it runs in the "
    //% "system tray. Shift+Super+V opens the history menu, Shift+Super+C the phrase menu "
    //% "(change them in the settings window). With one of the options below it asks the "
    //% "running Quillet and exits.\n\nFiles: $XDG_DATA_HOME/quillet/history.sqlite "
    //% "(history and phrases), $XDG_CONFIG_HOME/quillet/quillet.ini (settings).\n"
    //% "Environment: LANG and LANGUAGE choose English or Japanese; QT_LOGGING_RULES tunes "
    //% "the warnings on standard error (\"quillet.*.debug=true\" for more)."
    parser.setApplicationDescription(qtTrId("CLI_DESCRIPTION"));
    // Our own help option: Qt's catalogues do not word its description in every language.
    //% "Show this help and exit."
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  qtTrId("CLI_HELP"));
    parser.addOption(help);
    parser.addVersionOption();
    //% "Show the history menu of the running Quillet at the pointer."
    parser.addOption({QStringLiteral("history-menu"), qtTrId("CLI_HISTORY_MENU")});
    //% "Show the phrase menu of the running Quillet at the pointer."
    parser.addOption({QStringLiteral("phrase-menu"), qtTrId("CLI_PHRASE_MENU")});
    //% "Show the history search panel of the running Quillet."
    parser.addOption({QStringLiteral("search"), qtTrId("CLI_SEARCH")});
    //% "Show the search panel of the running Quillet over the phrases (Tab switches to "
    //% "the history)."
    parser.addOption({QStringLiteral("search-phrases"), qtTrId("CLI_SEARCH_PHRASES")});
    //% "Open the phrase library window of the running Quillet."
    parser.addOption({QStringLiteral("manage-phrases"), qtTrId("CLI_MANAGE_PHRASES")});
    //% "Open the settings window of the running Quillet."
    parser.addOption({QStringLiteral("settings"), qtTrId("CLI_SETTINGS")});
    //% "Say whether Quillet is running (exit status 0 when it is)."
    parser.addOption({QStringLiteral("status"), qtTrId("CLI_STATUS")});
    //% "Pause recording in the running Quillet until it is resumed: nothing copied "
    //% "meanwhile is read."
    parser.addOption({QStringLiteral("pause"), qtTrId("CLI_PAUSE")});
    const QCommandLineOption pauseFor(
        QLatin1String(FastRequest::pauseFor),
        //% "Pause recording in the running Quillet for this many minutes (1 to %1)."
        qtTrId("CLI_PAUSE_FOR").arg(RecordingPause::maxMinutes),
        //% "minutes"
        qtTrId("CLI_MINUTES"));
    parser.addOption(pauseFor);
    //% "Resume recording in the running Quillet; copies made from now on are kept."
    parser.addOption({QStringLiteral("resume"), qtTrId("CLI_RESUME")});
    //% "Quit the running Quillet."
    parser.addOption({QStringLiteral("quit"), qtTrId("CLI_QUIT")});
    //% "folder"
    const QString folderName = qtTrId("CLI_FOLDER");
    const QCommandLineOption syncInit(
        QLatin1String(FastRequest::syncInit),
        //% "Sync history and phrases with your other computers through FOLDER, a folder "
        //% "Syncthing (or another sync tool) shares; prints the pairing code to enter on them."
        qtTrId("CLI_SYNC_INIT"), folderName);
    parser.addOption(syncInit);
    const QCommandLineOption syncJoin(
        QLatin1String(FastRequest::syncJoin),
        //% "Join the sync of your other computers through FOLDER, with the pairing code shown "
        //% "there: quillet --sync-join FOLDER CODE."
        qtTrId("CLI_SYNC_JOIN"), folderName);
    parser.addOption(syncJoin);
    //% "Stop syncing on this computer and forget its key (the folder's files stay)."
    parser.addOption({QStringLiteral("sync-off"), qtTrId("CLI_SYNC_OFF")});
    //% "file"
    const QString fileName = qtTrId("CLI_FILE");
    const QCommandLineOption importPhrases(
        QLatin1String(FastRequest::importPhrases),
        //% "Import the phrases of a CSV file, a text expander's YAML match file or a "
        //% "Quillet JSON file into the running Quillet."
        qtTrId("CLI_IMPORT_PHRASES"), fileName);
    parser.addOption(importPhrases);
    //% "The category --import-phrases fills (made if there is none of that name; the "
    //% "file's name by default)."
    const QString categoryText = qtTrId("CLI_CATEGORY");
    //% "name"
    const QCommandLineOption category(QStringLiteral("category"), categoryText, qtTrId("CLI_NAME"));
    parser.addOption(category);
    const QCommandLineOption exportPhrases(
        QLatin1String(FastRequest::exportPhrases),
        //% "Write the whole phrase library of the running Quillet to a JSON file."
        qtTrId("CLI_EXPORT_PHRASES"), fileName);
    parser.addOption(exportPhrases);

    return {help, pauseFor, syncInit, syncJoin, importPhrases, category, exportPhrases};
}

// A mistake never starts a second tray program: it is named, with the option meant.
CommandLine mistake(const QString& what, const QString& argument) {
    QString line = what;
    if (const auto nearest = CommandLine::nearestOption(argument))
        //% "did you mean %1?"
        line += QStringLiteral(" (") + qtTrId("CLI_DID_YOU_MEAN").arg(*nearest) + u')';
    //% "Run quillet --help to see what it takes."
    std::fprintf(stderr, "quillet: %s\n%s\n", qPrintable(line), qPrintable(qtTrId("CLI_SEE_HELP")));
    return CommandLine{{}, 2};
}

// A mistake said plainly, with nothing to suggest.
CommandLine refused(const QString& line) {
    std::fprintf(stderr, "quillet: %s\n", qPrintable(line));
    return {{}, 2};
}

// The request the parsed options make of the running instance; past help and version.
CommandLine requestOf(const QCommandLineParser& parser, const Options& o) {
    if (parser.isSet(o.pauseFor)) {
        const QString value = parser.value(o.pauseFor);
        bool number = false;
        const qint64 minutes = value.toLongLong(&number);
        if (!number || !value.front().isDigit() || !RecordingPause::validMinutes(minutes)) {
            //% "--pause-for takes a whole number of minutes from 1 to %1, not %2"
            return refused(qtTrId("CLI_BAD_MINUTES")
                               .arg(RecordingPause::maxMinutes)
                               .arg(u'"' + value.left(40) + u'"'));
        }
        return {QLatin1String(FastRequest::pauseFor) + u' ' + QString::number(minutes), {}};
    }
    if (parser.isSet(o.category) && !parser.isSet(o.importPhrases)) {
        //% "--category goes with --import-phrases"
        return refused(qtTrId("CLI_CATEGORY_ALONE"));
    }
    if (parser.isSet(o.importPhrases))
        return {
            PhraseCommands::importRequest(parser.value(o.importPhrases), parser.value(o.category)),
            {}};
    if (parser.isSet(o.exportPhrases))
        return {PhraseCommands::exportRequest(parser.value(o.exportPhrases)), {}};
    // The folder is the user's, so it is taken from where the command runs.
    auto absolute = [](const QString& folder) {
        return QDir::cleanPath(QDir().absoluteFilePath(folder));
    };
    if (parser.isSet(o.syncInit))
        return {SyncCommands::initLine(absolute(parser.value(o.syncInit))), {}};
    if (parser.isSet(o.syncJoin))
        return {SyncCommands::joinLine(absolute(parser.value(o.syncJoin)),
                                       parser.positionalArguments().first()),
                {}};
    for (const char* request : FastRequest::requests) {
        if (!parser.isSet(QString::fromLatin1(request))) continue;
        return {QString::fromLatin1(request), {}};
    }
    return {};
}

}  // namespace

std::optional<QString> CommandLine::nearestOption(const QString& argument) {
    QString bare = argument;
    while (bare.startsWith(u'-')) bare.remove(0, 1);
    bare = bare.section(u'=', 0, 0).toLower();
    std::optional<QString> best;
    int bestDistance = 4;  // further than that is a different word
    std::vector<const char*> candidates(std::begin(FastRequest::requests),
                                        std::end(FastRequest::requests));
    candidates.push_back(FastRequest::pauseFor);
    candidates.push_back(FastRequest::syncInit);
    candidates.push_back(FastRequest::syncJoin);
    candidates.push_back(FastRequest::importPhrases);
    candidates.push_back(FastRequest::exportPhrases);
    candidates.push_back("category");
    for (const char* request : candidates) {
        const int distance = editDistance(bare, QString::fromLatin1(request));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = QStringLiteral("--") + QString::fromLatin1(request);
        }
    }
    return best;
}

CommandLine CommandLine::read(const QCoreApplication& app) {
    QCommandLineParser parser;
    const Options options = declareOptions(parser);
    if (!parser.parse(app.arguments())) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            //% "unknown option %1"
            return mistake(
                qtTrId("CLI_UNKNOWN_OPTION")
                    .arg((unknown.first().size() > 1 ? QStringLiteral("--") : QStringLiteral("-")) +
                         unknown.first()),
                unknown.first());
        return refused(parser.errorText());
    }
    // --sync-join's code is the one argument of its own.
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(options.syncJoin) && positional.size() != 1) {
        //% "--sync-join takes a folder and the pairing code: quillet --sync-join FOLDER CODE"
        return refused(qtTrId("CLI_SYNC_JOIN_USAGE"));
    }
    if (!parser.isSet(options.syncJoin) && !positional.isEmpty()) {
        const QString stray = positional.first();
        //% "unexpected argument %1"
        return mistake(qtTrId("CLI_UNEXPECTED_ARGUMENT").arg(stray), stray);
    }
    if (parser.isSet(options.help)) parser.showHelp(0);
    // Qt's own handling prints the version and exits.
    if (parser.isSet(QStringLiteral("version"))) parser.process(app);
    return requestOf(parser, options);
}

}  // namespace quillet
