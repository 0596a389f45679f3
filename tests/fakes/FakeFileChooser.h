#pragma once

#include <QString>
#include <QStringList>

#include "phrases/FileChooser.h"

namespace quillet::test {

// Answers every request at once with `answer` (empty: the user cancelled) and records what
// was asked.
class FakeFileChooser final : public FileChooser {
public:
    void chooseToOpen(QWidget*, const QString&, Done done) override {
        ++opens;
        if (!answer.isEmpty()) done(answer);
    }
    void chooseToSave(QWidget*, const QString&, const QString& proposedName,
                      const QStringList& suffixes, Done done) override {
        proposedNames << proposedName;
        offeredSuffixes << suffixes;
        if (!answer.isEmpty()) done(answer);
    }

    QString answer;
    int opens = 0;
    QStringList proposedNames;
    QList<QStringList> offeredSuffixes;  // of each save
};

}  // namespace quillet::test
