#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

#include "phrases/PlaceholderFiller.h"

namespace quillet {

class AppFocusService;
class Clock;
class ClipboardMonitor;
class PasteActionService;
class PlaceholderForm;
class StorageService;

// Every route that pastes a phrase ends here: its placeholders are filled in (after a small
// form when it asks for answers), the text goes to the clipboard and is pasted into the
// application that was in front, and the caret is moved to the body's {cursor} mark. A body
// without placeholders takes the plain clip path unchanged.
class PhrasePaster : public QObject {
    Q_OBJECT
public:
    PhrasePaster(StorageService& storage, PasteActionService& paste, AppFocusService& focus,
                 ClipboardMonitor& monitor, Clock& clock, QObject* parent = nullptr);
    ~PhrasePaster() override;

    // The caller has captured the frontmost application and closed its menu or panel. The
    // title, when given, heads the form of a phrase that asks for answers.
    void paste(const QString& body, const QString& title = {});

    // Called when a filled-in phrase would exceed the size bound, so nothing was pasted.
    void setTooLargeNotice(std::function<void()> notice) { m_tooLargeNotice = std::move(notice); }

    // Another phrase's body by category name and title, as {phrase:Category/Title} finds it.
    std::optional<QString> phraseBody(const QString& category, const QString& title);

private:
    PhraseLookup libraryLookup();
    void pasteFilled(const QString& body, const std::optional<QString>& clipboard,
                     const PhraseLookup& lookup, const QHash<QString, QString>& answers);
    void askThenPaste(const QString& body, const QString& title,
                      const std::optional<QString>& clipboard, const PhraseLookup& lookup,
                      const QList<PlaceholderField>& fields);

    StorageService& m_storage;
    PasteActionService& m_paste;
    AppFocusService& m_focus;
    ClipboardMonitor& m_monitor;
    Clock& m_clock;
    std::function<void()> m_tooLargeNotice;
    QPointer<PlaceholderForm> m_form;  // deletes itself once closed
};

}  // namespace quillet
