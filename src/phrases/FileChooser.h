#pragma once

#include <QString>
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

    // One existing CSV file.
    virtual void chooseCSVToOpen(QWidget* parent, const QString& caption, Done done) = 0;
    // A place to save a CSV file, `proposedName` filled in.
    virtual void chooseCSVToSave(QWidget* parent, const QString& caption,
                                 const QString& proposedName, Done done) = 0;
};

// The toolkit's file dialogs, shown window-modal over `parent`.
class DialogFileChooser final : public FileChooser {
public:
    void chooseCSVToOpen(QWidget* parent, const QString& caption, Done done) override;
    void chooseCSVToSave(QWidget* parent, const QString& caption, const QString& proposedName,
                         Done done) override;
};

}  // namespace quillet
