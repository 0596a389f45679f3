#include "base/RecentWarnings.h"

#include <QMutex>
#include <QMutexLocker>
#include <deque>

namespace quillet {

namespace {

QMutex g_mutex;
std::deque<RecentWarnings::Entry> g_entries;
QtMessageHandler g_previous = nullptr;

void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg)
        RecentWarnings::keep(QString::fromUtf8(context.category ? context.category : ""), message,
                             QDateTime::currentDateTime());
    if (g_previous) g_previous(type, context, message);
}

// A message may quote what another program handed us (a window class, a file name): it is
// shown on one line, without terminal controls, and not at any length.
QString oneLine(const QString& text) {
    QString line = text.left(RecentWarnings::maxTextLength + 1);
    for (QChar& c : line)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u' ';
    if (line.size() > RecentWarnings::maxTextLength)
        line = line.left(RecentWarnings::maxTextLength - 1) + u'…';
    return line;
}

}  // namespace

void RecentWarnings::install() {
    QMutexLocker lock(&g_mutex);
    if (g_previous) return;
    g_previous = qInstallMessageHandler(handleMessage);
}

void RecentWarnings::keep(const QString& category, const QString& message,
                          const QDateTime& time) {
    const bool named = !category.isEmpty() && category != QLatin1String("default");
    Entry entry{time, oneLine(named ? category + QStringLiteral(": ") + message : message)};
    QMutexLocker lock(&g_mutex);
    g_entries.push_back(std::move(entry));
    while (g_entries.size() > capacity) g_entries.pop_front();
}

std::vector<RecentWarnings::Entry> RecentWarnings::entries() {
    QMutexLocker lock(&g_mutex);
    return {g_entries.begin(), g_entries.end()};
}

QStringList RecentWarnings::lines() {
    QStringList lines;
    const QDate today = QDate::currentDate();
    for (const Entry& entry : entries()) {
        const QString format = entry.time.date() == today ? QStringLiteral("HH:mm:ss")
                                                          : QStringLiteral("yyyy-MM-dd HH:mm:ss");
        lines << entry.time.toString(format) + u' ' + entry.text;
    }
    return lines;
}

void RecentWarnings::clear() {
    QMutexLocker lock(&g_mutex);
    g_entries.clear();
}

}  // namespace quillet
