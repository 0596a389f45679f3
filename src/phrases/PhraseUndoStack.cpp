#include "phrases/PhraseUndoStack.h"

#include <QAction>
#include <QWidget>

#include "phrases/PhraseLibrary.h"

namespace quillet {

namespace {

class PhraseChangeCommand : public QUndoCommand {
public:
    explicit PhraseChangeCommand(PhraseChange change) : m_change(std::move(change)) {}

    void undo() override { m_change.undo(); }
    void redo() override {
        // The first redo is the push of a change already made.
        if (m_made) m_change.redo();
        m_made = true;
    }

private:
    PhraseChange m_change;
    bool m_made = false;
};

}  // namespace

PhraseUndoStack::PhraseUndoStack(PhraseLibrary& library, QObject* parent) : QUndoStack(parent) {
    setUndoLimit(limit);
    library.setChangeObserver(
        [this](PhraseChange change) { push(new PhraseChangeCommand(std::move(change))); });
}

void PhraseUndoStack::bindKeys(QWidget* window) {
    QAction* undo = createUndoAction(window);
    undo->setObjectName(QStringLiteral("undoAction"));
    undo->setShortcuts(QKeySequence::Undo);
    QAction* redo = createRedoAction(window);
    redo->setObjectName(QStringLiteral("redoAction"));
    redo->setShortcuts(QKeySequence::Redo);
    for (QAction* action : {undo, redo}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        window->addAction(action);
    }
}

}  // namespace quillet
