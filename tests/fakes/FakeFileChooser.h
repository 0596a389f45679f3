#pragma once

#include <QString>
#include <QStringList>

#include "phrases/FileChooser.h"

namespace quillet::test {

// Answers every request at once with `answer` (empty: the user cancelled) and records what
// was asked.
class FakeFileChooser final : public FileChooser {
public:
    void chooseCSVToOpen(QWidget*, const QString&, Done done) override {
        ++opens;
        if (!answer.isEmpty()) done(answer);
    }
    void chooseCSVToSave(QWidget*, const QString&, const QString& proposedName,
                         Done done) override {
        proposedNames << proposedName;
        if (!answer.isEmpty()) done(answer);
    }

    QString answer;
    int opens = 0;
    QStringList proposedNames;
};

}  // namespace quillet::test
