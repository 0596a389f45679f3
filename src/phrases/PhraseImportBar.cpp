#include "phrases/PhraseImportBar.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <limits>

#include "phrases/PhraseImport.h"

namespace quillet {

namespace {

// A progress bar holds an int: file sizes are shown in KiB so that any size fits.
int barValue(qint64 value, qint64 total) {
    return total > std::numeric_limits<int>::max() ? int(value / 1024) : int(value);
}

}  // namespace

PhraseImportBar::PhraseImportBar(QWidget* parent)
    : QWidget(parent), m_status(new QLabel), m_bar(new QProgressBar) {
    setObjectName(QStringLiteral("importProgress"));
    m_status->setObjectName(QStringLiteral("importStatus"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_bar->setObjectName(QStringLiteral("importBar"));
    m_bar->setTextVisible(false);
    m_bar->setMaximumWidth(240);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 0, 8, 8);
    layout->addWidget(m_status, 1);
    layout->addWidget(m_bar);
    hide();
}

void PhraseImportBar::follow(PhraseImport* import) {
    m_import = import;
    connect(import, &PhraseImport::progressed, this, &PhraseImportBar::showProgress);
    connect(import, &PhraseImport::stageChanged, this, &PhraseImportBar::showStage);
    connect(import, &QObject::destroyed, this, &QWidget::hide);
    showStage();
    show();
}

void PhraseImportBar::showStage() {
    if (!m_import) return;
    switch (m_import->stage()) {
        case PhraseImport::Stage::Reading:
            //% "「%1」を読み込んでいます…"
            m_status->setText(qtTrId("PHRASE_IMPORT_READING")
                                  .arg(QFileInfo(m_import->path()).fileName()));
            m_status->setToolTip(QDir::toNativeSeparators(m_import->path()));
            m_bar->setRange(0, 0);  // busy until the size is known
            return;
        case PhraseImport::Stage::Writing:
            m_bar->setRange(0, 0);
            return;
        case PhraseImport::Stage::Done:
            hide();
            return;
    }
}

void PhraseImportBar::showProgress(qint64 done, qint64 total) {
    if (!m_import) return;
    if (m_import->stage() == PhraseImport::Stage::Writing) {
        //% "定型文を取り込んでいます (%L1 / %L2 件)…"
        m_status->setText(qtTrId("PHRASE_IMPORT_WRITING").arg(done).arg(total));
    }
    if (total <= 0) return;
    m_bar->setRange(0, barValue(total, total));
    m_bar->setValue(barValue(done, total));
}

}  // namespace quillet
