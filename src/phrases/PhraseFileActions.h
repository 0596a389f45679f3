#pragma once

#include <QString>
#include <memory>

class QWidget;

namespace quillet {

class FileChooser;
class PhraseCategory;

// The phrase window's file actions that write: a dialog asks where, the file is replaced
// whole, and a failure is logged and shown over `parent`.
namespace PhraseFileActions {

void exportCategory(QWidget* parent, FileChooser& chooser,
                    const std::shared_ptr<PhraseCategory>& category);
void saveTemplate(QWidget* parent, FileChooser& chooser);

// A warning over `parent`, window-modal; for failures already logged where they happened.
void showMessage(QWidget* parent, const QString& message);
// A dialog is titled by the menu entry that opened it, without the entry's trailing dots.
QString dialogCaption(QString entry);

}  // namespace PhraseFileActions
}  // namespace quillet
