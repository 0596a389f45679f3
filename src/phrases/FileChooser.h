#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace quillet {

// Asks the user for a file. The answer comes through `done` once the dialog ends: the chosen
// path, or nothing after Cancel. Tests answer without a dialog.
class FileChooser {
public:
    using Done = std::function<void(const QString& path)>;

    FileChooser() = default;
    virtual ~FileChooser() = default;
    FileChooser(const FileChooser&) = delete;
    FileChooser& operator=(const FileChooser&) = delete;

    // One existing phrase file: CSV, YAML or JSON.
    virtual void chooseToOpen(QWidget* parent, const QString& caption, Done done) = 0;
    // A place to save a file of one of the kinds `suffixes` names ("csv", "json"; the first
    // is the default), `proposedName` filled in.
    virtual void chooseToSave(QWidget* parent, const QString& caption, const QString& proposedName,
                              const QStringList& suffixes, Done done) = 0;
};

// The toolkit's file dialogs, shown window-modal over `parent`.
class DialogFileChooser final : public FileChooser {
public:
    void chooseToOpen(QWidget* parent, const QString& caption, Done done) override;
    void chooseToSave(QWidget* parent, const QString& caption, const QString& proposedName,
                      const QStringList& suffixes, Done done) override;
};

}  // namespace quillet
