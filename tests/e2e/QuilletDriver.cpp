#include "e2e/QuilletDriver.h"

#include <sqlite3.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QSettings>
#include <QThread>
#include <QUuid>

#include "support/Wait.h"

namespace quillet::test {

namespace {

ChildProcess::Options optionsFor(const XvfbSession& x, const QStringList& extra = {}) {
    return ChildProcess::silent(QStringList{x.displayVariable(), "QT_QPA_PLATFORM=xcb"} + extra);
}

// The rows of a read-only query on the store file, every column as text; none when the file
// cannot be read.
QList<QStringList> readRows(const QString& path, const char* sql, const QString& argument = {}) {
    QList<QStringList> rows;
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    const QByteArray bound = argument.toUtf8();
    if (sqlite3_open_v2(qPrintable(path), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_busy_timeout(db, 2000) == SQLITE_OK &&
        sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK) {
        if (!argument.isNull())
            sqlite3_bind_text(stmt, 1, bound.constData(), int(bound.size()), SQLITE_TRANSIENT);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c)
                row << QString::fromUtf8(static_cast<const char*>(sqlite3_column_blob(stmt, c)),
                                         sqlite3_column_bytes(stmt, c));
            rows << row;
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

}  // namespace

QString quilletBinary() {
    return QStringLiteral(QUILLET_BINARY);
}
QString targetBinary() {
    return QStringLiteral(TARGET_BINARY);
}

QuilletDriver::QuilletDriver(const XvfbSession& x)
    : QuilletDriver(QStringList{x.displayVariable(), QStringLiteral("QT_QPA_PLATFORM=xcb")}) {}

// The program keeps its own runtime folder; only the compositor's sockets come from sway.
QuilletDriver::QuilletDriver(const SwaySession& sway)
    : QuilletDriver(QStringList{QStringLiteral("WAYLAND_DISPLAY=") + sway.waylandDisplay(),
                                QStringLiteral("SWAYSOCK=") + sway.swaySocket(),
                                QStringLiteral("DISPLAY="),
                                QStringLiteral("QT_QPA_PLATFORM=wayland")}) {}

QuilletDriver::QuilletDriver(const MutterSession& mutter)
    : QuilletDriver(
          mutter.environment().filter(QRegularExpression("^(?!XDG_RUNTIME_DIR=)")) +
              QStringList{QStringLiteral("QT_QPA_PLATFORM=wayland")},
          [&mutter](QStringList arguments) { return mutter.command(arguments); }) {}

QuilletDriver::QuilletDriver(const KWinSession& kwin)
    : QuilletDriver(kwin.environment() + QStringList{QStringLiteral("QT_QPA_PLATFORM=wayland")}) {
    m_launchPrefix = kwin.runAsSessionUser();
    kwin.giveToSessionUser(m_home.path());
}

QuilletDriver::QuilletDriver(QStringList sessionEnvironment,
                             std::function<QStringList(QStringList)> launch)
    : m_sessionEnvironment(std::move(sessionEnvironment)), m_launch(std::move(launch)) {
    for (const char* folder : {"config", "data", "cache", "run"})
        QDir(m_home.path()).mkpath(folder);
    QFile::setPermissions(m_home.file("run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QuilletDriver::~QuilletDriver() {
    if (m_process) m_process->stop(std::chrono::seconds(2));
}

QStringList QuilletDriver::environment() const {
    return m_sessionEnvironment +
           QStringList{"HOME=" + m_home.path(),
                       "XDG_CONFIG_HOME=" + m_home.file("config"),
                       "XDG_DATA_HOME=" + m_home.file("data"),
                       "XDG_CACHE_HOME=" + m_home.file("cache"),
                       "XDG_RUNTIME_DIR=" + m_home.file("run"),
                       "QUILLET_UPDATE_FEED_URL=" + m_updateFeed.toString()} +
           m_extraEnvironment;
}

QString QuilletDriver::storePath() const {
    return m_home.file("data/quillet/history.sqlite");
}

bool QuilletDriver::start(QString* error) {
    m_process = std::make_unique<ChildProcess>();
    ChildProcess::Options options;
    options.environment = environment();
    options.captureOutput = true;
    options.keepErrors = m_keepErrors;
    QStringList launch = m_launchPrefix + QStringList{quilletBinary()};
    if (m_descriptorLimits)
        launch = QStringList{"prlimit",
                             QStringLiteral("--nofile=%1:%2")
                                 .arg(m_descriptorLimits->first)
                                 .arg(m_descriptorLimits->second),
                             "--"} +
                 launch;
    if (m_launch) launch = m_launch(launch);
    if (!m_process->start(launch, options)) {
        *error = "quillet did not start";
        return false;
    }
    const bool up = waitFor([this] { return !m_process->isRunning() || command("--status") == 0; },
                            std::chrono::seconds(15));
    if (!up || !m_process->isRunning()) {
        *error = "quillet did not answer: " + QString::fromUtf8(m_process->output());
        return false;
    }
    return true;
}

bool QuilletDriver::quit() {
    if (!m_process) return true;
    command("--quit");
    return m_process->waitForExit(std::chrono::seconds(10));
}

qint64 QuilletDriver::socketRoundTripMs(int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    QLocalSocket socket;
    socket.connectToServer(m_home.file("run") + "/quillet.sock");
    if (!socket.waitForConnected(timeoutMs)) return -1;
    socket.write("ping\n");
    while (!socket.canReadLine()) {
        const int left = timeoutMs - int(timer.elapsed());
        if (left <= 0 || !socket.waitForReadyRead(left)) return -1;
    }
    return socket.readLine().trimmed() == "ok" ? timer.elapsed() : -1;
}

int QuilletDriver::command(const QString& argument, QByteArray* output) {
    return command(QStringList{argument}, output, std::chrono::seconds(10));
}

int QuilletDriver::command(const QStringList& arguments, QByteArray* output,
                           std::chrono::milliseconds timeout) {
    ChildProcess::Options options;
    options.environment = environment();
    const CommandResult result =
        runCommand(m_launchPrefix + QStringList{quilletBinary()} + arguments, timeout, options);
    if (output) *output = result.output;
    return result.finished ? result.exitCode : -1;
}

QStringList QuilletDriver::clips() const {
    QStringList result;
    for (const QStringList& row :
         readRows(storePath(), "SELECT content FROM ClipItem ORDER BY timestamp DESC, pk DESC"))
        result << row[0];
    return result;
}

QByteArray QuilletDriver::status() {
    QByteArray output;
    return command("--status", &output) == 0 ? output : QByteArray();
}

bool QuilletDriver::holds(const QStringList& newestFirst, std::chrono::milliseconds within) const {
    return waitFor([&] { return clips() == newestFirst; }, within);
}

bool QuilletDriver::recordedFirst(const QString& text, std::chrono::milliseconds within) const {
    return waitFor([&] { return clips().value(0) == text; }, within);
}

void QuilletDriver::addPhraseCategory(const QString& name, qint64 sortOrder,
                                      const QList<QPair<QString, QString>>& phrases) {
    QDir().mkpath(QFileInfo(storePath()).absolutePath());
    sqlite3* db = nullptr;
    sqlite3_open(qPrintable(storePath()), &db);
    sqlite3_busy_timeout(db, 2000);
    const QString categoryId = QUuid::createUuid().toString(QUuid::WithoutBraces);
    auto exec = [db](const QString& sql, const QStringList& args) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, qPrintable(sql), -1, &stmt, nullptr);
        QList<QByteArray> keep;
        for (int i = 0; i < args.size(); ++i) {
            keep << args[i].toUtf8();
            sqlite3_bind_text(stmt, i + 1, keep.last().constData(), int(keep.last().size()),
                              SQLITE_TRANSIENT);
        }
        sqlite3_step(stmt);
        sqlite3_finalize(stmt);
    };
    exec("INSERT INTO PhraseCategory (id, name, sortOrder) VALUES (?, ?, ?)",
         {categoryId, name, QString::number(sortOrder)});
    int order = 0;
    for (const auto& [title, body] : phrases)
        exec("INSERT INTO PhraseItem (id, title, body, sortOrder, category) VALUES (?,?,?,?,?)",
             {QUuid::createUuid().toString(QUuid::WithoutBraces), title, body,
              QString::number(order++), categoryId});
    sqlite3_close(db);
}

QList<QPair<QString, QString>> QuilletDriver::phrases(const QString& category) const {
    QList<QPair<QString, QString>> result;
    for (const QStringList& row :
         readRows(storePath(),
                  "SELECT title, body FROM PhraseItem WHERE category = (SELECT id FROM "
                  "PhraseCategory WHERE name = ? LIMIT 1) ORDER BY sortOrder",
                  category))
        result.append({row[0], row[1]});
    return result;
}

QStringList QuilletDriver::categoryNames() const {
    QStringList names;
    for (const QStringList& row :
         readRows(storePath(), "SELECT name FROM PhraseCategory ORDER BY sortOrder, rowid"))
        names << row[0];
    return names;
}

qsizetype QuilletDriver::phraseCount(const QString& category) const {
    const auto rows = readRows(storePath(),
                               "SELECT count(*) FROM PhraseItem WHERE category = (SELECT id FROM "
                               "PhraseCategory WHERE name = ? LIMIT 1)",
                               category);
    return rows.isEmpty() ? 0 : rows.first().first().toLongLong();
}

void QuilletDriver::storeSetting(const QString& key, const QVariant& value) {
    QSettings settings(m_home.file("config/quillet/quillet.ini"), QSettings::IniFormat);
    settings.setValue(key, value);
    settings.sync();
}

StoreWriteLock::StoreWriteLock(const QString& storePath) {
    m_held = sqlite3_open_v2(qPrintable(storePath), &m_db, SQLITE_OPEN_READWRITE, nullptr) ==
                 SQLITE_OK &&
             sqlite3_busy_timeout(m_db, 5000) == SQLITE_OK &&
             sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
}

void StoreWriteLock::release() {
    if (m_db) sqlite3_close(m_db);  // rolls the empty transaction back
    m_db = nullptr;
    m_held = false;
}

void copyWithXclip(const XvfbSession& x, const QString& text) {
    ChildProcess::Options options = optionsFor(x);
    options.input = text.toUtf8();
    runCommand({"xclip", "-selection", "clipboard"}, std::chrono::seconds(5), options);
}

void copyWithXsel(const XvfbSession& x, const QString& text) {
    ChildProcess::Options options = optionsFor(x);
    options.input = text.toUtf8();
    runCommand({"xsel", "--clipboard", "--input"}, std::chrono::seconds(5), options);
}

bool staysTrue(const std::function<bool()>& predicate, std::chrono::milliseconds window) {
    return !waitFor([&] { return !predicate(); }, window);
}

QByteArray xdotool(const XvfbSession& x, const QStringList& arguments) {
    ChildProcess::Options options = optionsFor(x);
    options.captureOutput = true;
    return runCommand(QStringList{"xdotool"} + arguments, std::chrono::seconds(5), options)
        .output.trimmed();
}

bool quilletWindowVisible(const XvfbSession& x) {
    return !xdotool(x, {"search", "--onlyvisible", "--class", "^quillet$"}).isEmpty();
}

int visibleQuilletWindows(const XvfbSession& x) {
    const QByteArray ids = xdotool(x, {"search", "--onlyvisible", "--class", "^quillet$"});
    return ids.isEmpty() ? 0 : int(ids.split('\n').size());
}

namespace {

// The numbers in `xprop`'s answer for one property ("NAME(CARDINAL) = 1, 2, 3").
QList<int> xpropNumbers(const XvfbSession& x, const QStringList& arguments) {
    ChildProcess::Options options = optionsFor(x);
    options.captureOutput = true;
    const QByteArray output =
        runCommand(QStringList{"xprop"} + arguments, std::chrono::seconds(5), options).output;
    QList<int> numbers;
    for (const QByteArray& part : output.mid(output.indexOf('=') + 1).split(',')) {
        bool ok = false;
        const int value = part.trimmed().toInt(&ok);
        if (ok) numbers.append(value);
    }
    return numbers;
}

}  // namespace

QList<QRect> quilletWindowFrames(const XvfbSession& x) {
    QList<QRect> frames;
    const QByteArray ids = xdotool(x, {"search", "--onlyvisible", "--class", "^quillet$"});
    for (const QByteArray& id : ids.split('\n')) {
        if (id.isEmpty()) continue;
        // xwininfo's absolute corner (xdotool's is off by the frame on some managers).
        QRect window;
        ChildProcess::Options options = optionsFor(x);
        options.captureOutput = true;
        const QByteArray info = runCommand({"xwininfo", "-id", QString::fromLatin1(id)},
                                           std::chrono::seconds(5), options)
                                    .output;
        for (const QByteArray& line : info.split('\n')) {
            const int value = line.mid(line.indexOf(':') + 1).trimmed().toInt();
            if (line.contains("Absolute upper-left X:")) window.moveLeft(value);
            if (line.contains("Absolute upper-left Y:")) window.moveTop(value);
            if (line.trimmed().startsWith("Width:")) window.setWidth(value);
            if (line.trimmed().startsWith("Height:")) window.setHeight(value);
        }
        // left, right, top, bottom; none for an undecorated window
        const QList<int> extents =
            xpropNumbers(x, {"-id", QString::fromLatin1(id), "_NET_FRAME_EXTENTS"});
        if (extents.size() == 4)
            window.adjust(-extents[0], -extents[2], extents[1], extents[3]);
        frames.append(window);
    }
    return frames;
}

QRect workArea(const XvfbSession& x) {
    const QList<int> area = xpropNumbers(x, {"-root", "_NET_WORKAREA"});
    return area.size() >= 4 ? QRect(area[0], area[1], area[2], area[3]) : QRect();
}

void chooseInFirstSubmenu(const XvfbSession& x, const QStringList& keys) {
    const int before = visibleQuilletWindows(x);
    xdotool(x, {"key", "Down", "Right"});
    waitFor([&] { return visibleQuilletWindows(x) > before; }, std::chrono::seconds(3));
    xdotool(x, QStringList{"key"} + keys);
}

bool targetIsActive(const XvfbSession& x) {
    const QByteArray active = xdotool(x, {"getactivewindow"});
    if (active.isEmpty()) return false;
    return xdotool(x, {"search", "--class", "^quillet-target$"}).split('\n').contains(active);
}

bool quilletIsActive(const XvfbSession& x) {
    const QByteArray active = xdotool(x, {"getactivewindow"});
    if (active.isEmpty()) return false;
    return xdotool(x, {"search", "--class", "^quillet$"}).split('\n').contains(active);
}

}  // namespace quillet::test
