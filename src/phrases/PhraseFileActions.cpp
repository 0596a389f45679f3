#include "phrases/PhraseFileActions.h"

#include <QDir>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "phrases/FileChooser.h"
#include "phrases/PhraseCSVFile.h"
#include "phrases/PhraseCSVService.h"
#include "phrases/PhraseFiles.h"
#include "phrases/PhraseJsonFile.h"
#include "store/PhraseItem.h"
#include "base/Logging.h"
#include "store/PhraseCategory.h"

namespace quillet::PhraseFileActions {

namespace {

// Writes `text` to `path`; a failure is logged and shown.
void writeOrSay(QWidget* parent, const QString& path, const QString& text) {
    const QString reason = PhraseCSVFile::write(path, text);
    if (reason.isEmpty()) return;
    //% "「%1」に書き込めませんでした: %2"
    const QString message =
        qtTrId("PHRASE_CSV_WRITE_FAILED").arg(QDir::toNativeSeparators(path), reason);
    qCWarning(lcPhrases).noquote() << message;
    showMessage(parent, message);
}

}  // namespace

QString dialogCaption(QString entry) {
    while (entry.endsWith(u'.') || entry.endsWith(QChar(0x2026))) entry.chop(1);
    return entry;
}

void exportCategory(QWidget* parent, FileChooser& chooser,
                    const std::shared_ptr<PhraseCategory>& category) {
    if (!category) return;
    QPointer<QWidget> self(parent);
    chooser.chooseToSave(
        parent, dialogCaption(qtTrId("PHRASE_FILE_EXPORT")),
        category->name() + QStringLiteral(".csv"), {QStringLiteral("csv"), QStringLiteral("json")},
        [self, category](const QString& path) {
            if (!self || category->isDeleted()) return;
            if (PhraseFiles::formatOf(path) != PhraseFiles::Format::Json) {
                writeOrSay(self, path, PhraseCSVService().exportCSV(category->items()));
                return;
            }
            writeOrSay(self, path,
                       QString::fromUtf8(PhraseJsonFile::write({PhraseJsonFile::of(*category)})));
        });
}

void saveTemplate(QWidget* parent, FileChooser& chooser) {
    QPointer<QWidget> self(parent);
    chooser.chooseToSave(parent, dialogCaption(qtTrId("PHRASE_CSV_SAVE_TEMPLATE")),
                         QStringLiteral("phrase_template.csv"), {QStringLiteral("csv")},
                         [self](const QString& path) {
                             if (self) writeOrSay(self, path, PhraseCSVService().generateTemplate());
                         });
}

void showMessage(QWidget* parent, const QString& message) {
    auto* box = new QMessageBox(QMessageBox::Warning, parent->window()->windowTitle(), message,
                                QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("csvFailure"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

}  // namespace quillet::PhraseFileActions
