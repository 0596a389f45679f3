#include "phrases/FileChooser.h"

#include <QFileDialog>

namespace quillet {

namespace {

QString filterFor(const QString& suffix) {
    if (suffix == QLatin1String("json"))
        //% "Quillet の定型文ファイル (*.json)"
        return qtTrId("PHRASE_JSON_FILE_FILTER");
    if (suffix == QLatin1String("yaml"))
        //% "テキスト展開ツールの YAML ファイル (*.yml *.yaml)"
        return qtTrId("PHRASE_YAML_FILE_FILTER");
    //% "CSV ファイル (*.csv)"
    return qtTrId("PHRASE_CSV_FILE_FILTER");
}

QFileDialog* fileDialog(QWidget* parent, const QString& caption) {
    auto* dialog = new QFileDialog(parent, caption);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(QStringLiteral("phraseFileDialog"));
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

void DialogFileChooser::chooseToOpen(QWidget* parent, const QString& caption, Done done) {
    QFileDialog* dialog = fileDialog(parent, caption);
    //% "定型文のファイル (*.csv *.yml *.yaml *.json)"
    dialog->setNameFilters({qtTrId("PHRASE_ANY_FILE_FILTER"), filterFor(QStringLiteral("csv")),
                            filterFor(QStringLiteral("yaml")), filterFor(QStringLiteral("json"))});
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    run(dialog, std::move(done));
}

void DialogFileChooser::chooseToSave(QWidget* parent, const QString& caption,
                                     const QString& proposedName, const QStringList& suffixes,
                                     Done done) {
    QFileDialog* dialog = fileDialog(parent, caption);
    QStringList filters;
    for (const QString& suffix : suffixes) filters << filterFor(suffix);
    dialog->setNameFilters(filters);
    dialog->setDefaultSuffix(suffixes.value(0));
    // A name typed without its extension gets the one of the kind chosen.
    QObject::connect(dialog, &QFileDialog::filterSelected, dialog,
                     [dialog, filters, suffixes](const QString& filter) {
                         dialog->setDefaultSuffix(suffixes.value(filters.indexOf(filter)));
                     });
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->selectFile(proposedName);
    run(dialog, std::move(done));
}

}  // namespace quillet
