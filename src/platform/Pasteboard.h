#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "platform/CopySource.h"

namespace quillet {

// Type identifiers the logic tests for; backends map their own formats onto these.
namespace PasteboardType {
inline const QString fileURL = QStringLiteral("public.file-url");
inline const QString tiff = QStringLiteral("public.tiff");
inline const QString png = QStringLiteral("public.png");
inline const QString string = QStringLiteral("public.utf8-plain-text");
// Content a password manager marked as secret: never recorded.
inline const QString concealed = QStringLiteral("org.nspasteboard.ConcealedType");

// Files, images and secrets: whatever text they carry beside is never recorded, so a reader
// need not even fetch it.
inline bool withholdsText(const QStringList& types) {
    return types.contains(fileURL) || types.contains(tiff) || types.contains(png) ||
           types.contains(concealed);
}
}  // namespace PasteboardType

// The system clipboard as the monitor sees it: a change counter plus the current contents.
// Every call must return promptly; a backend that talks to a slow owner reads ahead.
class Pasteboard {
public:
    Pasteboard() = default;
    virtual ~Pasteboard() = default;
    Pasteboard(const Pasteboard&) = delete;
    Pasteboard& operator=(const Pasteboard&) = delete;

    // Raised on every change of the contents, our own writes included.
    virtual qint64 changeCount() const = 0;
    virtual QStringList types() const = 0;
    virtual std::optional<QString> string() const = 0;
    // The names of the application that made the current contents; empty when unknown.
    virtual QStringList application() const { return {}; }
    // Copies from these applications are not read beyond telling who made them; the backend
    // announces them as a change with no contents. How it tells: `attribution`.
    virtual void setIgnoredApplications(const QStringList& names) { Q_UNUSED(names); }
    virtual CopyAttribution attribution() const { return CopyAttribution::none; }
    virtual void clearContents() = 0;
    // False when the platform refused the text at once; a true result is not yet proof that
    // the system clipboard holds it (see confirmWrite).
    virtual bool setString(const QString& text) = 0;
    // Calls `done` on this thread once it is known whether the system clipboard holds the text
    // of the latest setString: true when it was seen there, false when the write was refused or
    // not seen within `writeConfirmTimeoutMs`. Never blocks; `done` runs exactly once.
    virtual void confirmWrite(std::function<void(bool)> done) = 0;
    // Lends the X11 PRIMARY selection to `text` for one paste, where the platform has one, and
    // calls `ready` as PrimarySelection::lend does; without PRIMARY it is ready at once.
    virtual void lendPrimary(const QString& text, std::function<void(bool)> ready) {
        Q_UNUSED(text);
        ready(true);
    }

    // True when every change is announced through the change handler, so nobody needs to
    // look for changes on a timer. A backend may learn this only after it started; it then
    // calls the change handler once (with no change) so that a poller can stop.
    virtual bool announcesChanges() const { return false; }

    // While paused, what other programs copy is not read at all: the contents and the change
    // count stay as they were. Only our own writes are read back, to confirm them. Lifting the
    // pause reads nothing either: the next change is the first one seen. Backends that read
    // ahead stop doing so; the others read only when asked and need nothing.
    virtual void setReadingPaused(bool paused) { Q_UNUSED(paused); }
    // The text on the clipboard now, for a paste the user asked to carry it (a phrase's
    // {clipboard}): what was read, or, while reading is paused and so nothing was read since,
    // one read for this caller alone, which changes nothing the monitor sees. `done` may be
    // called before this returns.
    virtual void readText(std::function<void(std::optional<QString>)> done) { done(string()); }

    // Our own text normally comes back within milliseconds; this leaves room for a reader busy
    // with a slow owner (one conversion may take a second) without leaving the user waiting.
    static constexpr int writeConfirmTimeoutMs = 1500;

    // Called each time a foreign change raised the change count, so a poller can look at
    // once (and see announcesChanges); backends without such notice never call it. Cleared
    // with an empty function.
    void setChangeHandler(std::function<void()> handler) { m_changeHandler = std::move(handler); }

protected:
    void notifyChange() const {
        if (m_changeHandler) m_changeHandler();
    }

private:
    std::function<void()> m_changeHandler;
};

}  // namespace quillet
