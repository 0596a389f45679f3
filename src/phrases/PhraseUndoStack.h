#pragma once

#include <QUndoStack>

class QWidget;

namespace quillet {

class PhraseLibrary;

// The phrase window's undo history: every change made through `library` (deletes, edits,
// new records, drags, and imports it is told of) can be undone and redone while the window
// is open. A change is pushed once made, so pushing does not make it again.
class PhraseUndoStack : public QUndoStack {
    Q_OBJECT
public:
    PhraseUndoStack(PhraseLibrary& library, QObject* parent = nullptr);

    // Binds the platform's undo and redo keys (Ctrl+Z; Ctrl+Shift+Z or Ctrl+Y) in `window`
    // and its children. Editor sheets are windows of their own: there the keys stay the
    // text fields'.
    void bindKeys(QWidget* window);

    // Far more than anyone undoes; an import's rows are held while it can be redone.
    static constexpr int limit = 100;
};

}  // namespace quillet
