#pragma once

#include <QPointer>
#include <QWidget>

#include "phrases/PhraseImport.h"

class QLabel;
class QProgressBar;

namespace quillet {


// The strip at the foot of the phrase window while a file is imported: what is being done
// and how far it got. Hidden otherwise.
class PhraseImportBar : public QWidget {
    Q_OBJECT
public:
    explicit PhraseImportBar(QWidget* parent = nullptr);

    // Shows `import` until it ends.
    void follow(PhraseImport* import);
    bool isFollowing() const { return m_import != nullptr; }

private:
    void showProgress(qint64 done, qint64 total);
    void showStage();

    QPointer<PhraseImport> m_import;
    QLabel* m_status;
    QProgressBar* m_bar;
};

}  // namespace quillet
