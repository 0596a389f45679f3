#include "phrases/FileChooser.h"

#include <QFileDialog>

namespace quillet {

namespace {

QFileDialog* csvDialog(QWidget* parent, const QString& caption) {
    auto* dialog = new QFileDialog(parent, caption);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(QStringLiteral("csvFileDialog"));
    //% "CSV ファイル (*.csv)"
    dialog->setNameFilter(qtTrId("PHRASE_CSV_FILE_FILTER"));
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    return dialog;
}

void run(QFileDialog* dialog, FileChooser::Done done) {
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                     [done = std::move(done)](const QString& path) {
                         if (!path.isEmpty()) done(path);
                     });
    dialog->open();
}

}  // namespace

void DialogFileChooser::chooseCSVToOpen(QWidget* parent, const QString& caption, Done done) {
    QFileDialog* dialog = csvDialog(parent, caption);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    run(dialog, std::move(done));
}

void DialogFileChooser::chooseCSVToSave(QWidget* parent, const QString& caption,
                                        const QString& proposedName, Done done) {
    QFileDialog* dialog = csvDialog(parent, caption);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->selectFile(proposedName);
    run(dialog, std::move(done));
}

}  // namespace quillet
