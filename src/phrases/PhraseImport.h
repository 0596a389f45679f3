#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

#include "phrases/PhraseCSVFile.h"
#include "phrases/PhraseLibrary.h"

class QThread;

namespace quillet {

class PhraseCategory;
class StorageContext;

// One phrase file (CSV, YAML or JSON, see PhraseFiles) going into a category. The file is read and checked whole on a worker
// thread, so a file that breaks a rule imports nothing; its rows are then saved on this
// thread's store connection in slices short enough to keep the event loop answering.
class PhraseImport : public QObject {
    Q_OBJECT
public:
    enum class Stage { Reading, Writing, Done };

    PhraseImport(StorageContext& context, std::shared_ptr<PhraseCategory> category,
                 QString path, PhraseCSVFile::Limits limits = {}, QObject* parent = nullptr);
    // Stops a read under way and waits for it (a read notices within one piece of the file).
    ~PhraseImport() override;

    void start();
    Stage stage() const { return m_stage; }
    const QString& path() const { return m_path; }
    const std::shared_ptr<PhraseCategory>& category() const { return m_category; }
    // The phrases written, in file order, once Done.
    std::vector<PhraseState> takeImported() { return std::move(m_imported); }
    // What the file held that was imported otherwise than written, once written.
    const QStringList& warnings() const { return m_warnings; }

    // What the user is told when the file was refused: the file, and the rule it broke.
    static QString failureMessage(const QString& path, const PhraseCSVFile::ParseResult& result,
                                  const PhraseCSVFile::Limits& limits);

signals:
    // Bytes while reading (total -1 when unknown), then phrases while writing.
    void progressed(qint64 done, qint64 total);
    void stageChanged(quillet::PhraseImport::Stage stage);
    void finished(qsizetype imported);
    void failed(const QString& message);

private:
    void pollReader();
    void readerDone();
    void writeSlice();
    void setStage(Stage stage);

    PhraseLibrary m_library;
    std::shared_ptr<PhraseCategory> m_category;
    QString m_path;
    PhraseCSVFile::Limits m_limits;
    Stage m_stage = Stage::Reading;

    PhraseCSVFile::Progress m_progress;
    PhraseCSVFile::ParseResult m_result;  // the worker's, read only after it has finished
    QThread* m_reader = nullptr;
    QTimer m_poll;

    std::vector<PhraseRow> m_rows;
    QStringList m_warnings;
    std::vector<QUuid> m_ids;  // of the rows written so far
    std::vector<PhraseState> m_imported;
    qsizetype m_written = 0;
    qint64 m_firstSortOrder = 0;
    qsizetype m_sliceRows = 64;
};

}  // namespace quillet
