#include "phrases/PhraseImport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QThread>
#include <algorithm>

#include "base/Logging.h"
#include "phrases/PhraseFiles.h"
#include "store/PhraseCategory.h"
#include "store/StorageContext.h"

namespace quillet {

namespace {

// Each slice of saves aims at this, well inside one frame of a responsive program.
constexpr qint64 sliceTargetMs = 20;
constexpr qsizetype maxSliceRows = 4096;
constexpr int pollIntervalMs = 100;

}  // namespace

PhraseImport::PhraseImport(StorageContext& context, std::shared_ptr<PhraseCategory> category,
                           QString path, PhraseCSVFile::Limits limits, QObject* parent)
    : QObject(parent),
      m_library(context),
      m_category(std::move(category)),
      m_path(std::move(path)),
      m_limits(limits) {
    m_poll.setInterval(pollIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, &PhraseImport::pollReader);
}

PhraseImport::~PhraseImport() {
    if (!m_reader) return;
    m_progress.cancelled = true;
    m_reader->wait();
    delete m_reader;
}

void PhraseImport::start() {
    if (m_reader || m_stage != Stage::Reading) return;
    m_reader = QThread::create(
        [this] { m_result = PhraseFiles::read(m_path, m_limits, &m_progress); });
    // Emitted on the worker, so queued to this thread, after m_result is written.
    connect(m_reader, &QThread::finished, this, &PhraseImport::readerDone);
    m_reader->start();
    m_poll.start();
    emit progressed(0, -1);
}

void PhraseImport::pollReader() {
    emit progressed(m_progress.bytesRead, m_progress.totalBytes);
}

void PhraseImport::setStage(Stage stage) {
    if (stage == m_stage) return;
    m_stage = stage;
    emit stageChanged(stage);
}

void PhraseImport::readerDone() {
    m_poll.stop();
    m_reader->wait();
    delete m_reader;
    m_reader = nullptr;
    if (m_result.status != PhraseCSVFile::ParseResult::Status::Ok) {
        const QString message = failureMessage(m_path, m_result, m_limits);
        // Said here too: the window that shows it may have closed while the file was read.
        qCWarning(lcPhrases).noquote() << message;
        setStage(Stage::Done);
        emit failed(message);
        return;
    }
    if (!m_category || m_category->isDeleted()) {
        qCWarning(lcPhrases) << "The category was deleted while" << m_path
                             << "was read; nothing was imported";
        setStage(Stage::Done);
        emit finished(0);
        return;
    }
    m_warnings = std::move(m_result.warnings);
    for (const QString& warning : m_warnings) qCWarning(lcPhrases).noquote() << m_path << warning;
    m_rows = std::move(m_result.rows);
    m_firstSortOrder = m_library.firstImportedSortOrder(m_category);
    setStage(Stage::Writing);
    emit progressed(0, qint64(m_rows.size()));
    QTimer::singleShot(0, this, &PhraseImport::writeSlice);
}

void PhraseImport::writeSlice() {
    const auto total = qsizetype(m_rows.size());
    if (m_category->isDeleted()) {
        // Its phrases went with it, the ones written so far included.
        qCWarning(lcPhrases) << "The category was deleted while" << m_path
                             << "was imported; the import stopped";
        m_written = 0;
        m_ids.clear();
    } else {
        QElapsedTimer timer;
        timer.start();
        const qsizetype count = std::min(m_sliceRows, total - m_written);
        const auto ids = m_library.appendRows(m_category, m_rows.data() + m_written, count,
                                              m_firstSortOrder + m_written);
        m_ids.insert(m_ids.end(), ids.begin(), ids.end());
        m_written += count;
        // Rows differ in size and disks in speed: size the next slice on what this one took.
        const qint64 took = std::max<qint64>(timer.elapsed(), 1);
        m_sliceRows =
            std::clamp<qsizetype>(m_sliceRows * sliceTargetMs / took, 1, maxSliceRows);
        emit progressed(m_written, total);
        if (m_written < total) {
            QTimer::singleShot(0, this, &PhraseImport::writeSlice);
            return;
        }
    }
    // What was written is kept as it was saved, to be taken out and put back again.
    m_imported.reserve(m_ids.size());
    for (size_t i = 0; i < m_ids.size(); ++i) {
        PhraseRow& row = m_rows[i];
        m_imported.push_back({m_ids[i], std::move(row.title), std::move(row.body),
                              m_firstSortOrder + qint64(i), std::move(row.abbreviation)});
    }
    m_ids = {};
    m_rows = {};
    setStage(Stage::Done);
    emit finished(m_written);
}

QString PhraseImport::failureMessage(const QString& path,
                                     const PhraseCSVFile::ParseResult& result,
                                     const PhraseCSVFile::Limits& limits) {
    using Status = PhraseCSVFile::ParseResult::Status;
    const QString file = QDir::toNativeSeparators(path);
    switch (result.status) {
        case Status::Ok:
        case Status::Cancelled:
            break;
        case Status::Unreadable:
            //% "「%1」を読み込めませんでした: %2"
            return qtTrId("PHRASE_CSV_READ_FAILED").arg(file, result.reason);
        case Status::TooLarge:
            //% "「%1」は %2 MB を超えているため読み込めません。何も取り込んでいません。"
            return qtTrId("PHRASE_CSV_TOO_LARGE")
                .arg(file, QString::number(limits.maxBytes / (1024 * 1024)));
        case Status::UnknownEncoding:
            //% "「%1」は UTF-8 でも Shift_JIS でもないテキストのため読み込めません。何も取り込んでいません。"
            return qtTrId("PHRASE_CSV_UNKNOWN_ENCODING").arg(file);
        case Status::TooManyRows:
            //% "「%1」には %L2 件を超える定型文があるため取り込めません。何も取り込んでいません。"
            return qtTrId("PHRASE_CSV_TOO_MANY_ROWS")
                .arg(file, QLocale().toString(qint64(limits.parser.maxRows)));
        case Status::FieldTooLong:
            //% "「%1」の %L2 行目の項目が %3 MiB を超えているため取り込めません。何も取り込んでいません。"
            return qtTrId("PHRASE_CSV_FIELD_TOO_LONG")
                .arg(file, QLocale().toString(qint64(result.line)),
                     QLocale().toString(double(limits.parser.maxFieldBytes) / (1024 * 1024), 'g',
                                        3));
        case Status::UnclosedQuote:
            //% "「%1」の %L2 行目で始まる引用符 (\") が閉じられていません。何も取り込んでいません。"
            return qtTrId("PHRASE_CSV_UNCLOSED_QUOTE")
                .arg(file, QLocale().toString(qint64(result.line)));
        case Status::Malformed:
            //% "「%1」は %L2 行目が読み取れないため取り込めません (%3)。何も取り込んでいません。"
            if (result.line > 0)
                return qtTrId("PHRASE_FILE_MALFORMED_AT")
                    .arg(file, QLocale().toString(qint64(result.line)), result.reason);
            //% "「%1」は定型文のファイルとして読み取れないため取り込めません (%2)。何も取り込んでいません。"
            return qtTrId("PHRASE_FILE_MALFORMED").arg(file, result.reason);
        case Status::NoRows:
            if (PhraseFiles::formatOf(path) == PhraseFiles::Format::Yaml)
                //% "「%1」には取り込める定型文がありません。「matches:」の下に、trigger と replace を持つ項目を書いてください。"
                return qtTrId("PHRASE_YAML_NO_ROWS").arg(file);
            if (PhraseFiles::formatOf(path) == PhraseFiles::Format::Json)
                //% "「%1」には定型文がひとつもありません。"
                return qtTrId("PHRASE_JSON_NO_ROWS").arg(file);
            //% "「%1」には取り込める定型文がありません。1 行目に「title,body」、2 行目から 1 行に 1 件ずつ書いてください。"
            return qtTrId("PHRASE_CSV_NO_ROWS").arg(file);
    }
    return {};
}

}  // namespace quillet
